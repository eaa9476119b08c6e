#include "ConditionParser.h"

#include <algorithm>

#include <array>
#include <cassert>
#include <optional>

#include "ConditionArithmetic.h"
#include "ConditionEvaluation.h"
#include "Failure.h"
#include "Normalizer.h"
#include "NumberText.h"
#include "Operations.h"
#include "Text.h"

namespace vornel {

namespace {

using grammar::Symbol;

// A token's value views the condition text, a variable's number text, or a
// function call's value kept in the condition's ValueArena.
using Token = StackEntry;

// Where each token stands in the condition (byte offsets), for the failure
// path. Left uninitialised: only the entries of tokens read are ever read.
struct TokenSpan {
    std::size_t begin;
    std::size_t end;
};
using TokenSpans = std::array<TokenSpan, kTokenListSize>;

// The variable slot each token names, or -1. A variable's token gets its
// number text only when the parse needs it.
using TokenSlots = std::array<std::int8_t, kTokenListSize>;

enum class TokenKind {
    None,
    Identifier,
    Number,
    Comparison,
    Logical,
    Arithmetic,
    Parenthesis,
    StringLiteral,
    FunctionCall,
};

bool IsBlank(char c) {
    return c == ' ' || c == '\r' || c == '\n' || c == '\t';
}

// The terminal of an operator or parenthesis token's text.
Symbol OperatorSymbol(std::string_view text) {
    switch (text[0]) {
        case '|':
            return Symbol::Or;
        case '&':
            return Symbol::And;
        case '+':
            return Symbol::Plus;
        case '-':
            return Symbol::Minus;
        case '*':
            return Symbol::Times;
        case '/':
            return Symbol::Divide;
        case '(':
            return Symbol::Open;
        case ')':
            return Symbol::Close;
        case '>':
            return text.size() == 2 ? Symbol::GreaterEqual : Symbol::Greater;
        case '<':
            return text.size() == 1 ? Symbol::Less
                   : text[1] == '=' ? Symbol::LessEqual
                                    : Symbol::NotEqual;
        default:
            return Symbol::Equal;
    }
}

// Splits a condition into the token list. Returns false when the condition
// is quietly false.
class Tokenizer {
public:
    Tokenizer(std::string_view text, const VariableLookup& variables,
              std::array<Token, kTokenListSize>& tokens, TokenSpans& spans, TokenSlots& slots,
              ValueArena& arena, ConditionScan* scan = nullptr)
        : m_text(text),
          m_variables(variables),
          m_tokens(tokens),
          m_spans(spans),
          m_slots(slots),
          m_arena(arena),
          m_scan(scan) {}

    bool Run() {
        while (true) {
            SkipBlanks();
            if (m_pos >= m_text.size()) {
                break;
            }
            if (!ReadToken()) {
                return false;
            }
            if (m_kind == TokenKind::None) {
                break;  // a function name ended the text
            }
        }
        m_tokenStart = m_text.size();
        m_pos = m_text.size();
        Append(Symbol::End, "$");
        return true;
    }

private:
    void SkipBlanks() {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) {
            ++m_pos;
        }
    }

    std::size_t RunOf(std::size_t from, bool (*test)(char)) const {
        while (from < m_text.size() && test(m_text[from])) {
            ++from;
        }
        return from;
    }

    char At(std::size_t i) const { return i < m_text.size() ? m_text[i] : '\0'; }

    void Take(std::size_t end, TokenKind kind) {
        m_tokenText = m_text.substr(m_pos, end - m_pos);
        m_kind = kind;
        m_pos = end;
    }

