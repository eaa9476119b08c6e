#include "ConditionParser.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <limits>
#include <string>

#include "ConditionArithmetic.h"
#include "ConditionEvaluation.h"
#include "Normalizer.h"
#include "NumberText.h"
#include "Operations.h"
#include "Text.h"
#include "VariableStorage.h"

namespace vornel {

namespace {

using grammar::Symbol;
using Token = CompiledCondition::Token;
using Step = CompiledCondition::Step;
using Source = CompiledCondition::Source;

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

// What a value on the parse stack is, as far as the text and the names tell:
// the typed evaluation knows numbers and truth values only.
enum Kind : std::uint8_t { kOther, kNumber, kTruth, kUntyped };

// The productions, by what they do with their handle's values.
constexpr int kOr = 1;
constexpr int kAnd = 3;
constexpr bool IsGroup(int p) {
    return p == 5 || p == 27 || p == 31;
}
constexpr bool IsNumberComparison(int p) {
    return p >= 7 && p <= 12;
}
constexpr bool IsTextStep(int p) {
    return (p >= 15 && p <= 20) || p == 29;
}
constexpr bool IsArithmetic(int p) {
    return p >= 21 && p <= 25 && p != 23;
}
constexpr OpKind ArithmeticOf(int p) {
    return p == 21   ? OpKind::Plus
           : p == 22 ? OpKind::Minus
           : p == 24 ? OpKind::Times
                     : OpKind::Divide;
}

constexpr int kSymbolCount = static_cast<int>(Symbol::C) + 1;

// The grammar's relations and productions, read once into one table that
// the parse of every condition looks up without a call.
struct ParseTable {
    struct Reduction {
        std::int8_t production;  // -1: none
        std::uint8_t length;
        Symbol left;
    };
    std::array<std::array<std::int8_t, grammar::kTerminalCount>, grammar::kTerminalCount> relation;
    // By the top terminal and the symbol below it.
    std::array<std::array<Reduction, kSymbolCount>, grammar::kTerminalCount> reduction;

    ParseTable() {
        for (int t = 0; t < grammar::kTerminalCount; ++t) {
            const auto top = static_cast<Symbol>(t);
            for (int i = 0; i < grammar::kTerminalCount; ++i) {
                relation[t][i] =
                    static_cast<std::int8_t>(grammar::Relation(top, static_cast<Symbol>(i)));
            }
            for (int below = 0; below < kSymbolCount; ++below) {
                const int p = grammar::FindProduction(top, static_cast<Symbol>(below));
                Reduction& r = reduction[t][below];
                r = {static_cast<std::int8_t>(p), 0, Symbol::End};
                if (p > 0) {
                    const grammar::Production& rule = grammar::GetProduction(p);
                    r.length = static_cast<std::uint8_t>(rule.handleLength);
                    r.left = rule.left;
                }
            }
        }
    }

    static const ParseTable& Get() {
        static const ParseTable table;
        return table;
    }
};

}  // namespace

// Reads a condition into its tokens and its parse into steps, evaluating
// nothing.
class ConditionCompiler {
public:
    ConditionCompiler(CompiledCondition& out, const VariableLookup& names)
        : m_out(out), m_text(out.m_condition), m_names(names) {}

    void Compile() {
        if (m_text.size() > kPositionLimit && CharCount(m_text) > kPositionLimit) {
            m_out.m_fault = {EvaluationFailure::kOverflow, Cause::TooLong};
            m_out.m_fault.Place(0, m_text.size());
            m_out.m_reading = CompiledCondition::Ending::Failed;
            return;
        }
        if (!Tokenize()) {
            return;
        }
        Parse();
        // A call is worked out as a text, even where the parse stops before it.
        m_out.m_typed = m_typed && m_out.m_calls.empty();
    }

private:
    // --- Reading the tokens ---------------------------------------------

    bool Tokenize() {
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
        return Append(Symbol::End, "$");
    }

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

    // Reading stops: the condition is false whatever the values.
    bool QuietlyFalse(ConditionScan::Why why, std::size_t begin, std::size_t end) {
        m_out.m_scan.why = why;
        m_out.m_scan.begin = begin;
        m_out.m_scan.end = end;
        m_out.m_reading = CompiledCondition::Ending::QuietlyFalse;
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
        const std::size_t open = m_pos;
        int depth = 0;
        std::size_t i = m_pos;
        do {
            depth += m_text[i] == '(' ? 1 : (m_text[i] == ')' ? -1 : 0);
            ++i;
        } while (depth > 0 && i < m_text.size());
        m_kind = TokenKind::FunctionCall;
        m_pos = i;
        // The call is kept before its token: a call that is one token too
        // many is still worked out before the count fails.
        m_out.m_calls.push_back(
            {Offset(m_tokenStart), Offset(m_tokenStart + name.size()), Offset(open), Offset(i)});
        return AppendToken();
    }

