#pragma once

#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <vornel/Outcome.h>

namespace vornel {

class Exp;

// What a note says the rules did with part of a formula. A note marks text
// that the rules read past without using, or something they assumed that was
// not written. Notes never change the value, the failure or its place: they
// explain them. A formula without notes is one where every character counted.
// New kinds may be added in later versions.
enum class NoteKind : std::uint8_t {
    UnknownWord,             // a name that is no variable and no function: "X" in "X+5"
    SkippedCharacter,        // a character arithmetic does not read: "^", "%", "'", "ü"
    UnclosedParenthesis,     // a "(" that only the end of the formula closes
    SkippedClose,            // a ")" or "," with no "(" left to close
    UnusedArgument,          // an argument beyond a function's count: "1" in "Max(1,2,3)"
    TextAfterEndIf,          // text after EndIf, which is ignored
    IfNotAtStart,            // an If block after other text: read as arithmetic
    UnknownNameInCondition,  // a name no variable holds: the condition is false
    InvalidCondition,        // a character that starts no part of a condition: it is false
    JoinedNumbers,           // white space between digits joins them into one number
    UnusedValue,             // a value nothing joins to the result: "A" in "A 5"
};

// One sentence in plain English saying what a kind of note means, without a
// final full stop, e.g. "A name that is neither a variable nor a function is
// skipped".
[[nodiscard]] std::string_view NoteText(NoteKind kind) noexcept;

// One note of a formula: the characters [begin, end) of the text given to
// Compile, counted as Outcome counts them (an empty range marks a point where
// something was assumed), its kind, and the sentence for this place, naming
// what it is about, e.g. "X is not a variable and is skipped".
struct Note {
    std::size_t begin = 0;
    std::size_t end = 0;
    NoteKind kind = NoteKind::UnknownWord;
    std::string message;

    bool operator==(const Note&) const = default;
};

// How one condition of an If block fared in an evaluation.
enum class Verdict : std::uint8_t {
    True,       // it held, and chose its branch
    False,      // it did not hold (a quietly false condition included)
    Failed,     // testing it failed: the block's failure
    NotTested,  // an earlier condition held, or testing stopped before it
};

// One condition of an If block: its text [begin, end) (between If or ElseIf
// and Then, counted as Outcome counts), and its verdict.
struct ConditionTrace {
    std::size_t begin = 0;
    std::size_t end = 0;
    Verdict verdict = Verdict::NotTested;
};

// What an evaluation of a formula did, for explaining it to a user. For an
// If block: each condition in order, and the branch that was chosen
// ([branchBegin, branchEnd), empty when none was, e.g. after a failure). For
// any other formula `conditions` is empty. `outcome` is what Evaluate gives.
struct Trace {
    bool isBlock = false;
    std::vector<ConditionTrace> conditions;
    bool branchChosen = false;
    std::size_t branchBegin = 0;
    std::size_t branchEnd = 0;
    Outcome outcome;
};

namespace detail {
struct CompiledFormula;

// A formula of one + - * / over numbers and variables, or of a single value,
// as Formula::Evaluate works it out in the caller, with no call into the
// library. Made by the library, which alone knows the layout of the table's
// values: the variables are found at byte offsets into
// VariableTable::Values().
struct ShortArithmetic {
    enum class Op : std::uint8_t { None, Plus, Minus, Times, Divide, Value };
    static constexpr std::uint16_t kNumber = 0xFFFF;  // an operand that is a number

    Op op = Op::None;     // None: the formula is not of this kind
    std::uint16_t a = 0;  // where operand a is, or kNumber: then it is x
    std::uint16_t b = 0;  // where operand b is, or kNumber: then it is y
    std::uint16_t versionAt = 0;
    std::uint64_t version = 0;  // of the names the offsets hold for
    double x = 0;
    double y = 0;

    // z = x op y for + - * /, when that cannot fail: false for any other
    // operation, a division by zero (which would raise the caller's
    // floating-point flag) or a result beyond the range of a double, which
    // the library then works out and fails as the rules say.
    static bool InRange(double x, double y, Op op, double& z) noexcept {
        // Tested in the order of how often formulas hold them.
        if (op == Op::Plus) [[likely]] {
            z = x + y;
        } else if (op == Op::Minus) {
            z = x - y;
        } else if (op == Op::Times) {
            z = x * y;
        } else if (op == Op::Divide && y != 0) {
            z = x / y;
        } else {
            return false;
        }
        // Tested on the bits: the branch then waits for no floating-point
        // comparison.
        constexpr std::uint64_t kInfinity = std::uint64_t{0x7FF} << 53;
        return (std::bit_cast<std::uint64_t>(z) << 1) < kInfinity;
    }