    bool ReadToken() {
        m_tokenStart = m_pos;
        const char c = m_text[m_pos];
        if (IsNameStart(c)) {
            return ReadName();
        }
        if (IsAsciiDigit(c)) {
            Take(RunOf(m_pos + 1, IsNumberChar), TokenKind::Number);
            return AppendToken();
        }
        switch (c) {
            case '-':
                ReadMinus();
                break;
            case '+':
            case '*':
            case '/':
                Take(m_pos + 1, TokenKind::Arithmetic);
                break;
            case '(':
            case ')':
                Take(m_pos + 1, TokenKind::Parenthesis);
                break;
            case '<':
                Take(m_pos + ((At(m_pos + 1) == '=' || At(m_pos + 1) == '>') ? 2 : 1),
                     TokenKind::Comparison);
                break;
            case '>':
                Take(m_pos + (At(m_pos + 1) == '=' ? 2 : 1), TokenKind::Comparison);
                break;
            case '=':
                Take(m_pos + 1, TokenKind::Comparison);
                break;
            case '&':
            case '|':
                Take(m_pos + 1, TokenKind::Logical);
                break;
            case '"':
                return ReadStringLiteral();
            default:
                // a character that starts no token
                return QuietlyFalse(ConditionScan::Why::Character, m_pos,
                                    m_pos + CharLength(m_text, m_pos));
        }
        return AppendToken();
    }

    // Returns false, telling a scan why and where.
    bool QuietlyFalse(ConditionScan::Why why, std::size_t begin, std::size_t end) {
        if (m_scan != nullptr) {
            m_scan->why = why;
            m_scan->begin = begin;
            m_scan->end = end;
        }
        return false;
    }

    // A minus sign before a digit is part of the number at the start of the
    // condition and after a parenthesis, "(" or ")" alike.
    void ReadMinus() {
        const bool sign = IsAsciiDigit(At(m_pos + 1)) &&
                          (m_tokenText.empty() || m_kind == TokenKind::Parenthesis);
        Take(sign ? RunOf(m_pos + 2, IsNumberChar) : m_pos + 1,
             sign ? TokenKind::Number : TokenKind::Arithmetic);
    }

    bool ReadStringLiteral() {
        const auto close = m_text.find('"', m_pos + 1);
        if (close == std::string_view::npos) {
            return QuietlyFalse(ConditionScan::Why::UnclosedText, m_pos, m_text.size());
        }
        m_tokenText = m_text.substr(m_pos + 1, close - m_pos - 1);
        m_kind = TokenKind::StringLiteral;
        m_pos = close + 1;
        return AppendToken();
    }

    bool ReadName() {
        const std::size_t end = RunOf(m_pos + 1, IsNameChar);
        const std::string_view name = m_text.substr(m_pos, end - m_pos);
        Take(end, TokenKind::Identifier);
        if (!IsFunctionName(name)) {
            return AppendToken();
        }
        SkipBlanks();
        if (m_pos >= m_text.size()) {
            m_kind = TokenKind::None;  // the name is dropped
            return true;
        }
        if (m_text[m_pos] != '(') {
            return QuietlyFalse(ConditionScan::Why::FunctionWithoutCall, m_tokenStart,
                                m_tokenStart + name.size());
        }
        m_callParen = m_pos;
        int depth = 0;
        std::size_t i = m_pos;
        do {
            depth += m_text[i] == '(' ? 1 : (m_text[i] == ')' ? -1 : 0);
            ++i;
        } while (depth > 0 && i < m_text.size());
        m_callText.assign(name);
        m_callText.append(m_text.substr(m_pos, i - m_pos));
        m_tokenText = m_callText;
        m_kind = TokenKind::FunctionCall;
        m_pos = i;
        return AppendToken();
    }

    bool AppendToken() {
        switch (m_kind) {
            case TokenKind::Identifier:
                return AppendIdentifier();
            case TokenKind::Number:
                Append(Symbol::Number, m_tokenText);
                return true;
            case TokenKind::StringLiteral:
                Append(Symbol::Text, m_tokenText);
                return true;
            case TokenKind::FunctionCall:
                if (m_scan != nullptr) {
                    Append(Symbol::Number, "0");  // a scan evaluates nothing
                    return true;
                }
                Append(Symbol::Number, m_arena.Keep(FormatCallValue(EvaluateCall())));
                return true;
            default:
                Append(OperatorSymbol(m_tokenText), m_tokenText);
                return true;
        }
    }