    bool AppendToken() {
        switch (m_kind) {
            case TokenKind::Identifier:
                return AppendIdentifier();
            case TokenKind::Number:
                return Append(Symbol::Number, m_tokenText);
            case TokenKind::StringLiteral:
                return Append(Symbol::Text, m_tokenText);
            case TokenKind::FunctionCall:
                return Append(Symbol::Number, {}, -1, static_cast<int>(m_out.m_calls.size()) - 1);
            default:
                return Append(OperatorSymbol(m_tokenText), m_tokenText);
        }
    }

    bool AppendIdentifier() {
        if (EqualsIgnoringAsciiCase(m_tokenText, kTrue)) {
            return Append(Symbol::True, m_tokenText);
        }
        if (EqualsIgnoringAsciiCase(m_tokenText, kFalse)) {
            return Append(Symbol::False, m_tokenText);
        }
        const int slot = m_names.Find(m_tokenText);
        if (slot < 0) {
            return QuietlyFalse(ConditionScan::Why::UnknownName, m_tokenStart, m_pos);
        }
        ConditionScan& scan = m_out.m_scan;
        const auto named = scan.named.begin() + scan.namedCount;
        if (std::find(scan.named.begin(), named, slot) == named) {
            scan.named[static_cast<std::size_t>(scan.namedCount++)] =
                static_cast<std::int8_t>(slot);
        }
        return Append(Symbol::Number, {}, slot);
    }

    bool Append(Symbol symbol, std::string_view value, int slot = -1, int call = -1) {
        auto& tokens = m_out.m_tokens;
        if (tokens.size() == kTokenListSize) {
            // The 128th token took the end marker's place.
            m_out.m_fault = {EvaluationFailure::kSubscriptOutOfRange, Cause::TooManyTokens};
            m_out.m_fault.Place(tokens.back().begin, tokens.back().end);
            m_out.m_reading = CompiledCondition::Ending::Failed;
            return false;
        }
        tokens.push_back({symbol, static_cast<std::int8_t>(slot), static_cast<std::int16_t>(call),
                          Offset(m_tokenStart), Offset(m_pos), value, 0.0});
        return true;
    }

    static std::uint32_t Offset(std::size_t at) { return static_cast<std::uint32_t>(at); }

    // --- The parse, symbol by symbol ------------------------------------

    struct Entry {
        Symbol symbol;
        std::uint8_t token;  // the token a terminal came from
        Kind kind;           // what its value is
        Source source;       // where the steps on doubles find it
    };

    // Every step is the one the operator-precedence parse takes; a pair
    // without a relation, a handle without a production or a stack position
    // out of range ends it with its failure.
    void Parse() {
        const auto& tokens = m_out.m_tokens;
        const ParseTable& table = ParseTable::Get();
        m_stack[0] = {Symbol::End, 0, kOther, {}};
        std::size_t input = 0;
        Symbol topTerminal = Symbol::End;
        int topPosition = 0;
        while (true) {
            const Token& incoming = tokens[input];
            if (topTerminal == Symbol::End && incoming.symbol == Symbol::End) {
                m_out.m_resultKind = m_stack[static_cast<std::size_t>(m_top)].kind;
                m_out.m_result = m_stack[static_cast<std::size_t>(m_top)].source;
                return;
            }
            switch (table.relation[static_cast<std::size_t>(topTerminal)]
                                  [static_cast<std::size_t>(incoming.symbol)]) {
                case grammar::kYield:
                case grammar::kEqual:
                    if (!InStack(m_top + 1)) {
                        return;
                    }
                    m_stack[static_cast<std::size_t>(++m_top)] = {incoming.symbol,
                                                                  static_cast<std::uint8_t>(input),
                                                                  Shifted(input), SourceOf(input)};
                    m_out.m_steps.push_back({0, 0, static_cast<std::uint8_t>(input)});

                    ++input;
                    break;
                case grammar::kTakes:
                    if (!Reduce(table, topPosition)) {
                        return;
                    }
                    break;
                default:
                    FailWithoutRelation(topPosition, incoming);
                    return;
            }
            topPosition = m_top;
            while (topPosition >= 0 &&
                   !grammar::IsTerminal(m_stack[static_cast<std::size_t>(topPosition)].symbol)) {
                --topPosition;
            }
            if (topPosition < 0) {
                Fail(Cause::MissingOperand);
                return;
            }
            topTerminal = m_stack[static_cast<std::size_t>(topPosition)].symbol;
        }
    }

