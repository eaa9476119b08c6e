#pragma once

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>

#include "Failure.h"
#include "Operations.h"
#include "Text.h"
#include "VariableLookup.h"

namespace vornel {

inline constexpr int kStackSize = 256;

namespace precedence {

enum class Class { AddSub, MulDiv, Open, CloseOrComma, Function, Other };

constexpr Class ClassOf(OpKind op) {
    switch (op) {
        case OpKind::Plus:
        case OpKind::Minus:
            return Class::AddSub;
        case OpKind::Times:
        case OpKind::Divide:
            return Class::MulDiv;
        case OpKind::Open:
            return Class::Open;
        case OpKind::Close:
        case OpKind::Comma:
            return Class::CloseOrComma;
        case OpKind::Other:
            return Class::Other;
        default:
            return Class::Function;
    }
}

constexpr int Compare(OpKind upper, OpKind lower) {
    // Columns: lower is "+"/"-", "*"/"/", anything else.
    constexpr int kByClass[][3] = {
        /* "+" "-"        */ {0, -1, 1},
        /* "*" "/"        */ {1, 0, 1},
        /* "("            */ {1, 1, 1},
        /* ")" ","        */ {-1, -1, -1},
        /* function name  */ {1, 1, 1},
        /* any other text */ {2, 2, 2},
    };
    const Class lowerClass = ClassOf(lower);
    const int column = lowerClass == Class::AddSub ? 0 : lowerClass == Class::MulDiv ? 1 : 2;
    return kByClass[static_cast<int>(ClassOf(upper))][column];
}

// Every pair of kinds worked out once, for the evaluator's inner loop.
inline constexpr auto kTable = [] {
    std::array<std::array<std::int8_t, kOpKindCount>, kOpKindCount> table{};
    for (int upper = 0; upper < kOpKindCount; ++upper) {
        for (int lower = 0; lower < kOpKindCount; ++lower) {
            table[upper][lower] = static_cast<std::int8_t>(
                Compare(static_cast<OpKind>(upper), static_cast<OpKind>(lower)));
        }
    }
    return table;
}();

}  // namespace precedence

// Compares the operator just placed (upper) with the one below it (lower):
// above 0 means nothing is applied yet; 0 or -1 means lower is applied first.
inline int ComparePrecedence(OpKind upper, OpKind lower) {
    return precedence::kTable[static_cast<int>(upper)][static_cast<int>(lower)];
}
int ComparePrecedence(std::string_view upper, std::string_view lower);

// The value the evaluator reads from `text` when the whole of it is one
// number right after "(", or nothing when it is not.
std::optional<double> ReadWholeNumber(std::string_view text);

// Evaluates a plain ASCII text without white space and without an If block
// as NormalizeExpression would have it evaluated, reading the variables'
// names in place: the value, or nothing when the text must take the
// normalised way (it fails, uses a variable that cannot be marked, or
// written out would reach the position limit).
std::optional<double> EvaluateWithNames(std::string_view text, const VariableLookup& names);

// Marks a variable in a normalised text: followed by one byte, the slot.
inline constexpr char kVariableMark = '\x01';

// Evaluates a normalised expression (no white space, no variable names).
// Failures: 9 for a missing operand or operator, an empty text or a stack
// beyond 256 entries; 13 for a malformed number; 6 for a number beyond a
// double or a text of 32,767 characters or more; and those of the operations.
// A failure carries its range in `text` (see EvaluationFailure).
// With `marks`, kVariableMark and the byte after it stand for "(" + the number
// text of that slot + ")", whose value marks[slot] is, and the caller vouches
// that the text so written is shorter than the position limit. A text that
// fails is to be evaluated again written out, to place the failure.
double EvaluateArithmetic(std::string_view text, const double* marks = nullptr);

// Where the evaluator stands in its text: what a run that is known to fail
// keeps, so that it can say where it failed (byte offsets).
struct EvaluatorPlaces {
    struct Span {
        std::size_t begin = 0;
        std::size_t end = 0;
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    Span token;                                    // the token being read
    bool atEnd = false;                            // reading is over: finishing
    std::array<Span, kStackSize + 1> operators{};  // beside the operator stack
    int reducing = -1;                             // the operator whose operands are fetched
    int applying = -1;                             // the operator being applied
    Span unknownWord{kNone, kNone};                // the first word that names nothing
};

// One left-to-right pass with an operand stack and an operator stack of 256
// entries each, in the manner of an operator-precedence evaluator. The rules
// are exact, including on text that is not a well-formed expression, so the
// pass reads stale entries above the counts on purpose and never validates
// what it pops.
//
// kLocate makes a second, slower variant for the failure path only: it keeps
// EvaluatorPlaces as it goes, and Locate() runs the same text again to find
// where it fails. The variant that evaluates keeps nothing of the sort.
//
// The evaluator runs in two variants that differ only in the Policy:
//   kBottom            lowest readable stack position (1, or 0 when position
//                      0 is a usable scratch entry)
//   kCloseNeedsGroup   whether closing a group looks at the operator stack
//                      only when it holds an operator
//   Convert(number)    the operand a number token's value makes
//   ApplyUnary(x, op)  ceil and floor
//
// It reads a normalised text, where variables are already written out or,
// with `marks`, marked (see EvaluateArithmetic); or, with `names`, a text that
// needs no normalising but for its variables, whose names it reads in place
// (see EvaluateWithNames).
template <class Policy, bool kLocate = false>
class ArithmeticEvaluator {
public:
    explicit ArithmeticEvaluator(std::string_view text, const double* marks = nullptr,
                                 const VariableLookup* names = nullptr)
        : m_text(text), m_marks(marks), m_names(names) {
        // The position counter is 16-bit: stepping past character 32,767
        // overflows it, wherever in the text that happens.
        m_positionLimit = text.size() >= kPositionLimit ? OffsetAfterChars(text, kPositionLimit)
                                                        : std::string_view::npos;
        ClearTo(16);
    }