    bool AppendIdentifier() {
        if (EqualsIgnoringAsciiCase(m_tokenText, kTrue)) {
            Append(Symbol::True, m_tokenText);
        } else if (EqualsIgnoringAsciiCase(m_tokenText, kFalse)) {
            Append(Symbol::False, m_tokenText);
        } else if (const int entry = m_variables.Find(m_tokenText); entry >= 0) {
            Append(Symbol::Number, {}, entry);
            if (m_scan != nullptr &&
                std::find(m_scan->named.begin(), m_scan->named.begin() + m_scan->namedCount,
                          entry) == m_scan->named.begin() + m_scan->namedCount) {
                m_scan->named[static_cast<std::size_t>(m_scan->namedCount++)] =
                    static_cast<std::int8_t>(entry);
            }
        } else {
            return QuietlyFalse(ConditionScan::Why::UnknownName, m_tokenStart, m_pos);
        }
        return true;
    }

    // The value of the call in m_callText; a failure is carried back from
    // the normalised text to the call and from there into the condition.
    double EvaluateCall() {
        bool normalized = false;
        try {
            const std::string normal = NormalizeExpression(m_callText, m_variables);
            normalized = true;
            return EvaluateConditionArithmetic(normal);
        } catch (EvaluationFailure& fault) {
            if (normalized) {
                PlaceInSource(fault, m_callText, m_variables);
            }
            fault.Place(CallToCondition(fault.begin), CallToCondition(fault.end));
            throw;
        }
    }

    // The call text is the name followed by everything from its "(": the
    // blanks between them are left out.
    std::size_t CallToCondition(std::size_t offset) const {
        const std::size_t name = m_callText.size() - (m_pos - m_callParen);
        return offset <= name ? m_tokenStart + offset : m_callParen + (offset - name);
    }

    void Append(Symbol symbol, std::string_view value, int slot = -1) {
        if (m_count == kTokenListSize) {
            // The 128th token took the end marker's place.
            const TokenSpan last = m_spans[kTokenListSize - 1];
            EvaluationFailure fault{EvaluationFailure::kSubscriptOutOfRange, Cause::TooManyTokens};
            fault.Place(last.begin, last.end);
            throw fault;
        }
        m_spans[static_cast<std::size_t>(m_count)] = {m_tokenStart, m_pos};
        m_tokens[static_cast<std::size_t>(m_count)] = Token::Of(symbol, value, m_count);
        m_slots[static_cast<std::size_t>(m_count)] = static_cast<std::int8_t>(slot);
        ++m_count;
    }

    std::string_view m_text;
    const VariableLookup& m_variables;
    std::array<Token, kTokenListSize>& m_tokens;
    TokenSpans& m_spans;
    TokenSlots& m_slots;
    ValueArena& m_arena;
    ConditionScan* m_scan;
    int m_count = 0;
    std::size_t m_pos = 0;
    std::size_t m_tokenStart = 0;
    std::size_t m_callParen = 0;
    std::string_view m_tokenText;  // the last token's text, read by the sign rule
    std::string m_callText;
    TokenKind m_kind = TokenKind::None;
};

// The operator-precedence parse over the token list. Every reduction is
// evaluated when it is made, so the stack carries values.
class Parser {
public:
    Parser(std::string_view condition, const std::array<Token, kTokenListSize>& tokens,
           const TokenSpans& spans, TextOrder textOrder, ValueArena& arena)
        : m_condition(condition),
          m_tokens(tokens),
          m_spans(spans),
          m_textOrder(textOrder),
          m_arena(arena) {
        m_stack[0] = StackEntry::Of(Symbol::End, "$");
    }

    bool Run() {
        try {
            return Parse();
        } catch (EvaluationFailure& fault) {
            PlaceFailure(fault);
            throw;
        }
    }

private:
    bool Parse() {
        int input = 0;
        Symbol topTerminal = Symbol::End;
        int topPosition = 0;
        while (true) {
            const Token& incoming = m_tokens[static_cast<std::size_t>(input)];
            if (topTerminal == Symbol::End && incoming.symbol == Symbol::End) {
                return EqualsIgnoringAsciiCase(m_stack[static_cast<std::size_t>(m_top)].Value(),
                                               kTrue);
            }
            switch (grammar::Relation(topTerminal, incoming.symbol)) {
                case grammar::kYield:
                case grammar::kEqual:
                    Shift(incoming);
                    ++input;
                    break;
                case grammar::kTakes:
                    Reduce(topPosition);
                    break;
                case grammar::kNoRelation:
                default:
                    FailWithoutRelation(topPosition, incoming);
            }
            topPosition = FindTopTerminal(m_stack.data(), m_top);
            topTerminal = m_stack[static_cast<std::size_t>(topPosition)].symbol;
        }
    }

