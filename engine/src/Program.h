#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <memory_resource>
#include <vector>

#include <vornel/Formula.h>
#include <vornel/Outcome.h>

#include "MachineCode.h"
#include "Operations.h"

namespace vornel {

// The stacks of the arithmetic hold 256 entries, at positions 1 to 256; the
// variant inside conditions also uses position 0.
inline constexpr int kStackSize = 256;
inline constexpr int kRegisters = kStackSize + 1;

// Whether numbers and variables enter as whole numbers and ceil and floor
// keep to 16 bits: the arithmetic of a function call inside a condition.
enum class Whole : std::uint8_t { No, Yes };

// Where a step's failure is placed: bytes [begin, end) of the normalised text
// the steps were compiled from.
struct Place {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
};

// The values the steps read: each variable's value as a formula sees it (its
// number text read back), and whether it reads back at all (a value whose
// text is beyond the range of a double does not).
struct SlotValues {
    const double* values;
    std::uint64_t unreadable;  // bit k: slot k does not read back
};

// What running steps gives: the value, or the first failure and its place.
struct RunResult {
    double value = 0;
    failure::Number number = failure::kNone;
    Cause cause = Cause::None;
    Place place;
};

// The number a number token makes under `whole` rules: fails with 6 when a
// whole number is out of the signed 32-bit range.
Checked EnterWholeNumber(double number);
inline Checked EnterNumber(double number, Whole whole) {
    return whole == Whole::No ? Checked(number) : EnterWholeNumber(number);
}

// z = x op y for + - * /, when that cannot fail: false for any other
// operator, a division by zero (which would raise the caller's flag) or a
// result beyond the range of a double, which the operations then work out
// and fail as the rules say. The rule is the one a formula of a single
// operation follows in the caller (see vornel/Formula.h).
[[gnu::always_inline]] inline bool InRange(double x, double y, OpKind op, double& z) {
    using Short = detail::ShortArithmetic::Op;
    static_assert(static_cast<int>(OpKind::Plus) == static_cast<int>(Short::Plus) &&
                  static_cast<int>(OpKind::Minus) == static_cast<int>(Short::Minus) &&
                  static_cast<int>(OpKind::Times) == static_cast<int>(Short::Times) &&
                  static_cast<int>(OpKind::Divide) == static_cast<int>(Short::Divide));
    return detail::ShortArithmetic::InRange(x, y, static_cast<Short>(op), z);
}

// One step of the arithmetic, worked out on `r`, the operand stack: false
// with `result` holding the failure when it fails. Registers are the
// positions of the operand stack.
struct Steps {
    // r[dst] = the value of `slot`.
    static bool Variable(double* r, int dst, int slot, const SlotValues& values, Whole whole,
                         RunResult& result);
    // r[dst] = r[a] op r[b], or for a one-operand function r[dst] = op(r[dst]).
    [[gnu::always_inline]] static inline bool Binary(double* r, int dst, int a, int b, OpKind op,
                                                     Whole whole, RunResult& result) {
        const double x = r[a];
        const double y = r[b];
        double z;
        if (!InRange(x, y, op, z)) [[unlikely]] {
            return Slow(r, dst, x, y, op, false, whole, result);
        }
        r[dst] = z;
        return true;
    }
    static bool Unary(double* r, int dst, OpKind op, Whole whole, RunResult& result) {
        return Slow(r, dst, r[dst], 0, op, true, whole, result);
    }

private:
    static bool Slow(double* r, int dst, double x, double y, OpKind op, bool unary, Whole whole,
                     RunResult& result);
};

// What one arithmetic does, step by step, kept to be run any number of times.
enum class Code : std::uint8_t { Constant, Variable, Binary, Unary, Fail, Return };

struct Step {
    Code code = Code::Constant;
    OpKind op = OpKind::Other;
    failure::Number number = failure::kNone;  // Fail
    Cause cause = Cause::None;                // Fail
    std::int16_t dst = 0;
    std::int16_t a = 0;
    std::int16_t b = 0;
    Place place;
    double constant = 0;
};

// The steps of one arithmetic in the order the rules take them.
struct Program {
    explicit Program(std::pmr::memory_resource* memory = std::pmr::get_default_resource())
        : steps(memory) {}

    std::pmr::vector<Step> steps;
    int registers = 0;  // registers 0 to registers - 1 are used
    Whole whole = Whole::No;

    [[nodiscard]] RunResult Run(const SlotValues& variables) const noexcept;
};

// A program made for speed: every operand is read from where it lives (an
// earlier result, a number of the formula, a variable's read value) instead
// of being copied onto the stack first; each step's code says where its
// operands live. It runs only when nothing can fail: any step that would fail
// sends the evaluation back to the exact Program, which fails the way the
// rules do.
struct FastProgram {
    explicit FastProgram(std::pmr::memory_resource* memory = std::pmr::get_default_resource())
        : steps(memory), constants(memory) {}