    double Run() {
        std::size_t i = 0;
        while (i < m_text.size()) {
            const char ch = m_text[i];
            if (IsNumberChar(ch) || (ch == '-' && StartsSignedNumber(i))) {
                i = ReadNumber(i);
            } else if (const OpKind symbol = kSymbols[static_cast<unsigned char>(ch)];
                       symbol != OpKind::Other) {
                NoteToken(i, i + 1);
                PushOperator(symbol);
                i = Advance(i, 1);
                if (m_oc > 1) {
                    PlaceOperator(ch);
                }
            } else if (m_names != nullptr && i >= m_plainUntil && IsNameStart(ch)) {
                i = ReadName(i);
            } else if (IsFunctionInitial(ch)) {
                i = ReadWord(i);
            } else if (ch == kVariableMark && m_marks != nullptr) {
                PushVariable(m_marks[static_cast<unsigned char>(m_text[i + 1])]);
                i += 2;
            } else {
                i = Advance(i, CharLength(m_text, i));
            }
        }
        NoteToken(m_text.size(), m_text.size());
        if constexpr (kLocate) {
            m_places.atEnd = true;
        }
        return Finish();
    }

    // Evaluates again a text on which Run failed, and returns that failure
    // with its range in this text. A run that succeeds returns number 0.
    EvaluationFailure Locate() requires kLocate {
        try {
            Run();
        } catch (EvaluationFailure& fault) {
            PlaceFailure(fault);
            return fault;
        }
        return {failure::kNone};
    }

    // The operand that the number filling the whole text makes, read as Run
    // reads a number right after "(", or nothing when the text is not one.
    std::optional<double> WholeNumber() {
        if (m_text.empty() || !(IsNumberChar(m_text[0]) || m_text[0] == '-')) {
            return std::nullopt;
        }
        try {
            if (ReadNumber(0) != m_text.size()) {
                return std::nullopt;
            }
        } catch (const EvaluationFailure&) {
            return std::nullopt;
        }
        return m_operands[static_cast<std::size_t>(m_nc)];
    }

