#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>

#include "Failure.h"
#include "Operations.h"
#include "Program.h"
#include "Text.h"
#include "VariableLookup.h"

namespace vornel {

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

// Every pair of kinds worked out once, for the compiler's inner loop.
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

namespace precedence {

// For each upper kind, bit `lower` set where nothing is applied yet: one test
// of a bit in place of a lookup in the table.
inline constexpr auto kWaits = [] {
    static_assert(kOpKindCount <= 32);
    std::array<std::uint32_t, kOpKindCount> waits{};
    for (int upper = 0; upper < kOpKindCount; ++upper) {
        for (int lower = 0; lower < kOpKindCount; ++lower) {
            if (kTable[upper][lower] > 0) {
                waits[upper] |= std::uint32_t{1} << lower;
            }
        }
    }
    return waits;
}();

}  // namespace precedence

// Whether `upper`, placed over `lower`, applies nothing yet: what
// ComparePrecedence tells when above 0.
inline bool Waits(OpKind upper, OpKind lower) {
    return ((precedence::kWaits[static_cast<int>(upper)] >> static_cast<int>(lower)) & 1U) != 0;
}

// Marks a variable in a normalised text: followed by one byte, the slot. It
// stands for "(" + the variable's number text + ")".
inline constexpr char kVariableMark = '\x01';

// What the compiler tells about the text it reads, beside the program: the
// skipped parts that notes are made of. Byte ranges in the normalised text.
class CompileObserver {
public:
    // A name read where it stands (see NameReading) that no variable holds,
    // and a variable read.
    virtual void UnknownName(std::size_t begin, std::size_t end) = 0;
    virtual void Variable(int slot) = 0;
    virtual void SkippedCharacter(std::size_t begin, std::size_t end) = 0;
    virtual void UnclosedParenthesis(std::size_t begin, std::size_t end) = 0;
    virtual void SkippedClose(std::size_t begin, std::size_t end) = 0;
    virtual void UnusedArguments(std::size_t begin, std::size_t end, int count) = 0;
    // Values that stay below the result on the operand stack, and the
    // operators left over them: nothing joins them to the result.
    virtual void UnusedValue(std::size_t begin, std::size_t end) = 0;

protected:
    ~CompileObserver() = default;
};

// The rules of the two arithmetics:
//   Plain: positions 1 to 256, a group is closed only when an operator is
//          left, numbers as they are, ceil and floor over every double.
//   Whole: the arithmetic of a function call inside a condition: position 0
//          is usable, a group is closed whatever the count, numbers and
//          variables enter as whole numbers, ceil and floor keep to 16 bits.
struct PlainRules {
    static constexpr int kBottom = 1;
    static constexpr bool kCloseNeedsGroup = true;
    static constexpr Whole kWhole = Whole::No;
};
struct WholeRules {
    static constexpr int kBottom = 0;
    static constexpr bool kCloseNeedsGroup = false;
    static constexpr Whole kWhole = Whole::Yes;
};

// A text that needs no normalising but for its variables (plain ASCII without
// white space) is compiled where it stands: its names are read in place, a
// variable as its mark would be, any other name as the characters it is.
// This counts what the text written out would hold: reading a variable only
// counts it, and the rest is worked out from the counts afterwards.
struct NameReading {
    explicit NameReading(const VariableLookup& lookup) : names(&lookup) {}
    const VariableLookup* names;
    std::array<std::uint16_t, kVariableSlots> occurrences{};  // of each slot

    // The occurrences of variables in all.
    std::size_t Variables() const {
        std::size_t count = 0;
        for (const std::uint16_t n : occurrences) {
            count += n;
        }
        return count;
    }
    // The characters of the variables' names: a name read is as long as the
    // name it matched.
    std::size_t NameChars() const {
        std::size_t count = 0;
        for (std::size_t k = 0; k < occurrences.size(); ++k) {
            if (occurrences[k] != 0) {
                count += occurrences[k] * names->NameSize(static_cast<int>(k));
            }
        }
        return count;
    }
};

// Compiles a normalised arithmetic text into a program: one left-to-right pass
// with an operand stack and an operator stack of 256 entries each, in the
// manner of an operator-precedence evaluator. The rules are exact, including
// on text that is not a well-formed expression, so the program reads stale
// entries above the counts on purpose and never validates what it pops.
//
// Only the positions are worked out here: which operand stack entries each
// operation reads and writes. They depend on the text alone, never on the
// values, so the program holds every step in the order the rules take it, and
// a failure the text itself makes (a missing operand, a malformed number)
// becomes a step of its own at the point where the rules meet it.
//
// The steps go to a Sink, which either keeps them as a Program (ProgramSink)
// or works them out at once (RunSink, for a formula evaluated once). Either
// way the steps are the same and come in the same order.
template <class Rules, class Sink>
class ArithmeticCompiler {
public:
    // With `marked`, kVariableMark and the byte after it stand for a variable;
    // otherwise the mark is a byte like any other.
    // With `reading`, the text is read with its names in place.
    ArithmeticCompiler(std::string_view text, bool marked, Sink& sink, CompileObserver* observer,
                       NameReading* reading = nullptr)
        : m_text(text),
          m_marked(marked),
          m_sink(sink),
          m_observer(observer),
          m_reading(reading),
          m_plainUntil(reading != nullptr ? 0 : std::string_view::npos) {
        // The position counter is 16-bit: stepping past character 32,767
        // overflows it, wherever in the text that happens.
        m_positionLimit = text.size() >= kPositionLimit ? OffsetAfterChars(text, kPositionLimit)
                                                        : std::string_view::npos;
        ClearTo(16);
    }