    // The pair can never parse, and taking no step would meet it again
    // forever. A "(" that meets the end, or a ")" that meets the bottom of the
    // stack, is a parenthesis without its partner, marked where it stands;
    // any other pair concerns the whole condition.
    [[noreturn]] void FailWithoutRelation(int topPosition, const Token& incoming) {
        const StackEntry& top = m_stack[static_cast<std::size_t>(topPosition)];
        EvaluationFailure fault{EvaluationFailure::kSubscriptOutOfRange, Cause::NoRelation};
        if (top.symbol == Symbol::Open && incoming.symbol == Symbol::End) {
            fault.cause = Cause::UnclosedParenthesis;
            fault.Place(m_spans[top.token].begin, m_spans[top.token].end);
        } else if (top.symbol == Symbol::End && incoming.symbol == Symbol::Close) {
            fault.cause = Cause::NothingToClose;
            fault.Place(m_spans[incoming.token].begin, m_spans[incoming.token].end);
        }
        throw fault;
    }

    // A pair without relation is placed where it was met, or concerns the
    // whole condition; anything else failed in the last reduction, at its
    // operator (the top terminal).
    void PlaceFailure(EvaluationFailure& fault) const {
        if (fault.Placed()) {
            return;
        }
        if (fault.cause == Cause::NoRelation) {
            const auto first = m_condition.find_first_not_of(kBlanks);
            const auto last = m_condition.find_last_not_of(kBlanks);
            fault.Place(first == std::string_view::npos ? 0 : first,
                        last == std::string_view::npos ? 0 : last + 1);
            return;
        }
        if (fault.cause == Cause::MalformedNumber) {
            fault.cause = Cause::NotANumber;  // a value of the condition, not a typed number
        }
        const TokenSpan span = m_spans[m_reducing];
        fault.Place(span.begin, span.end);
    }

    StackEntry& At(int position) {
        if (position < 0 || position > kParseStackTop) {
            Fail(EvaluationFailure::kSubscriptOutOfRange, Cause::MissingOperand);
        }
        return m_stack[static_cast<std::size_t>(position)];
    }

    void Shift(const Token& token) {
        StackEntry& entry = At(m_top + 1);
        ++m_top;
        entry = token;
    }

    // The handle is counted down from the top by the production's length;
    // its symbols are not compared with the production's right-hand side.
    void Reduce(int topPosition) {
        const StackEntry& top = At(topPosition);
        m_reducing = top.token;
        const int production = grammar::FindProduction(top.symbol, At(topPosition - 1).symbol);
        if (production < 0) {
            Fail(EvaluationFailure::kSubscriptOutOfRange, Cause::WrongKindOfOperand);
        }
        const grammar::Production& rule = grammar::GetProduction(production);
        const int bottom = m_top - rule.handleLength + 1;
        std::string_view handle[3];
        for (int k = 0; k < rule.handleLength; ++k) {
            handle[k] = At(bottom + k).Value();
        }
        const std::string_view value =
            EvaluateReduction(handle[0], handle[1], handle[2], production, m_textOrder, m_arena);
        m_top = bottom;
        At(m_top) = StackEntry::Of(rule.left, value);
    }

    static constexpr std::string_view kBlanks = " \r\n\t";