    // The handle is counted down from the top by the production's length;
    // its symbols are not compared with the production's right-hand side.
    bool Reduce(const ParseTable& table, int topPosition) {
        const Entry top = m_stack[static_cast<std::size_t>(topPosition)];
        m_reducing = top.token;
        if (!InStack(topPosition - 1)) {
            return false;
        }
        const Symbol below = m_stack[static_cast<std::size_t>(topPosition - 1)].symbol;
        const ParseTable::Reduction rule =
            table.reduction[static_cast<std::size_t>(top.symbol)][static_cast<std::size_t>(below)];
        if (rule.production < 0) {
            Fail(Cause::WrongKindOfOperand);
            return false;
        }
        const int bottom = m_top - rule.length + 1;
        if (!InStack(bottom)) {
            return false;
        }
        m_out.m_steps.push_back(
            {static_cast<std::uint8_t>(rule.production), rule.length, top.token});
        const auto b = static_cast<std::size_t>(bottom);
        const Kind kind = rule.length == 1 ? m_stack[b].kind
                                           : Reduced(rule.production, m_stack[b].kind,
                                                     m_stack[b + 1].kind, m_stack[b + 2].kind);
        m_typed = m_typed && kind != kUntyped;
        Source source = m_stack[b].source;
        if (IsGroup(rule.production)) {
            source = m_stack[b + 1].source;
        } else if (rule.length == 3) {
            // A step on doubles of its own, whose result has a place of its own.
            auto& typed = m_out.m_typedSteps;
            source = {Source::kStep, static_cast<std::uint8_t>(typed.size())};
            typed.push_back({static_cast<std::uint8_t>(rule.production), m_stack[b].source,
                             m_stack[b + 2].source});
        }
        m_top = bottom;
        m_stack[b] = {rule.left, 0, kind, source};
        return true;
    }

    bool InStack(int position) {
        if (position < 0 || position > kParseStackTop) {
            Fail(Cause::MissingOperand);
            return false;
        }
        return true;
    }

    // A failure of the parse itself is placed at the operator of the last
    // reduction (the first token before any).
    void Fail(Cause cause) {
        const Token& token = m_out.m_tokens[m_reducing];
        EndParse({EvaluationFailure::kSubscriptOutOfRange, cause}, token.begin, token.end);
    }

    // The pair can never parse. A "(" that meets the end, or a ")" that meets
    // the bottom of the stack, is a parenthesis without its partner, marked
    // where it stands; any other pair concerns the whole condition.
    void FailWithoutRelation(int topPosition, const Token& incoming) {
        const Entry top = m_stack[static_cast<std::size_t>(topPosition)];
        const auto& tokens = m_out.m_tokens;
        EvaluationFailure fault{EvaluationFailure::kSubscriptOutOfRange, Cause::NoRelation};
        if (top.symbol == Symbol::Open && incoming.symbol == Symbol::End) {
            fault.cause = Cause::UnclosedParenthesis;
            EndParse(fault, tokens[top.token].begin, tokens[top.token].end);
        } else if (top.symbol == Symbol::End && incoming.symbol == Symbol::Close) {
            fault.cause = Cause::NothingToClose;
            EndParse(fault, incoming.begin, incoming.end);
        } else {
            constexpr std::string_view kBlanks = " \r\n\t";
            const auto first = m_text.find_first_not_of(kBlanks);
            const auto last = m_text.find_last_not_of(kBlanks);
            EndParse(fault, first == std::string_view::npos ? 0 : first,
                     last == std::string_view::npos ? 0 : last + 1);
        }
    }

    void EndParse(EvaluationFailure fault, std::size_t begin, std::size_t end) {
        fault.Place(begin, end);
        m_out.m_fault = fault;
        m_out.m_parse = CompiledCondition::Ending::Failed;
    }

    // --- Whether the steps can be worked out on doubles -----------------

    // Where the steps on doubles find token `k`'s value.
    Source SourceOf(std::size_t k) const {
        const Token& token = m_out.m_tokens[k];
        if (token.slot >= 0) {
            return {Source::kVariable, static_cast<std::uint8_t>(token.slot)};
        }
        const bool value = token.symbol == Symbol::Number || token.symbol == Symbol::True ||
                           token.symbol == Symbol::False;
        return {value ? Source::kToken : Source::kNowhere, static_cast<std::uint8_t>(k)};
    }