    // Where an operand lives: a register, a number of the formula, a
    // variable's read value, or the result of the step just before, which is
    // kept in the processor (reading it back from memory would make every
    // step wait for the one before to reach memory).
    enum class From : std::uint8_t { Register, Constant, Variable, Previous };
    static constexpr int kFromCount = 4;

    struct FastStep {
        const void* label;  // where the code of the step starts
        std::uint16_t dst;
        std::uint16_t a;
        std::uint16_t b;
        std::uint16_t left;  // fused: the register of the left operand
    };
    // The code of a step: the two-operand operations (+ - * / max min round
    // exp) for each pair of places; then ceil and floor for each place; then
    // two steps in one (see Fuse) for the place of the left operand (a
    // register, or the result just before), each pair of + - * / and
    // each pair of places; then the end of the program.
    static constexpr int kBinaryOps = 8;
    static constexpr int kUnaryOps = 2;
    static constexpr int kBasicOps = 4;  // + - * /, the first of the operations
    static constexpr int kDivideIndex = 3;
    static constexpr int kPairs = kFromCount * kFromCount;
    static constexpr int kUnaryCode = kBinaryOps * kPairs;
    static constexpr int kFusedCode = kUnaryCode + kUnaryOps * kFromCount;
    static constexpr int kEndCode = kFusedCode + 2 * kBasicOps * kBasicOps * kPairs;

    // The last step has kEndCode.
    std::pmr::vector<FastStep> steps;
    const void* first = nullptr;  // the label of the first step
    std::pmr::vector<double> constants;
    From resultFrom = From::Constant;
    std::uint16_t result{};
    std::uint64_t slots{};  // bit k: the program reads slot k
    bool usable = false;
    // Whether a value outside the range of a double can vanish before the
    // result (see CanHideRange): then the processor's flags are read.
    bool watchFlags = true;
    // Whether every step is a + - * or / (then the steps can become machine
    // code).
    bool onlyBasic = false;

    // A program of at most one step of + - * / over numbers and variables,
    // the most frequent short formula (A+1), is worked out right here: for
    // it the step machinery would cost more than the step.
    struct Short {
        OpKind op = OpKind::Other;  // Other: the result is operand a itself
        From fromA = From::Constant;
        From fromB = From::Constant;
        std::uint16_t a = 0;
        std::uint16_t b = 0;
    };
    bool isShort = false;
    Short shortForm;

    // Made from `program`; unusable when it always fails or is too large.
    void Make(const Program& program);
    // The whole evaluation of `program` as machine code that finds the
    // variables at `layout`, or null: made only when the system runs such
    // code and every step is + - * / whose leaving the range the result
    // shows. Given the variables, the code returns the formula's value, or
    // not a number when they are not those it was made for, a slot it reads
    // does not read back, or the value is not finite.
    static std::shared_ptr<const MachineCode> MachineFor(const Program& program,
                                                         const MachineCode::Layout& layout);
    // The formula's value; not a number when a step would fail, when a slot
    // it reads does not read back, or when the program is unusable: then the
    // exact Program works it out. (A value outside the range of a double
    // fails, so no formula's value is ever not a number.)
    [[gnu::always_inline]] inline double Run(const SlotValues& variables) const noexcept {
        if ((variables.unreadable & slots) != 0) [[unlikely]] {
            return std::numeric_limits<double>::quiet_NaN();
        }
        return isShort ? RunShort(variables.values) : RunSteps(variables.values);
    }

private:
    struct Shape;
    // Asked of MakeSteps: the machine code of the steps.
    struct MachineRequest {
        const MachineCode::Layout& layout;
        std::shared_ptr<const MachineCode> made;
    };
    bool MakeSteps(const Program& program, MachineRequest* machine = nullptr);
    void Fuse(std::pmr::vector<Shape>& shapes) const;
    // The largest magnitude each step's operands and result can have.
    struct StepBounds {
        double a = 0;
        double b = 0;
        double left = 0;   // fused: the outer operation's left operand
        double inner = 0;  // fused: x inner y
    };
    struct RangeBounds {
        std::pmr::vector<StepBounds> steps;
        double result = 0;
    };
    RangeBounds Bounds(const std::pmr::vector<Shape>& shapes) const;
    // Given the Bounds of the shapes.
    bool CanHideRange(const std::pmr::vector<Shape>& shapes, const RangeBounds& bounds) const;
    void Encode(std::pmr::vector<Shape>& shapes);
    std::shared_ptr<const MachineCode> Assemble(const std::pmr::vector<Shape>& shapes,
                                                const RangeBounds& bounds,
                                                const MachineCode::Layout& layout) const;
    // With `codes`, writes the label of each code, up to the end's, into
    // `labels` instead.
    double RunSteps(const double* v, const std::uint16_t* codes = nullptr,
                    FastStep* labels = nullptr) const noexcept;
    [[gnu::always_inline]] inline double RunShort(const double* v) const noexcept {
        const Short& s = shortForm;
        const double x = s.fromA == From::Variable ? v[s.a] : constants[s.a];
        const double y = s.fromB == From::Variable ? v[s.b] : constants[s.b];
        double z = x;  // a formula of one value
        if (s.op != OpKind::Other && !InRange(x, y, s.op, z)) [[unlikely]] {
            return std::numeric_limits<double>::quiet_NaN();
        }
        return z;
    }
};

// Keeps the steps the compiler gives as a Program.
class ProgramSink {
public:
    ProgramSink(Program& program, Whole whole) : m_program(program) { m_program.whole = whole; }