    // After a run with `names`: how much longer the text is with its
    // variables written out as "(" + number text + ")".
    std::ptrdiff_t Written() const { return m_written; }

private:
    // What each byte is as an operator symbol: Other for a byte that is none.
    static constexpr auto kSymbols = [] {
        std::array<OpKind, 256> symbols{};
        for (int c = 0; c < 256; ++c) {
            symbols[static_cast<std::size_t>(c)] = ClassifySymbol(static_cast<char>(c));
        }
        return symbols;
    }();

    // A minus sign belongs to the number at the very start of the text and
    // right after "(" or ",": there it can only be a sign.
    bool StartsSignedNumber(std::size_t i) const {
        return i == 0 || m_text[i - 1] == '(' || m_text[i - 1] == ',';
    }

    std::size_t Advance(std::size_t i, std::size_t by) const {
        i += by;
        if (i >= m_positionLimit) {
            Fail(EvaluationFailure::kOverflow, Cause::TooLong);
        }
        return i;
    }

    // A number is read as it is scanned: the digits of a plain one (at most
    // one point, up to 18 digits) are gathered on the way, and only the rest
    // are read again from their text.
    std::size_t ReadNumber(std::size_t start) {
        const bool negative = m_text[start] == '-';
        std::size_t end = start + (negative ? 1 : 0);
        std::uint64_t mantissa = 0;
        std::size_t digits = 0;
        std::size_t point = std::string_view::npos;
        bool plain = true;
        for (; end < m_text.size(); ++end) {
            const char c = m_text[end];
            if (IsAsciiDigit(c)) {
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
                ++digits;
            } else if (c == '.') {
                plain = plain && point == std::string_view::npos;
                point = end;
            } else {
                break;
            }
        }
        NoteToken(start, end);
        Advance(end, 0);
        std::optional<double> value;
        if (plain && digits != 0 && digits <= 18) {
            value = ExactDecimal(mantissa, point == std::string_view::npos ? 0 : end - point - 1);
        }
        const double number = value ? (negative ? -*value : *value)
                                    : ReadNumberToken(m_text.substr(start, end - start));
        PushOperand(Policy::Convert(number));
        return end;
    }

    // A name in a text read with the variables' names: a variable is pushed
    // as its mark would be; any other name is read on as the characters it
    // is. A variable that cannot be marked ends the run (the caller falls
    // back to the normalised text).
    std::size_t ReadName(std::size_t start) {
        std::size_t end = start + 1;
        while (end < m_text.size() && IsNameChar(m_text[end])) {
            ++end;
        }
        const int entry = m_names->Find(m_text.substr(start, end - start));
        if (entry < 0) {
            m_plainUntil = end;
            return start;
        }
        if (!m_names->Markable(entry)) {
            Fail(EvaluationFailure::kOverflow, Cause::None);
        }
        PushVariable(m_names->MarkValues()[entry]);
        m_written += static_cast<std::ptrdiff_t>(m_names->MarkedTextSize(entry) + 2) -
                     static_cast<std::ptrdiff_t>(end - start);
        return end;
    }

    // A variable marked in the text stands for "(" + its number text + ")":
    // the same pushes, with the value read once for the whole text.
    void PushVariable(double value) {
        if (!kLocate && Cleared(m_oc + 1) && Cleared(m_nc + 1)) {
            // The entries written lie inside the stacks and are cleared:
            // m_oc + 1 and m_oc + 2, and m_nc + 1.
            m_operators[static_cast<std::size_t>(m_oc + 1)] = OpKind::Open;
            m_operators[static_cast<std::size_t>(m_oc + 2)] = OpKind::Close;
            m_operands[static_cast<std::size_t>(++m_nc)] = value;
            return CloseGroup();
        }
        PushOperator(OpKind::Open);
        PushOperand(value);
        PushOperator(OpKind::Close);
        m_oc -= 2;
        CloseGroup();
    }