    // The kind of token `k`'s value; a number's value is read here.
    Kind Shifted(std::size_t k) {
        Token& token = m_out.m_tokens[k];
        switch (token.symbol) {
            case Symbol::Number:
                if (token.call >= 0) {
                    return kUntyped;
                }
                if (token.slot >= 0) {
                    return kNumber;
                }
                if (const Checked read = ReadConditionNumber(token.text); !read.Failed()) {
                    token.number = read.value;
                    return kNumber;
                }
                return kUntyped;  // fails where the parse reads it
            case Symbol::True:
                token.number = 1;
                return kTruth;
            case Symbol::False:
                return kTruth;
            case Symbol::Text:
                return kUntyped;
            default:
                return kOther;
        }
    }

    // The kind of the value production `p` makes of a handle of these
    // kinds; kUntyped when the rules would read a value as another kind.
    static Kind Reduced(int p, Kind left, Kind middle, Kind right) {
        if (left == kUntyped || middle == kUntyped || right == kUntyped || IsTextStep(p)) {
            return kUntyped;
        }
        if (p == kOr || p == kAnd) {
            return left == kTruth && right == kTruth ? kTruth : kUntyped;
        }
        if (IsNumberComparison(p) || IsArithmetic(p)) {
            if (left != kNumber || right != kNumber) {
                return kUntyped;
            }
            return IsArithmetic(p) ? kNumber : kTruth;
        }
        if (IsGroup(p)) {
            return middle == kNumber || middle == kTruth ? middle : kUntyped;
        }
        return left;
    }