    void Reach(int p) { m_program.registers = p + 1; }
    void Constant(int dst, double value) {
        Step step;
        step.code = Code::Constant;
        step.dst = static_cast<std::int16_t>(dst);
        step.constant = value;
        m_program.steps.push_back(step);
    }
    void Variable(int dst, int slot, Place place) {
        Step step;
        step.code = Code::Variable;
        step.dst = static_cast<std::int16_t>(dst);
        step.a = static_cast<std::int16_t>(slot);
        step.place = place;
        m_program.steps.push_back(step);
    }
    void Binary(int dst, int a, int b, OpKind op, Place place) {
        Step step;
        step.code = Code::Binary;
        step.op = op;
        step.dst = static_cast<std::int16_t>(dst);
        step.a = static_cast<std::int16_t>(a);
        step.b = static_cast<std::int16_t>(b);
        step.place = place;
        m_program.steps.push_back(step);
    }
    void Unary(int dst, OpKind op, Place place) {
        Step step;
        step.code = Code::Unary;
        step.op = op;
        step.dst = static_cast<std::int16_t>(dst);
        step.place = place;
        m_program.steps.push_back(step);
    }
    void Fail(failure::Number number, Cause cause, Place place) {
        Step step;
        step.code = Code::Fail;
        step.number = number;
        step.cause = cause;
        step.place = place;
        m_program.steps.push_back(step);
    }
    void Return(int a) {
        Step step;
        step.code = Code::Return;
        step.a = static_cast<std::int16_t>(a);
        m_program.steps.push_back(step);
    }

private:
    Program& m_program;
};

// Works out the steps the compiler gives as they come: a formula evaluated
// once needs no program. After the first failure the later steps are passed
// over, so the failure the rules meet first is the one kept.
class RunSink {
public:
    RunSink(const SlotValues& values, Whole whole)
        : m_values(values), m_whole(whole), m_asRead(whole == Whole::No ? ~values.unreadable : 0) {}

    // Entries never written read as zero.
    void Reach(int p) {
        std::fill(m_r.begin() + m_cleared, m_r.begin() + p + 1, 0.0);
        m_cleared = p + 1;
    }
    void Constant(int dst, double value) { m_r[static_cast<std::size_t>(dst)] = value; }
    [[gnu::always_inline]] void Variable(int dst, int slot, Place place) {
        if (((m_asRead >> slot) & 1U) != 0) {
            m_r[static_cast<std::size_t>(dst)] = m_values.values[slot];
        } else if (m_going &&
                   !Steps::Variable(m_r.data(), dst, slot, m_values, m_whole, m_result)) {
            Stop(place);
        }
    }
    // A step that cannot fail is worked out even after a failure: its
    // result is never read, and only the steps that can fail need to know.
    [[gnu::always_inline]] void Binary(int dst, int a, int b, OpKind op, Place place) {
        double z;
        if (InRange(m_r[static_cast<std::size_t>(a)], m_r[static_cast<std::size_t>(b)], op, z))
            [[likely]] {
            m_r[static_cast<std::size_t>(dst)] = z;
        } else if (m_going && !Steps::Binary(m_r.data(), dst, a, b, op, m_whole, m_result)) {
            Stop(place);
        }
    }
    void Unary(int dst, OpKind op, Place place) {
        if (m_going && !Steps::Unary(m_r.data(), dst, op, m_whole, m_result)) {
            Stop(place);
        }
    }
    void Fail(failure::Number number, Cause cause, Place place) {
        if (m_going) {
            m_result.number = number;
            m_result.cause = cause;
            Stop(place);
        }
    }
    void Return(int a) {
        if (m_going) {
            m_result.value = m_r[static_cast<std::size_t>(a)];
        }
    }

    const RunResult& Result() const { return m_result; }

private:
    void Stop(Place place) {
        m_going = false;
        m_result.value = 0;
        m_result.place = place;
    }

    SlotValues m_values;
    Whole m_whole;
    std::uint64_t m_asRead;  // bit k: slot k's read value is what a step takes
    bool m_going = true;
    RunResult m_result;
    int m_cleared = 0;
    std::array<double, kRegisters> m_r;
};

}  // namespace vornel