    std::string_view m_condition;
    const std::array<Token, kTokenListSize>& m_tokens;
    const TokenSpans& m_spans;
    TextOrder m_textOrder;
    ValueArena& m_arena;
    std::array<StackEntry, kParseStackTop + 1> m_stack;
    int m_top = 0;
    std::size_t m_reducing = 0;  // the token of the last reduction's operator
};

// Decides a condition made only of comparisons between numbers (and sums,
// differences, products and quotients of them), joined by "&" and "|" and
// grouped by parentheses, with typed values instead of texts: what the parse
// makes of such a condition, step for step, without a text per step. Any other
// condition, and any failure, is left to the parse, which then also places it.
class NumberCondition {
public:
    NumberCondition(const std::array<Token, kTokenListSize>& tokens, const TokenSlots& slots,
                    const VariableLookup& variables)
        : m_tokens(tokens), m_slots(slots), m_variables(variables) {}

    std::optional<bool> Decide() {
        bool holds = false;
        try {
            if (Or(holds) && Next() == Symbol::End) {
                return holds;
            }
        } catch (const EvaluationFailure&) {
        }
        return std::nullopt;
    }

private:
    Symbol Next() const { return m_tokens[m_at].symbol; }

    bool Or(bool& holds) {
        if (!And(holds)) {
            return false;
        }
        while (Next() == Symbol::Or) {
            ++m_at;
            bool right = false;
            if (!And(right)) {
                return false;
            }
            holds = holds || right;
        }
        return true;
    }

    bool And(bool& holds) {
        if (!Comparison(holds)) {
            return false;
        }
        while (Next() == Symbol::And) {
            ++m_at;
            bool right = false;
            if (!Comparison(right)) {
                return false;
            }
            holds = holds && right;
        }
        return true;
    }

    // A comparison, or a condition in parentheses: "(" starts either, and
    // what follows its ")" tells which.
    bool Comparison(bool& holds) {
        if (Next() == Symbol::Open && !GroupsNumber()) {
            ++m_at;
            if (!Or(holds) || Next() != Symbol::Close) {
                return false;
            }
            ++m_at;
            return true;
        }
        double left = 0;
        if (!Sum(left) || !IsRelation(Next())) {
            return false;
        }
        const Symbol relation = Next();
        ++m_at;
        double right = 0;
        if (!Sum(right)) {
            return false;
        }
        holds = Holds(static_cast<int>(left > right) - static_cast<int>(left < right), relation);
        return true;
    }

    // Whether the group opened at the next token is followed by an operator
    // or a relation, which only a number can be.
    bool GroupsNumber() const {
        int depth = 0;
        std::size_t k = m_at;
        do {
            const Symbol s = m_tokens[k].symbol;
            if (s == Symbol::End) {
                return false;
            }
            depth += s == Symbol::Open ? 1 : (s == Symbol::Close ? -1 : 0);
            ++k;
        } while (depth > 0);
        const Symbol after = m_tokens[k].symbol;
        return IsRelation(after) || (after >= Symbol::Plus && after <= Symbol::Divide);
    }

    // The value of NumberText(value) read back.
    static double ThroughText(double value) {
        return IsWrittenWhole(value) ? value + 0.0 : ReadConditionNumber(NumberText(value));
    }

    // As CompareValues decides: a pair that is neither below nor above the
    // other (NaN too) is equal.
    static bool Holds(int order, Symbol relation) {
        switch (relation) {
            case Symbol::Greater:
                return order > 0;
            case Symbol::Less:
                return order < 0;
            case Symbol::Equal:
                return order == 0;
            case Symbol::GreaterEqual:
                return order >= 0;
            case Symbol::LessEqual:
                return order <= 0;
            default:
                return order != 0;
        }
    }

    static bool IsRelation(Symbol s) { return s >= Symbol::Greater && s <= Symbol::NotEqual; }

    // Every step's value is its number text read back, as the parse keeps it.
    bool Sum(double& value) {
        return Chain<&NumberCondition::Product>(value, {Symbol::Plus, OpKind::Plus},
                                                {Symbol::Minus, OpKind::Minus});
    }

    bool Product(double& value) {
        return Chain<&NumberCondition::Factor>(value, {Symbol::Times, OpKind::Times},
                                               {Symbol::Divide, OpKind::Divide});
    }

    struct Operator {
        Symbol symbol;
        OpKind kind;
    };