    // Reading stops at the first failure the text makes, which the sink is
    // given in place of any later step.
    void Compile() {
        try {
            Run();
        } catch (Stopped&) {
            PlaceFailure(m_fault);
            m_sink.Fail(static_cast<failure::Number>(m_fault.number), m_fault.cause,
                        PlaceOf({m_fault.begin, m_fault.end}));
        }
    }

private:
    // Unwinds the reading from where the text fails back to Compile: it never
    // leaves the compiler. Nothing after the failing check runs, so no stack
    // is written out of its range.
    struct Stopped {};
    [[noreturn]] void Fail(failure::Number number, Cause cause) {
        m_fault = {number, cause};
        throw Stopped{};
    }

    // Trivial, so that the stack of them is not cleared when it is made.
    struct Span {
        std::uint32_t begin;
        std::uint32_t end;
        Span() = default;
        constexpr Span(std::size_t b, std::size_t e)
            : begin(static_cast<std::uint32_t>(b)), end(static_cast<std::uint32_t>(e)) {}
    };
    static constexpr std::uint32_t kNone = static_cast<std::uint32_t>(-1);
    // Only a program that is kept has notes.
    static constexpr bool kObserved = !std::is_same_v<Sink, RunSink>;
    // A formula worked out at once is never given an observer: without one
    // known to the compiler, every test for one would stay in its loop.
    CompileObserver* Observer() const {
        if constexpr (kObserved) {
            return m_observer;
        } else {
            return nullptr;
        }
    }
    // An operand already told of by another note.
    static constexpr Span kTold{kNone, 0};

    // What each byte is as an operator symbol: Other for a byte that is none.
    static constexpr auto kSymbols = [] {
        std::array<OpKind, 256> symbols{};
        for (int c = 0; c < 256; ++c) {
            symbols[static_cast<std::size_t>(c)] = ClassifySymbol(static_cast<char>(c));
        }
        return symbols;
    }();