    CompiledCondition& m_out;
    std::string_view m_text;
    const VariableLookup& m_names;
    std::size_t m_pos = 0;
    std::size_t m_tokenStart = 0;
    std::string_view m_tokenText;  // the last token's text, read by the sign rule
    TokenKind m_kind = TokenKind::None;
    std::array<Entry, kParseStackTop + 1> m_stack;
    int m_top = 0;
    std::uint8_t m_reducing = 0;  // the token of the last reduction's operator
    bool m_typed = true;
};

CompiledCondition::CompiledCondition(std::string_view condition, const VariableLookup& names,
                                     std::pmr::memory_resource* memory)
    : m_condition(condition),
      m_tokens(memory),
      m_calls(memory),
      m_steps(memory),
      m_typedSteps(memory) {
    m_tokens.reserve(std::min<std::size_t>(condition.size() + 1, kTokenListSize));
    m_typedSteps.reserve(m_tokens.capacity() / 2);
    m_steps.reserve(2 * m_tokens.capacity());
    ConditionCompiler(*this, names).Compile();
}

ConditionOutcome CompiledCondition::Decide(const VariableLookup& variables) const {
    if (m_calls.empty() && m_reading != Ending::Parsed) {
        return {false, m_fault};  // nothing to work out before reading stops
    }
    if (bool holds = false; m_typed && DecideTyped(variables, holds)) {
        const ConditionOutcome typed =
            m_parse == Ending::Failed ? ConditionOutcome{false, m_fault} : ConditionOutcome{holds};
        // The steps on doubles must decide as the steps on texts do; builds
        // with assertions check every condition.
        assert([&] {
            const ConditionOutcome byText = DecideByText(variables);
            return byText.fault.number == typed.fault.number && byText.holds == typed.holds;
        }());
        return typed;
    }
    return DecideByText(variables);
}

// The steps on doubles: a number stands for its number text read back, as
// the steps on texts keep it. Anything that fails is left to those.
bool CompiledCondition::DecideTyped(const VariableLookup& variables, bool& holds) const {
    const VariableValues& stored = StoredValues(variables.Table());
    std::array<double, kTokenListSize> results;
    const auto fetch = [&](Source from, double& value) {
        switch (from.kind) {
            case Source::kToken:
                value = m_tokens[from.index].number;
                return true;
            case Source::kVariable:
                if (((stored.unreadable >> from.index) & 1U) != 0) {
                    return false;
                }
                value = stored.readValues[from.index];
                return true;
            case Source::kStep:
                value = results[from.index];
                return true;
            default:
                // An operator's place: no step reads it as a number, and
                // one that did would not give a value as if it held one.
                value = std::numeric_limits<double>::quiet_NaN();
                return true;
        }
    };
    for (std::size_t k = 0; k < m_typedSteps.size(); ++k) {
        const TypedStep& step = m_typedSteps[k];
        double x = 0;
        double y = 0;
        if (!fetch(step.left, x) || !fetch(step.right, y)) {
            return false;
        }
        const int p = step.production;
        if (p == kOr) {
            results[k] = (x != 0 || y != 0) ? 1 : 0;
        } else if (p == kAnd) {
            results[k] = (x != 0 && y != 0) ? 1 : 0;
        } else if (IsNumberComparison(p)) {
            results[k] = ComparisonHolds(NumberOrder(x, y), p) ? 1 : 0;
        } else {
            const Checked z = ApplyBinary(x, y, ArithmeticOf(p));
            if (z.Failed()) {
                return false;
            }
            if (IsWrittenWhole(z.value)) {
                results[k] = z.value + 0.0;
            } else if (const ReadValue read = ReadBack(z.value); read.readable) {
                results[k] = read.value;
            } else {
                return false;
            }
        }
    }
    double result = 0;
    if (m_resultKind != kTruth) {
        holds = false;
        return true;
    }
    if (!fetch(m_result, result)) {
        return false;
    }
    holds = result != 0;
    return true;
}

namespace {

// Where offset `at` of a call's text (its name followed by everything from
// its "(") stands in the condition.
std::size_t CallToCondition(const CompiledCondition::Call& call, std::size_t at) {
    const std::size_t name = call.nameEnd - call.nameBegin;
    return at <= name ? call.nameBegin + at : call.openBegin + (at - name);
}

}  // namespace

ConditionOutcome CompiledCondition::DecideByText(const VariableLookup& variables) const {
    ValueArena arena;
    std::array<std::string_view, kTokenListSize> callValues;
    // The calls, in the order they are read: a failure is carried back from
    // the normalised text to the call and from there into the condition.
    for (std::size_t k = 0; k < m_calls.size(); ++k) {
        const Call& call = m_calls[k];
        std::string text(m_condition.substr(call.nameBegin, call.nameEnd - call.nameBegin));
        text.append(m_condition.substr(call.openBegin, call.openEnd - call.openBegin));
        EvaluationFailure fault{failure::kNone};
        if (ReachesPositionLimit(text)) {
            fault = {failure::kOverflow, Cause::TooLong};
            fault.Place(0, text.size());
        } else {
            const double value =
                EvaluateConditionArithmetic(NormalizeExpression(text, variables), fault);
            if (fault.number == failure::kNone) {
                callValues[k] = arena.Keep(FormatCallValue(value));
                continue;
            }
            PlaceInSource(fault, text, variables);
        }
        fault.Place(CallToCondition(call, fault.begin), CallToCondition(call, fault.end));
        return {false, fault};
    }
    if (m_reading != Ending::Parsed) {
        return {false, m_fault};
    }
    std::array<std::string_view, kTokenListSize> values;
    for (std::size_t k = 0; k < m_tokens.size(); ++k) {
        const Token& token = m_tokens[k];
        values[k] = token.slot >= 0   ? variables.ValueText(token.slot)
                    : token.call >= 0 ? callValues[static_cast<std::size_t>(token.call)]
                                      : token.text;
    }
    return RunSteps(values.data(), variables, arena);
}

// Every reduction is evaluated as the parse makes it: a failure is placed at
// its operator.
ConditionOutcome CompiledCondition::RunSteps(std::string_view* values,
                                             const VariableLookup& variables,
                                             ValueArena& arena) const {
    std::array<std::string_view, kParseStackTop + 1> stack;
    stack[0] = "$";
    int top = 0;
    for (const Step& step : m_steps) {
        if (step.production == 0) {
            stack[static_cast<std::size_t>(++top)] = values[step.token];
            continue;
        }
        const int bottom = top - step.length + 1;
        const std::size_t b = static_cast<std::size_t>(bottom);
        const bool three = step.length == 3;
        EvaluationFailure fault{failure::kNone};
        stack[b] = EvaluateReduction(stack[b], three ? stack[b + 1] : std::string_view(),
                                     three ? stack[b + 2] : std::string_view(), step.production,
                                     variables.GetTextOrder(), arena, fault);
        if (fault.number != failure::kNone) {
            if (fault.cause == Cause::MalformedNumber) {
                fault.cause = Cause::NotANumber;  // a value of the condition, not a typed number
            }
            const Token& at = m_tokens[step.token];
            fault.Place(at.begin, at.end);
            return {false, fault};
        }
        top = bottom;
    }
    if (m_parse == Ending::Failed) {
        return {false, m_fault};
    }
    return {EqualsIgnoringAsciiCase(stack[static_cast<std::size_t>(top)], kTrue)};
}

ConditionOutcome DecideCondition(std::string_view condition, const VariableLookup& variables) {
    return CompiledCondition(condition, variables).Decide(variables);
}

}  // namespace vornel