    // Operands joined by either operator, applied from left to right.
    template <bool (NumberCondition::*kOperand)(double&)>
    bool Chain(double& value, Operator one, Operator other) {
        if (!(this->*kOperand)(value)) {
            return false;
        }
        while (Next() == one.symbol || Next() == other.symbol) {
            const OpKind op = Next() == one.symbol ? one.kind : other.kind;
            ++m_at;
            double right = 0;
            if (!(this->*kOperand)(right)) {
                return false;
            }
            value = ThroughText(ApplyBinary(value, right, op));
        }
        return true;
    }

    bool Factor(double& value) {
        if (Next() == Symbol::Number) {
            if (const int slot = m_slots[m_at++]; slot >= 0) {
                value = ThroughText(m_variables.Value(slot));
                return true;
            }
            // A number token is digits, points and a sign, or a call's value
            // in "#00.000" form: nothing that normalising would change.
            value = ReadValue(m_tokens[m_at - 1].Value());
            return true;
        }
        if (Next() != Symbol::Open) {
            return false;
        }
        ++m_at;
        if (!Sum(value) || Next() != Symbol::Close) {
            return false;
        }
        ++m_at;
        return true;
    }

    // ReadConditionNumber, with up to kWholeDigits digits read as the whole
    // number they are: below 10^15, a double holds every whole number.
    static constexpr std::size_t kWholeDigits = 15;
    static double ReadValue(std::string_view text) {
        if (text.size() <= kWholeDigits && !text.empty()) {
            std::int64_t whole = 0;
            for (const char c : text) {
                if (!IsAsciiDigit(c)) {
                    return ReadConditionNumber(text);
                }
                whole = whole * 10 + (c - '0');
            }
            return static_cast<double>(whole);
        }
        return ReadConditionNumber(text);
    }

    const std::array<Token, kTokenListSize>& m_tokens;
    const TokenSlots& m_slots;
    const VariableLookup& m_variables;
    std::size_t m_at = 0;
};

}  // namespace

int FindTopTerminal(const StackEntry* stack, int top) {
    for (int p = top; p >= 0; --p) {
        if (grammar::IsTerminal(stack[p].symbol)) {
            return p;
        }
    }
    Fail(EvaluationFailure::kSubscriptOutOfRange, Cause::MissingOperand);
}

ConditionScan ScanCondition(std::string_view condition, const VariableLookup& variables) {
    ConditionScan scan;
    ValueArena arena;
    std::array<Token, kTokenListSize> tokens;
    TokenSpans spans;
    TokenSlots slots;
    try {
        Tokenizer(condition, variables, tokens, spans, slots, arena, &scan).Run();
    } catch (const EvaluationFailure&) {
        // Too many parts: the condition fails rather than being false.
    }
    return scan;
}

bool ParseCondition(std::string_view condition, const VariableLookup& variables) {
    if (condition.size() > kPositionLimit && CharCount(condition) > kPositionLimit) {
        EvaluationFailure tooLong{EvaluationFailure::kOverflow, Cause::TooLong};
        tooLong.Place(0, condition.size());
        throw tooLong;
    }
    // Every value of this condition lives in the text, the variable table or
    // the arena, all of which outlast the parse.
    ValueArena arena;
    std::array<Token, kTokenListSize> tokens;
    TokenSpans spans;
    TokenSlots slots;
    if (!Tokenizer(condition, variables, tokens, spans, slots, arena).Run()) {
        return false;
    }
    const auto parse = [&] {
        for (std::size_t k = 0; tokens[k].symbol != Symbol::End; ++k) {
            if (slots[k] >= 0) {
                const std::string_view text = variables.ValueText(slots[k]);
                tokens[k].valueData = text.data();
                tokens[k].valueSize = text.size();
            }
        }
        return Parser(condition, tokens, spans, variables.GetTextOrder(), arena).Run();
    };
    if (const auto holds = NumberCondition(tokens, slots, variables).Decide()) {
        // The shortcut must decide as the parse does, which must not fail;
        // builds with assertions check every condition it decides.
        assert([&] {
            try {
                return parse() == *holds;
            } catch (const EvaluationFailure&) {
                return false;
            }
        }());
        return *holds;
    }
    return parse();
}

}  // namespace vornel