    // What each byte can be, as bits: tested one after another in the order
    // the rules try them.
    static constexpr std::uint8_t kNumber = 1;   // a digit or "."
    static constexpr std::uint8_t kSymbol = 2;   // + - * / ( ) ,
    static constexpr std::uint8_t kName = 4;     // a letter or "_"
    static constexpr std::uint8_t kInitial = 8;  // a function's initial
    static constexpr std::uint8_t kDigit = 16;
    static constexpr auto kClasses = [] {
        std::array<std::uint8_t, 256> classes{};
        for (int c = 0; c < 256; ++c) {
            const auto ch = static_cast<char>(c);
            classes[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(
                (IsNumberChar(ch) ? kNumber : 0) |
                (ClassifySymbol(ch) != OpKind::Other ? kSymbol : 0) |
                (IsNameStart(ch) ? kName : 0) | (IsFunctionInitial(ch) ? kInitial : 0) |
                (IsAsciiDigit(ch) ? kDigit : 0));
        }
        return classes;
    }();
    static std::uint8_t ClassOf(char c) { return kClasses[static_cast<unsigned char>(c)]; }

    // One place reads every operator: after an operand the next byte is
    // tested for one right away, and the operator is read without going
    // round the loop again. Aligned to a cache line: where in one its code
    // began moved the time of a long formula by up to a seventh, with every
    // change to the code before it.
    [[gnu::aligned(64)]] void Run() {
        // Kept in registers: the stores to the operator stack, bytes, may
        // alias any member, which would be read again after each of them.
        const char* const text = m_text.data();
        const std::size_t size = m_text.size();
        std::size_t i = 0;
        while (i < size) {
            char ch = text[i];
            const std::uint8_t is = ClassOf(ch);
            if ((is & kSymbol) == 0 || (ch == '-' && StartsSignedNumber(i))) {
                if ((is & (kNumber | kSymbol)) != 0) {  // a symbol here is a sign
                    i = ReadNumber(i, text, size);
                } else if ((is & kName) != 0 && ReadingName(i)) {
                    i = ReadName(i, text, size);
                } else {
                    i = ReadMarkOrOther(i, ch, is);
                    continue;
                }
                // A "-" here is an operator, since no "(" or "," comes
                // before it.
                if (i >= size || (ClassOf(text[i]) & kSymbol) == 0) {
                    continue;
                }
                ch = text[i];
            }
            i = ReadSymbol(i, ch);
        }
        m_token = Span{size, size};
        m_atEnd = true;
        Finish();
    }

    // A variable's mark in a normalised text, a word or a skipped character.
    [[gnu::always_inline]] std::size_t ReadMarkOrOther(std::size_t i, char ch, std::uint8_t is) {
        if (ch == kVariableMark && m_marked) {
            const Span mark{i, i + 2};
            m_token = mark;
            PushVariable(static_cast<unsigned char>(m_text[i + 1]), mark);
            return i + 2;
        }
        return ReadOther(i, is);
    }

    // A word or a skipped character: kept apart from the loop above, which
    // stays small.
    [[gnu::noinline]] std::size_t ReadOther(std::size_t i, std::uint8_t is) {
        if ((is & kInitial) != 0) {
            return ReadWord(i);
        }
        const std::size_t next = Advance(i, CharLength(m_text, i));
        if (Observer() != nullptr) {
            Observer()->SkippedCharacter(i, next);
        }
        return next;
    }

    // Whether a name starts at i and is read in place.
    // Without `reading`, m_plainUntil lies beyond any text.
    bool ReadingName(std::size_t i) const { return i >= m_plainUntil; }

    // The token just made is passed on as it is, and becomes m_token only
    // where a step that can fail or a note reads it: PushOperatorChecked,
    // PlaceClose, PlaceComma and a checked reduction. Every other token
    // sets m_token before anything reads it again.
    // Inlined in Run, its one caller: a call would save and restore six
    // registers for every operator.
    [[gnu::always_inline]] std::size_t ReadSymbol(std::size_t i, char ch) {
        const Span token{i, i + 1};
        const OpKind kind = kSymbols[static_cast<unsigned char>(ch)];
        const int p = PushOperator(kind, token);
        i = Advance(i, 1);
        if (p > 1) {
            PlaceOperator(kind, token, p);
        }
        return i;
    }

    // A minus sign belongs to the number at the very start of the text and
    // right after "(" or ",": there it can only be a sign.
    bool StartsSignedNumber(std::size_t i) const {
        return i == 0 || m_text[i - 1] == '(' || m_text[i - 1] == ',';
    }

    std::size_t Advance(std::size_t i, std::size_t by) {
        i += by;
        if (i >= m_positionLimit) {
            Fail(failure::kOverflow, Cause::TooLong);
        }
        return i;
    }

    // A number is read as it is scanned: the digits of a plain one (at most
    // one point, up to 18 digits) are gathered on the way, and only the rest
    // are read again from their text.
    std::size_t ReadNumber(std::size_t start, const char* const text, const std::size_t size) {
        const bool negative = text[start] == '-';
        const std::size_t first = start + (negative ? 1 : 0);
        std::uint64_t mantissa = 0;
        std::size_t end = ReadDigits(text, size, first, mantissa);
        // The digits gathered, or none when the number is not plain.
        std::size_t digits = end - first;
        std::size_t decimals = 0;
        if (end < size && text[end] == '.') {
            const std::size_t point = end;
            end = ReadDigits(text, size, point + 1, mantissa);
            decimals = end - point - 1;
            digits += decimals;
            // Only another point can follow: the rest is read from its text.
            for (; end < size && (ClassOf(text[end]) & kNumber) != 0; ++end) {
                digits = 0;
            }
        }
        m_token = Span{start, end};
        Advance(end, 0);
        std::optional<double> value;
        if (digits - 1 < 15) {
            // Up to 15 digits: below 2^53, and a power of ten a double holds.
            const double whole = static_cast<double>(mantissa);
            value = decimals == 0 ? whole : whole / kExactPowersOfTen[decimals];
        } else if (digits != 0 && digits <= 18) {
            value = ExactDecimal(mantissa, decimals);
        }
        const Checked number = value ? Checked(negative ? -*value : *value)
                                     : ReadNumberToken(m_text.substr(start, end - start));
        const Checked entered = number.Failed() ? number : EnterNumber(number.value, Rules::kWhole);
        if (entered.Failed()) {
            Fail(entered.number, entered.cause);
        }
        m_sink.Constant(PushOperand(), entered.value);
        Made(m_nc, m_token);
        return end;
    }

    // Gathers the digits from `end` on into `mantissa`; returns where they
    // end.
    static std::size_t ReadDigits(const char* const text, const std::size_t size, std::size_t end,
                                  std::uint64_t& mantissa) {
        for (; end < size; ++end) {
            const unsigned digit = static_cast<unsigned char>(text[end]) - unsigned{'0'};
            if (digit > 9) {
                break;
            }
            mantissa = mantissa * 10 + digit;
        }
        return end;
    }

    // A name read in place: a variable is pushed as its mark would be; any
    // other name is read on as the characters it is.
    [[gnu::always_inline]] std::size_t ReadName(std::size_t start, const char* const text,
                                                const std::size_t size) {
        std::size_t end = start + 1;
        while (end < size && (ClassOf(text[end]) & (kName | kDigit)) != 0) {
            ++end;
        }
        // Names read in place are ASCII.
        const int entry = end == start + 1
                              ? m_reading->names->FindLetter(text[start])
                              : m_reading->names->Find(std::string_view(text + start, end - start));
        if (entry < 0) {
            if (Observer() != nullptr) {
                Observer()->UnknownName(start, end);
            }
            m_plainUntil = end;
            return start;
        }
        const Span token{start, end};
        m_token = token;
        PushVariable(entry, token);
        ++m_reading->occurrences[static_cast<std::size_t>(entry)];
        if (Observer() != nullptr) {
            Observer()->Variable(entry);
        }
        return end;
    }

    // A variable marked in the text stands for "(" + its number text + ")":
    // the same pushes, with the value read when the program runs.
    [[gnu::always_inline]] void PushVariable(int slot, const Span mark) {
        const int oc = m_oc;
        const int nc = m_nc;
        // oc + 1 >= Rules::kBottom && oc + 2 < m_clear, and nc + 1 >= Rules::kBottom &&
        // nc + 1 <= m_highest, in two tests: m_highest is never below
        // Rules::kBottom - 1.
        if (static_cast<unsigned>(oc + 1 - Rules::kBottom) <
                static_cast<unsigned>(m_clear - 1 - Rules::kBottom) &&
            static_cast<unsigned>(nc + 1 - Rules::kBottom) <
                static_cast<unsigned>(m_highest + 1 - Rules::kBottom)) {
            // Every entry lies inside the stacks: the same writes as the
            // pushes below, without their checks. The "(" and ")" end above
            // the operator count, where the next push overwrites them before
            // any step reads them; only the notes look there.
            if constexpr (kObserved) {
                const auto open = static_cast<std::size_t>(oc + 1);
                m_operators[open] = OpKind::Open;
                m_operators[open + 1] = OpKind::Close;
                m_operatorPlaces[open] = mark;
                m_operatorPlaces[open + 1] = mark;
                m_operandsBelow[open] = nc;
            }
            m_nc = nc + 1;
            m_sink.Variable(nc + 1, slot, PlaceOf(mark));
            Made(nc + 1, mark);
            // CloseGroup, for a count known to lie below the stack's top.
            if (oc >= Rules::kBottom) {
                if (!IsFunctionName(m_operators[static_cast<std::size_t>(oc)])) {
                    return;
                }
            } else if (Rules::kCloseNeedsGroup) {
                return;
            }
            return ApplyFunction();
        }
        PushVariableChecked(slot, mark);
    }

    [[gnu::noinline]] void PushVariableChecked(int slot, const Span mark) {
        PushOperator(OpKind::Open, mark);
        m_sink.Variable(PushOperand(), slot, PlaceOf(mark));
        Made(m_nc, mark);
        PushOperator(OpKind::Close, mark);
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
        const Span token{start, end};
        m_token = token;
        Advance(end, 0);
        const OpKind kind = ClassifyOperator(m_text.substr(start, end - start));
        if (kind == OpKind::Other && m_unknownWord.begin == kNone) {
            m_unknownWord = token;
        }
        PushOperator(kind, token);
        return end;
    }

    // Checks that position p of the operand stack exists; returns it.
    int Operand(int p) {
        if (p < Rules::kBottom || p > kStackSize) {
            Fail(failure::kSubscriptOutOfRange,
                 p > kStackSize ? Cause::TooDeep : Cause::MissingOperand);
        }
        if (p > m_highest) {
            m_highest = p;
            m_sink.Reach(p);
        }
        return p;
    }

    OpKind& Operator(int p) {
        if (p < Rules::kBottom || p > kStackSize) {
            Fail(failure::kSubscriptOutOfRange,
                 p > kStackSize ? Cause::TooDeep : Cause::NothingToClose);
        }
        return m_operators[static_cast<std::size_t>(p)];
    }

    int PushOperand() { return Operand(++m_nc); }

    // Returns the new operator count.
    [[gnu::always_inline]] int PushOperator(OpKind op, Span place) {
        const int p = ++m_oc;
        // p >= Rules::kBottom && p + 1 < m_clear, in one test.
        if (static_cast<unsigned>(p - Rules::kBottom) <
            static_cast<unsigned>(m_clear - 1 - Rules::kBottom)) {
            // Inside the stack and its cleared entries: the same writes
            // without the checks.
            const auto at = static_cast<std::size_t>(p);
            m_operators[at] = op;
            m_operatorPlaces[at] = place;
            NoteOperandsBelow(at);
            return p;
        }
        PushOperatorChecked(p, op, place);
        return p;
    }

    // `place` is the token being read.
    [[gnu::noinline]] void PushOperatorChecked(int p, OpKind op, Span place) {
        m_token = place;
        if (p + 1 >= m_clear) {
            ClearTo(std::min(kStackSize + 1, p + 16));
        }
        Operator(p) = op;
        m_operatorPlaces[static_cast<std::size_t>(p)] = place;
        NoteOperandsBelow(static_cast<std::size_t>(p));
    }

    // How many operands lie below the operator at `at`: only the notes ask.
    void NoteOperandsBelow(std::size_t at) {
        if constexpr (kObserved) {
            m_operandsBelow[at] = m_nc;
        }
    }

    // Entries never written read as no operator. No step reads above the
    // operator count plus one, so the entries are cleared as pushes reach
    // them, a few ahead: a short formula does not pay for all 257.
    void ClearTo(int end) {
        for (int k = m_clear; k < end; ++k) {
            m_operators[static_cast<std::size_t>(k)] = OpKind::Other;
            m_operatorPlaces[static_cast<std::size_t>(k)] = Span{0, 0};
            m_operandsBelow[static_cast<std::size_t>(k)] = 0;
        }
        m_clear = std::max(m_clear, end);
    }

    // Puts `kind` at `to`, standing for the token being read.
    void PutOperator(int to, OpKind kind, Span token) {
        Operator(to) = kind;
        m_operatorPlaces[static_cast<std::size_t>(to)] = token;
    }

    // Applies the operator at position p to the two top operands; the
    // operator entry itself stays where it is.
    [[gnu::always_inline]] void Reduce(int p) {
        if (p >= Rules::kBottom && p <= kStackSize) {
            return Reduce(p, m_operators[static_cast<std::size_t>(p)]);
        }
        ReduceChecked(p);
    }

    // Reduce, where the operator at p is known to be `op`.
    [[gnu::always_inline]] void Reduce(int p, OpKind op) {
        const int top = m_nc;
        if (top - 1 >= Rules::kBottom && top <= m_highest) {
            // Both operands exist and were reached before: the checks of
            // ReduceChecked could not fail.
            Apply(top - 1, top, op, p);
            m_nc = top - 1;
            return;
        }
        ReduceChecked(p);
    }

    [[gnu::noinline]] void ReduceChecked(int p) {
        m_reducing = p;
        const int left = Operand(m_nc - 1);
        const int right = Operand(m_nc);
        const OpKind op = Operator(p);
        m_reducing = -1;
        Apply(left, right, op, p);
        --m_nc;
    }

    [[gnu::always_inline]] void Apply(int left, int right, OpKind op, int p) {
        EmitBinary(left, left, right, op, p);
        if constexpr (kObserved) {
            if (Observer() != nullptr) {
                m_made[static_cast<std::size_t>(left)] =
                    Joined(Joined(m_made[static_cast<std::size_t>(left)],
                                  m_made[static_cast<std::size_t>(right)]),
                           m_operatorPlaces[static_cast<std::size_t>(p)]);
            }
        }
    }

    [[gnu::always_inline]] void EmitBinary(int dst, int a, int b, OpKind op, int placeOf) {
        m_sink.Binary(dst, a, b, op, PlaceOf(m_operatorPlaces[static_cast<std::size_t>(placeOf)]));
    }

    // After a ")" has removed its "(": a function standing below it is now
    // applied to its arguments.
    [[gnu::always_inline]] void CloseGroup() {
        if (Rules::kCloseNeedsGroup && m_oc < 1) {
            return;
        }
        if (m_oc >= Rules::kBottom && m_oc <= kStackSize &&
            !IsFunctionName(m_operators[static_cast<std::size_t>(m_oc)])) {
            return;
        }
        ApplyFunction();
    }

    [[gnu::noinline]] void ApplyFunction() {
        const OpKind top = Operator(m_oc);
        if (!IsFunctionName(top)) {
            return;
        }
        const int count = OperandCount(top);
        if (Observer() != nullptr && m_oc + 1 < m_clear) {
            // The "(" of the call stood right above the name.
            const int arguments = m_nc - m_operandsBelow[static_cast<std::size_t>(m_oc + 1)];
            if (arguments > count) {
                const Span& name = m_operatorPlaces[static_cast<std::size_t>(m_oc)];
                Observer()->UnusedArguments(name.begin, name.end, arguments - count);
                if constexpr (kObserved) {
                    for (int k = m_nc - arguments + 1; k <= m_nc - count; ++k) {
                        m_made[static_cast<std::size_t>(k)] = kTold;  // told with the function
                    }
                }
            }
        }
        if (count == 2) {
            Reduce(m_oc);
        } else {
            m_reducing = m_oc;  // a missing argument is the function's
            const int x = Operand(m_nc);
            m_reducing = -1;
            m_sink.Unary(x, top, PlaceOf(m_operatorPlaces[static_cast<std::size_t>(m_oc)]));
            if constexpr (kObserved) {
                if (Observer() != nullptr) {
                    m_made[static_cast<std::size_t>(x)] =
                        Joined(m_made[static_cast<std::size_t>(x)],
                               m_operatorPlaces[static_cast<std::size_t>(m_oc)]);
                }
            }
        }
        --m_oc;
    }

    // `count` is the operator count, `kind` on top. Tested first, as most
    // operators are, for one that applies nothing yet: a ")" or "," always
    // applies what lies below it.
    [[gnu::always_inline]] void PlaceOperator(OpKind kind, Span token, int count) {
        const auto below = static_cast<std::size_t>(count - 1);
        if (Waits(kind, m_operators[below])) {
            return;
        }
        switch (kind) {
            case OpKind::Close:
                return PlaceClose(token);
            case OpKind::Comma:
                return PlaceComma(token);
            default:
                return PlaceArithmetic(kind, token, count);
        }
    }

    // The entry below the operator just applied is taken to be the "(" without
    // a check: a text that is not well formed yields what these steps give.
    // Out of line: inlined, it made the loop in Run that reads every operator
    // keep less in registers, and a ")" is rarer than the other operators.
    [[gnu::noinline]] void PlaceClose(Span token) {
        m_token = token;
        if (Operator(m_oc - 1) == OpKind::Open) {
            Enclose(m_oc - 1);
            m_oc -= 2;
            return CloseGroup();
        }
        Reduce(m_oc - 1);
        PutOperator(m_oc - 1, OpKind::Close, token);
        --m_oc;
        if (Operator(m_oc - 1) == OpKind::Open) {
            Enclose(m_oc - 1);
            m_oc -= 2;
            return CloseGroup();
        }
        Reduce(m_oc - 1);
        NoteUncheckedOpen(m_oc - 2);
        Enclose(m_oc - 2);
        m_oc -= 3;
        CloseGroup();
    }

    // A "," finishes one argument; the "(" stays for the next one.
    void PlaceComma(Span token) {
        m_token = token;
        if (Operator(m_oc - 1) == OpKind::Open) {
            --m_oc;
            return;
        }
        Reduce(m_oc - 1);
        PutOperator(m_oc - 1, OpKind::Comma, token);
        --m_oc;
        if (Operator(m_oc - 1) == OpKind::Open) {
            --m_oc;
            return;
        }
        Reduce(m_oc - 1);
        m_oc -= 2;
    }

    // A ")" that takes the entry at p for its "(" when it is something else
    // closes nothing the formula opened.
    void NoteUncheckedOpen(int p) {
        if (Observer() != nullptr && (p < Rules::kBottom || p > kStackSize ||
                                      m_operators[static_cast<std::size_t>(p)] != OpKind::Open)) {
            Observer()->SkippedClose(m_token.begin, m_token.end);
        }
    }

    static Span Joined(const Span& a, const Span& b) {
        return Span{std::min(a.begin, b.begin), std::max(a.end, b.end)};
    }

    // Operand position p now holds the value of the text at `from`.
    void Made(int p, const Span& from) {
        if constexpr (kObserved) {
            if (Observer() != nullptr) {
                m_made[static_cast<std::size_t>(p)] = from;
            }
        }
    }

    // A ")" closes the "(" at p: the value on top, when it was made inside
    // the parentheses, is made of them too.
    void Enclose(int p) {
        if constexpr (kObserved) {
            if (Observer() != nullptr && p >= Rules::kBottom && p <= kStackSize &&
                m_operators[static_cast<std::size_t>(p)] == OpKind::Open &&
                m_operandsBelow[static_cast<std::size_t>(p)] < m_nc) {
                auto& top = m_made[static_cast<std::size_t>(m_nc)];
                top = Joined(Joined(top, m_operatorPlaces[static_cast<std::size_t>(p)]), m_token);
            }
        }
    }

    // The result is the value on top of the operand stack. When more values
    // lie below it than the operators left can fold into one (as in "A 5" or
    // "(1)(2)"), the fold ends below the top: those values, and the operators
    // between them, take no part. Each stretch of them is told once.
    void NoteUnusedValues() {
        if constexpr (kObserved) {
            if (Observer() != nullptr && m_nc > m_oc + 1) {
                NoteUnusedStretches();
            }
        }
    }

    void NoteUnusedStretches() {
        std::array<Span, 2 * kStackSize + 2> pieces;
        std::size_t count = 0;
        for (int k = Rules::kBottom; k < m_nc; ++k) {
            if (const Span& made = m_made[static_cast<std::size_t>(k)]; made.begin != kNone) {
                pieces[count++] = made;
            }
        }
        for (int k = std::max(1, Rules::kBottom); k <= m_oc; ++k) {
            const OpKind op = m_operators[static_cast<std::size_t>(k)];
            if (op != OpKind::Open && op != OpKind::Close && op != OpKind::Comma) {
                pieces[count++] = m_operatorPlaces[static_cast<std::size_t>(k)];
            }
        }
        if (count == 0) {
            return;
        }
        std::sort(pieces.begin(), pieces.begin() + static_cast<std::ptrdiff_t>(count),
                  [](const Span& a, const Span& b) { return a.begin < b.begin; });
        Span stretch = pieces[0];
        for (std::size_t k = 1; k <= count; ++k) {
            if (k < count && OnlySkippedBetween(stretch.end, pieces[k].begin)) {
                stretch.end = std::max(stretch.end, pieces[k].end);
                continue;
            }
            Observer()->UnusedValue(stretch.begin, stretch.end);
            if (k < count) {
                stretch = pieces[k];
            }
        }
    }

    // Whether nothing but characters that arithmetic skips (told by notes of
    // their own) lies between `end` and `begin`: "1^2" is one stretch.
    bool OnlySkippedBetween(std::uint32_t end, std::uint32_t begin) const {
        for (std::uint32_t k = end; k < begin; ++k) {
            const char c = m_text[k];
            if (ClassOf(c) != 0 || c == kVariableMark) {
                return false;
            }
        }
        return true;
    }

    // Runs with at least two operators on the stack, the top one `upper`, just
    // pushed, and leaves when one is left. Each reduction moves `upper` one
    // entry down. Every entry read lies inside the stack.
    // `token` is where `upper` was read.
    void PlaceArithmetic(const OpKind upper, const Span token, int count) {
        auto below = static_cast<std::size_t>(count - 1);
        for (OpKind lower = m_operators[below]; !Waits(upper, lower); lower = m_operators[below]) {
            if (const int top = m_nc; top - 1 >= Rules::kBottom && top <= m_highest) {
                Apply(top - 1, top, lower, static_cast<int>(below));
                m_nc = top - 1;
            } else {
                m_token = token;
                ReduceChecked(static_cast<int>(below));
            }
            m_operators[below] = upper;
            m_operatorPlaces[below] = token;
            if constexpr (kObserved) {
                m_operandsBelow[below] = m_operandsBelow[below + 1];
            }
            if (below <= 1) {
                m_oc = 1;
                return;
            }
            --below;
        }
        // The count is stored once, when `upper` has found its entry: the
        // reductions before never read it, and a failure they make reads it
        // only to tell a full stack, which this count never is.
        m_oc = static_cast<int>(below) + 1;
    }

    // Whatever is left is folded from the bottom of the stacks upwards, over
    // entries that earlier steps left above the counts: that is what gives
    // "3+" its value 3.
    void Finish() {
        if (Observer() != nullptr) {
            // What is left on the operator stack: a "(" that the end closes,
            // or a ")" or "," that closed nothing and takes no part.
            for (int k = std::max(1, Rules::kBottom); k <= std::min(m_oc, kStackSize); ++k) {
                const OpKind op = m_operators[static_cast<std::size_t>(k)];
                const Span& at = m_operatorPlaces[static_cast<std::size_t>(k)];
                if (op == OpKind::Open && at.end - at.begin == 1) {  // not a variable's own
                    Observer()->UnclosedParenthesis(at.begin, at.end);
                } else if (op == OpKind::Close || op == OpKind::Comma) {
                    Observer()->SkippedClose(at.begin, at.end);
                }
            }
        }
        if (m_oc > 1 && ComparePrecedence(Operator(m_oc), Operator(m_oc - 1)) == 1) {
            Reduce(m_oc);
            --m_oc;
        }
        for (int k = 1; k <= m_oc; ++k) {
            const int next = Operand(k + 1);
            const int left = Operand(k);
            const OpKind op = Operator(k);
            EmitBinary(next, left, next, op, k);
        }
        m_sink.Return(Operand(m_nc));
        NoteUnusedValues();
    }

    static Place PlaceOf(const Span& span) {
        return {static_cast<std::uint32_t>(span.begin), static_cast<std::uint32_t>(span.end)};
    }

    // Fills the range of a failure the text makes, and sharpens its cause
    // where the place tells more than the number.
    void PlaceFailure(EvaluationFailure& fault) const {
        if (fault.cause == Cause::TooLong) {
            // The character at which the position counter passes its range.
            fault.Place(OffsetAfterChars(m_text, kPositionLimit - 1), m_positionLimit);
            return;
        }
        if (fault.cause == Cause::MissingOperand) {
            PlaceMissingOperand(fault);
            return;
        }
        if (fault.cause == Cause::TooDeep && m_oc > kStackSize) {
            // The operator stack is full: its top entry is the innermost of
            // the pending operations, usually the 256th "(".
            const Span& top = m_operatorPlaces[kStackSize];
            fault.Place(top.begin, top.end);
            return;
        }
        fault.Place(m_token.begin, m_token.end);
    }

    void PlaceMissingOperand(EvaluationFailure& fault) const {
        const bool reducingFunction =
            m_reducing >= 0 && m_reducing <= kStackSize &&
            IsFunctionName(m_operators[static_cast<std::size_t>(m_reducing)]);
        if (m_unknownWord.begin != kNone) {
            // A word that names nothing stood on the operator stack and took
            // no operand: that is what left another operator without one.
            fault.cause = Cause::UnknownWord;
            fault.Place(m_unknownWord.begin, m_unknownWord.end);
        } else if (m_text.empty()) {
            fault.cause = Cause::EmptyFormula;
            fault.Place(0, 0);
        } else if (reducingFunction) {
            const Span& name = m_operatorPlaces[static_cast<std::size_t>(m_reducing)];
            fault.cause = Cause::MissingArgument;
            fault.Place(name.begin, name.end);
        } else if (m_atEnd) {
            fault.cause = Cause::MissingOperandAtEnd;
            fault.Place(m_text.size(), m_text.size());
        } else {
            const std::size_t b = m_token.begin;
            if (m_text[b] == '-' && b > 0 && IsArithmeticSymbol(m_text[b - 1])) {
                fault.cause = Cause::SignAfterOperator;
            }
            fault.Place(b, m_token.end);
        }
    }

    static bool IsArithmeticSymbol(char c) { return c == '+' || c == '-' || c == '*' || c == '/'; }

    std::string_view m_text;
    bool m_marked;
    Sink& m_sink;
    CompileObserver* m_observer;
    NameReading* m_reading;
    // The rest of a name that is no variable; beyond any text when names are
    // not read in place.
    std::size_t m_plainUntil;
    std::size_t m_positionLimit;
    int m_clear = 0;
    int m_nc = 0;
    int m_oc = 0;
    // The highest operand position used; just below the bottom before any.
    int m_highest = Rules::kBottom - 1;
    Span m_token{0, 0};  // the token being read
    bool m_atEnd = false;
    EvaluationFailure m_fault{failure::kNone};  // the failure that stopped the reading
    int m_reducing = -1;                        // the operator whose operands are fetched
    Span m_unknownWord{kNone, kNone};           // the first word that names nothing
    // The stacks last, after the members every step reads, which then share
    // a few cache lines with the stacks' lowest entries.
    // The operator stack: what each entry is, the text it came from, and how
    // many operands lay below it when it was pushed. Entries never written
    // read as no operator.
    std::array<OpKind, kStackSize + 1> m_operators;
    std::array<Span, kStackSize + 1> m_operatorPlaces;
    std::array<int, kStackSize + 2> m_operandsBelow;
    // The text each operand position's value was made from, while notes are
    // gathered; a formula worked out at once gathers none.
    struct NoSpans {};
    [[no_unique_address]] std::conditional_t<kObserved, std::array<Span, kStackSize + 2>, NoSpans>
        m_made;
};

}  // namespace vornel