    // Any word that starts with a function's initial goes on the operator
    // stack, function name or not; what it does is decided when it is applied.
    std::size_t ReadWord(std::size_t start) {
        std::size_t end = start + 1;
        while (end < m_text.size() && IsLetter(m_text[end])) {
            ++end;
        }
        NoteToken(start, end);
        Advance(end, 0);
        const OpKind kind = ClassifyOperator(m_text.substr(start, end - start));
        if constexpr (kLocate) {
            if (kind == OpKind::Other && m_places.unknownWord.begin == EvaluatorPlaces::kNone) {
                m_places.unknownWord = m_places.token;
            }
        }
        PushOperator(kind);
        return end;
    }

    double& Operand(int p) {
        if (p < Policy::kBottom || p > kStackSize) {
            Fail(EvaluationFailure::kSubscriptOutOfRange,
                 p > kStackSize ? Cause::TooDeep : Cause::MissingOperand);
        }
        assert(p < m_clear && "read above the cleared entries");
        return m_operands[static_cast<std::size_t>(p)];
    }

    // An operator entry known to lie inside the stack (no count goes above
    // it, and the caller has checked the bottom).
    OpKind OperatorInside(int p) const {
        assert(p >= Policy::kBottom && p <= kStackSize && p < m_clear);
        return m_operators[static_cast<std::size_t>(p)];
    }

    OpKind& Operator(int p) {
        if (p < Policy::kBottom || p > kStackSize) {
            Fail(EvaluationFailure::kSubscriptOutOfRange,
                 p > kStackSize ? Cause::TooDeep : Cause::NothingToClose);
        }
        assert(p < m_clear && "read above the cleared entries");
        return m_operators[static_cast<std::size_t>(p)];
    }

    // Entries never written read as zero. No step reads above the higher of
    // the operand count and the operator count plus one, and only pushes
    // raise the counts, so the stacks are cleared as pushes reach them, a
    // few entries ahead: a short formula does not pay for all 257 entries.
    // A push checks its position once: inside the cleared entries, or else
    // the slow path, which also fails a position outside the stacks.
    void PushOperand(double value) {
        const int p = ++m_nc;
        if (!Cleared(p)) [[unlikely]] {
            Reach(p, Cause::MissingOperand);
        }
        m_operands[static_cast<std::size_t>(p)] = value;
    }
    void PushOperator(OpKind op) {
        const int p = ++m_oc;
        if (!Cleared(p)) [[unlikely]] {
            Reach(p, Cause::NothingToClose);
        }
        m_operators[static_cast<std::size_t>(p)] = op;
        if constexpr (kLocate) {
            m_places.operators[static_cast<std::size_t>(p)] = m_places.token;
        }
    }

    // Whether p and the entry above it lie between the bottom and the
    // entries cleared so far.
    bool Cleared(int p) const { return static_cast<unsigned>(p - Policy::kBottom) < m_fastPushes; }

    [[gnu::noinline]] void Reach(int p, Cause below) {
        if (p < Policy::kBottom || p > kStackSize) {
            Fail(EvaluationFailure::kSubscriptOutOfRange, p > kStackSize ? Cause::TooDeep : below);
        }
        ClearTo(std::min(kStackSize + 1, p + 16));
    }

    void ClearTo(int end) {
        for (int k = m_clear; k < end; ++k) {
            m_operands[static_cast<std::size_t>(k)] = 0.0;
            m_operators[static_cast<std::size_t>(k)] = OpKind::Other;
        }
        m_clear = std::max(m_clear, end);
        m_fastPushes = static_cast<unsigned>(m_clear - 1 - Policy::kBottom);
    }

    // Moves the operator at `from` down to `to`; or puts `kind` there, which
    // stands for the token being read.
    void PutOperator(int to, int from, bool inside = false) {
        if (inside) {
            m_operators[static_cast<std::size_t>(to)] = OperatorInside(from);
        } else {
            Operator(to) = Operator(from);
        }
        if constexpr (kLocate) {
            m_places.operators[static_cast<std::size_t>(to)] =
                m_places.operators[static_cast<std::size_t>(from)];
        }
    }
    void PutOperator(int to, OpKind kind) {
        Operator(to) = kind;
        if constexpr (kLocate) {
            m_places.operators[static_cast<std::size_t>(to)] = m_places.token;
        }
    }