    // The value over `values` (VariableTable::Values()), or false when the
    // library must work it out: the table holds other names, a variable does
    // not read back, or the operation cannot tell it.
    bool Run(const void* values, double& z) const noexcept {
        const auto* base = static_cast<const unsigned char*>(values);
        std::uint64_t stored = 0;
        std::memcpy(&stored, base + versionAt, sizeof stored);
        if (stored != version) {
            return false;
        }
        // Each operand is read from the variables or from here, without a
        // branch.
        double left = 0;
        double right = 0;
        std::memcpy(&left, a == kNumber ? reinterpret_cast<const unsigned char*>(&x) : base + a,
                    sizeof left);
        std::memcpy(&right, b == kNumber ? reinterpret_cast<const unsigned char*>(&y) : base + b,
                    sizeof right);
        if (op == Op::Value) [[unlikely]] {
            z = left;
            return z == z;  // not a number: a variable that does not read back
        }
        return InRange(left, right, op, z);
    }
};
}  // namespace detail

// A formula compiled once by Exp::Compile, to be evaluated any number of times
// while the variables' values change.
//
// What it holds depends only on the text and on the variable names that the
// Exp held when it was compiled: the trimmed, upper-cased text, the If block
// cut into conditions and branches, each condition's tokens and the steps of
// its parse, the arithmetic as a program, the names it reads and its notes.
//
// Contracts:
// - Evaluate gives exactly what Exp::Evaluate of the same text gives over the
//   variables stored in `variables` now: value, failure number, cause and
//   place. It reads the values of the slots whose names the formula uses.
// - When `variables` holds other names than the Exp the formula was compiled
//   with (another slot, a name renamed or removed), the outcome is still the
//   one of the text over the names stored now: the formula is compiled again
//   for that evaluation, which is slower and may allocate. Values may change
//   freely through SetVariable between evaluations without that cost.
// - A Formula is a value: it can be copied and moved (cheaply: copies share
//   the compiled program, which never changes), and it outlives the Exp it
//   was compiled with.
// - Evaluate and Trace may be called from several threads at once on one
//   Formula, each with an Exp no other thread changes meanwhile.
// - Notes and Variables reflect the names the Exp held at compilation.
class Formula {
public:
    // The formula of the empty text: it evaluates to failure 9.
    Formula();
    ~Formula();
    Formula(const Formula&);
    Formula& operator=(const Formula&);
    Formula(Formula&&) noexcept;
    Formula& operator=(Formula&&) noexcept;

    // The outcome of the formula over the values `variables` holds now.
    // Inline (defined in vornel/Exp.h): a formula of a single + - * / over
    // numbers and variables (A+1), or of a single value, is worked out right
    // in the caller. Where the processor allows, a longer formula of + - * /,
    // once evaluated often enough to pay for it, is made into machine code
    // that runs straight from the caller. Anything else goes through the
    // library. The outcome is the same either way.
    [[nodiscard]] Outcome Evaluate(const Exp& variables) const noexcept;

    // Evaluate, telling also how each condition of an If block fared.
    [[nodiscard]] Trace TraceEvaluation(const Exp& variables) const;

    // The names of the variables the formula reads, upper-cased, each once,
    // in the order of their first appearance.
    [[nodiscard]] const std::vector<std::string>& Variables() const noexcept;

    // What the rules skipped or assumed, in the order of the text.
    [[nodiscard]] const std::vector<Note>& Notes() const noexcept;

    // The text as it was given to Compile.
    [[nodiscard]] std::string_view Text() const noexcept;

private:
    friend class Exp;
    explicit Formula(std::shared_ptr<const detail::CompiledFormula> compiled) noexcept;
    // Evaluate without the machine code, or when it cannot tell the value.
    [[nodiscard]] Outcome EvaluateInLibrary(const Exp& variables) const noexcept;

    std::shared_ptr<const detail::CompiledFormula> m_compiled;
    // What Evaluate works out itself, for a formula of that kind: the
    // compiled formula's, copied here so that the caller reaches it without
    // going through m_compiled.
    detail::ShortArithmetic m_short;
    // What Evaluate runs for any other formula: given the variables
    // (Exp::Variables().Values()), the value, or not a number when it cannot
    // tell it. The compiled formula's machine code, once the library has
    // found it made and runnable from the caller; until then, or when there
    // is none, a function that never tells the value.
    mutable std::atomic<double (*)(const void* variables)> m_machine;
};

}  // namespace vornel

// Formula::Evaluate is defined with Exp.
#include <vornel/Exp.h>