    // Applies the operator at position p to the two top operands; the
    // operator entry itself stays where it is.
    // With `inside`, p is known to lie inside the operator stack.
    void Reduce(int p, bool inside = false) {
        if constexpr (kLocate) {
            m_places.reducing = p;
        }
        double& left = Operand(m_nc - 1);
        const double right = Operand(m_nc);
        const OpKind op = inside ? OperatorInside(p) : Operator(p);
        NoteApplying(p);
        left = ApplyBinaryInline(left, right, op);
        NoteApplying(-1);
        --m_nc;
    }

    void NoteToken(std::size_t begin, std::size_t end) {
        if constexpr (kLocate) {
            m_places.token = {begin, end};
        }
    }

    void NoteApplying(int p) {
        if constexpr (kLocate) {
            m_places.applying = p;
            m_places.reducing = -1;
        }
    }

    // After a ")" has removed its "(": a function standing below it is now
    // applied to its arguments.
    void CloseGroup() {
        if (Policy::kCloseNeedsGroup && m_oc < 1) {
            return;
        }
        const OpKind top = Policy::kCloseNeedsGroup ? OperatorInside(m_oc) : Operator(m_oc);
        if (!IsFunctionName(top)) {
            return;
        }
        if (OperandCount(top) == 2) {
            Reduce(m_oc);
        } else {
            double& x = Operand(m_nc);
            NoteApplying(m_oc);
            x = Policy::ApplyUnary(x, top);
            NoteApplying(-1);
        }
        --m_oc;
    }

    void PlaceOperator(char symbol) {
        switch (symbol) {
            case ')':
                return PlaceClose();
            case ',':
                return PlaceComma();
            default:
                return PlaceArithmetic();
        }
    }

    // The entry below the operator just applied is taken to be the "(" without
    // a check: a text that is not well formed yields what these steps give.
    void PlaceClose() {
        if (Operator(m_oc - 1) == OpKind::Open) {
            m_oc -= 2;
            return CloseGroup();
        }
        Reduce(m_oc - 1);
        PutOperator(m_oc - 1, OpKind::Close);
        --m_oc;
        if (Operator(m_oc - 1) == OpKind::Open) {
            m_oc -= 2;
            return CloseGroup();
        }
        Reduce(m_oc - 1);
        m_oc -= 3;
        CloseGroup();
    }

    // A "," finishes one argument; the "(" stays for the next one.
    void PlaceComma() {
        if (Operator(m_oc - 1) == OpKind::Open) {
            --m_oc;
            return;
        }
        Reduce(m_oc - 1);
        PutOperator(m_oc - 1, OpKind::Comma);
        --m_oc;
        if (Operator(m_oc - 1) == OpKind::Open) {
            --m_oc;
            return;
        }
        Reduce(m_oc - 1);
        m_oc -= 2;
    }

    // Runs with at least two operators on the stack, and leaves when one is
    // left: both entries read lie inside the stack.
    void PlaceArithmetic() {
        while (ComparePrecedence(OperatorInside(m_oc), OperatorInside(m_oc - 1)) <= 0) {
            Reduce(m_oc - 1, true);
            PutOperator(m_oc - 1, m_oc, true);
            --m_oc;
            if (m_oc <= 1) {
                return;
            }
        }
    }

    // Whatever is left is folded from the bottom of the stacks upwards, over
    // entries that earlier steps left above the counts: that is what gives
    // "3+" its value 3.
    double Finish() {
        if (m_oc > 1 && ComparePrecedence(Operator(m_oc), Operator(m_oc - 1)) == 1) {
            Reduce(m_oc);
            --m_oc;
        }
        for (int k = 1; k <= m_oc; ++k) {
            double& next = Operand(k + 1);
            const double left = Operand(k);
            const OpKind op = Operator(k);
            NoteApplying(k);
            next = ApplyBinaryInline(left, next, op);
            NoteApplying(-1);
        }
        return Operand(m_nc);
    }

    // Fills the range of a failure of this run, and sharpens its cause where
    // the place tells more than the number.
    void PlaceFailure(EvaluationFailure& fault) const {
        const EvaluatorPlaces& at = m_places;
        if (fault.cause == Cause::TooLong) {
            // The character at which the position counter passes its range.
            fault.Place(OffsetAfterChars(m_text, kPositionLimit - 1), m_positionLimit);
            return;
        }
        if (at.applying >= 0) {
            const auto& op = at.operators[static_cast<std::size_t>(at.applying)];
            fault.Place(op.begin, op.end);
            return;
        }
        if (fault.cause == Cause::MissingOperand) {
            PlaceMissingOperand(fault);
            return;
        }
        if (fault.cause == Cause::TooDeep && m_oc > kStackSize) {
            // The operator stack is full: its top entry is the innermost of
            // the pending operations, usually the 256th "(".
            const auto& top = at.operators[kStackSize];
            fault.Place(top.begin, top.end);
            return;
        }
        fault.Place(at.token.begin, at.token.end);
    }

    void PlaceMissingOperand(EvaluationFailure& fault) const {
        const EvaluatorPlaces& at = m_places;
        const bool reducingFunction =
            at.reducing >= 0 && at.reducing < m_clear &&
            IsFunctionName(m_operators[static_cast<std::size_t>(at.reducing)]);
        if (at.unknownWord.begin != EvaluatorPlaces::kNone) {
            // A word that names nothing stood on the operator stack and took
            // no operand: that is what left another operator without one.
            fault.cause = Cause::UnknownWord;
            fault.Place(at.unknownWord.begin, at.unknownWord.end);
        } else if (m_text.empty()) {
            fault.cause = Cause::EmptyFormula;
            fault.Place(0, 0);
        } else if (reducingFunction) {
            const auto& name = at.operators[static_cast<std::size_t>(at.reducing)];
            fault.cause = Cause::MissingArgument;
            fault.Place(name.begin, name.end);
        } else if (at.atEnd) {
            fault.cause = Cause::MissingOperandAtEnd;
            fault.Place(m_text.size(), m_text.size());
        } else {
            const std::size_t b = at.token.begin;
            if (m_text[b] == '-' && b > 0 && IsArithmeticSymbol(m_text[b - 1])) {
                fault.cause = Cause::SignAfterOperator;
            }
            fault.Place(b, at.token.end);
        }
    }

    static bool IsArithmeticSymbol(char c) { return c == '+' || c == '-' || c == '*' || c == '/'; }

    std::string_view m_text;
    const double* m_marks;
    const VariableLookup* m_names;
    std::size_t m_plainUntil = 0;  // the rest of a name that is no variable
    std::ptrdiff_t m_written = 0;
    std::size_t m_positionLimit;
    // Only entries below m_clear have been written or cleared.
    std::array<double, kStackSize + 1> m_operands;
    std::array<OpKind, kStackSize + 1> m_operators;
    int m_clear = 0;
    unsigned m_fastPushes = 0;  // pushes to kBottom + this need the slow path
    int m_nc = 0;
    int m_oc = 0;
    struct NoPlaces {};
    [[no_unique_address]] std::conditional_t<kLocate, EvaluatorPlaces, NoPlaces> m_places;
};

// Evaluates `text` with ArithmeticEvaluator<Policy>; when it fails, runs it
// again to find where, and throws the failure with its range in `text`. A
// text with marks fails unplaced.
template <class Policy>
double EvaluatePlacingFailures(std::string_view text, const double* marks = nullptr) {
    try {
        return ArithmeticEvaluator<Policy>(text, marks).Run();
    } catch (const EvaluationFailure& fault) {
        if (marks != nullptr) {
            throw;  // placed by the caller, on the text written out
        }
        EvaluationFailure placed = ArithmeticEvaluator<Policy, true>(text).Locate();
        if (placed.number != fault.number) {
            // Cannot happen (the run is the same); keep the number, blame it all.
            placed = fault;
            placed.Place(0, text.size());
        }
        throw placed;
    }
}

}  // namespace vornel
