#include "Program.h"

#include <bit>
#include <iterator>
#include <limits>

#include <vornel/VariableTable.h>

#include "Failure.h"

namespace vornel {

namespace {

constexpr double kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr double kInt16Max = std::numeric_limits<std::int16_t>::max();

double CheckedInt16(double x) {
    if (x < kInt16Min || x > kInt16Max) {
        Fail(EvaluationFailure::kOverflow, Cause::WholeNumberRange);
    }
    return x;
}

// Ceil and floor of the arithmetic inside conditions: 16-bit whole numbers.
double ApplyWholeUnary(double x, OpKind op) {
    const double f = CheckedInt16(std::floor(x));
    switch (op) {
        case OpKind::Ceil:
            return x == f ? f : CheckedInt16(f + 1);
        case OpKind::Floor:
            return f;
        default:
            return 0;
    }
}

bool Failed(const EvaluationFailure& fault, RunResult& result) {
    result.number = static_cast<failure::Number>(fault.number);
    result.cause = fault.cause;
    return false;
}

}  // namespace

double EnterWholeNumber(double number) {
    return static_cast<double>(
        RoundHalfEvenChecked(number, std::numeric_limits<std::int32_t>::min(),
                             std::numeric_limits<std::int32_t>::max(), Cause::WholeNumberRange));
}

bool Steps::Variable(double* r, int dst, int slot, const SlotValues& values, Whole whole,
                     RunResult& result) {
    if ((values.unreadable >> slot) & 1U) {
        result.number = failure::kOverflow;
        result.cause = Cause::NumberTooLarge;
        return false;
    }
    try {
        r[dst] = EnterNumber(values.values[slot], whole);
    } catch (const EvaluationFailure& fault) {
        return Failed(fault, result);
    }
    return true;
}

// The steps that may fail, worked out by the operations, which say why.
bool Steps::Slow(double* r, int dst, double x, double y, OpKind op, bool unary, Whole whole,
                 RunResult& result) {
    try {
        if (unary) {
            r[dst] = whole == Whole::Yes ? ApplyWholeUnary(x, op) : ApplyUnary(x, op);
        } else {
            r[dst] = ApplyBinary(x, y, op);
        }
    } catch (const EvaluationFailure& fault) {
        return Failed(fault, result);
    }
    return true;
}

RunResult Program::Run(const SlotValues& variables) const noexcept {
    std::array<double, kRegisters> registerFile;
    double* const r = registerFile.data();
    std::fill_n(r, registers, 0.0);
    RunResult result;
    for (const Step& step : steps) {
        bool ok = true;
        switch (step.code) {
            case Code::Constant:
                r[step.dst] = step.constant;
                break;
            case Code::Variable:
                ok = Steps::Variable(r, step.dst, step.a, variables, whole, result);
                break;
            case Code::Binary:
                ok = Steps::Binary(r, step.dst, step.a, step.b, step.op, whole, result);
                break;
            case Code::Unary:
                ok = Steps::Unary(r, step.dst, step.op, whole, result);
                break;
            case Code::Fail:
                result.number = step.number;
                result.cause = step.cause;
                ok = false;
                break;
            case Code::Return:
                result.value = r[step.a];
                return result;
        }
        if (!ok) {
            result.value = 0;
            result.place = step.place;
            return result;
        }
    }
    return result;
}

void FastProgram::Make(const Program& program) {
    usable = false;
    steps.clear();
    constants.clear();
    if (program.whole != Whole::No) {
        return;
    }
    // Where each register's value lives now: an operand code, the kind in
    // the top two bits (0 a register, 1 a constant, 2 a variable).
    constexpr std::uint32_t kRegister = 0;
    constexpr std::uint32_t kConstant = 1U << 30;
    constexpr std::uint32_t kVariable = 2U << 30;
    constexpr std::uint32_t kIndex = (1U << 30) - 1;
    std::array<std::uint32_t, kRegisters> at;
    constexpr std::uint32_t kZero = kConstant;  // constant 0 holds 0
    constants.push_back(0.0);
    at.fill(kZero);
    std::pmr::vector<std::array<std::uint32_t, 3>> coded(steps.get_allocator());
    std::uint32_t returned = kZero;
    for (const Step& step : program.steps) {
        switch (step.code) {
            case Code::Constant:
                at[static_cast<std::size_t>(step.dst)] =
                    kConstant | static_cast<std::uint32_t>(constants.size());
                constants.push_back(step.constant);
                break;
            case Code::Variable:
                at[static_cast<std::size_t>(step.dst)] =
                    kVariable | static_cast<std::uint32_t>(step.a);
                slots |= std::uint64_t{1} << step.a;
                break;
            case Code::Binary:
            case Code::Unary: {
                const auto dst = static_cast<std::size_t>(step.dst);
                const std::uint32_t a =
                    step.code == Code::Unary ? at[dst] : at[static_cast<std::size_t>(step.a)];
                const std::uint32_t b =
                    step.code == Code::Unary ? kZero : at[static_cast<std::size_t>(step.b)];
                steps.push_back({step.op, step.code == Code::Unary,
                                 static_cast<std::uint16_t>(step.dst), 0, 0});
                coded.push_back({static_cast<std::uint32_t>(step.dst), a, b});
                at[dst] = kRegister | static_cast<std::uint32_t>(dst);
                break;
            }
            case Code::Fail:
                return;
            case Code::Return:
                returned = at[static_cast<std::size_t>(step.a)];
                break;
        }
    }
    registers = static_cast<std::uint16_t>(program.registers);
    if (registers + constants.size() + kVariableSlots > kMostOperands) {
        return;
    }
    const auto place = [&](std::uint32_t code) {
        const std::uint32_t index = code & kIndex;
        switch (code & ~kIndex) {
            case kRegister:
                return static_cast<std::uint16_t>(index);
            case kConstant:
                return static_cast<std::uint16_t>(registers + index);
            default:
                return static_cast<std::uint16_t>(registers + constants.size() + index);
        }
    };
    for (std::size_t k = 0; k < steps.size(); ++k) {
        steps[k].a = place(coded[k][1]);
        steps[k].b = place(coded[k][2]);
    }
    steps.push_back({kEndStep, false, 0, 0, 0});
    result = place(returned);
    usable = true;
}

bool FastProgram::Run(const SlotValues& variables, double& value) const noexcept {
    if (!usable || (variables.unreadable & slots) != 0) {
        return false;
    }
    std::array<double, kMostOperands> file;
    double* const f = file.data();
    double* const c = f + registers;
    std::copy(constants.begin(), constants.end(), c);
    double* const v = c + constants.size();
    for (std::uint64_t used = slots; used != 0; used &= used - 1) {
        const int k = std::countr_zero(used);
        v[k] = variables.values[k];
    }
    // Each step jumps straight to the next one's code (labels as values, a
    // GNU extension both compilers of this project have): a jump of its own
    // for every kind of step predicts far better than one shared switch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
    static const void* const kCode[] = {&&slow, &&plus, &&minus, &&times, &&divide,
                                        &&slow, &&slow, &&slow,  &&max,   &&min,
                                        &&slow, &&slow, &&slow,  &&slow,  &&end};
    static_assert(std::size(kCode) == kOpKindCount + 1);
    const FastStep* step = steps.data();
    double z;
#define VORNEL_NEXT()                     \
    if (!std::isfinite(z)) [[unlikely]] { \
        return false;                     \
    }                                     \
    f[step->dst] = z;                     \
    ++step;                               \
    goto* kCode[static_cast<std::size_t>(step->op)]
    goto* kCode[static_cast<std::size_t>(step->op)];
plus:
    z = f[step->a] + f[step->b];
    VORNEL_NEXT();
minus:
    z = f[step->a] - f[step->b];
    VORNEL_NEXT();
times:
    z = f[step->a] * f[step->b];
    VORNEL_NEXT();
divide:
    if (f[step->b] == 0) {
        return false;
    }
    z = f[step->a] / f[step->b];
    VORNEL_NEXT();
max:
    z = f[step->a] >= f[step->b] ? f[step->a] : f[step->b];
    VORNEL_NEXT();
min:
    z = f[step->a] < f[step->b] ? f[step->a] : f[step->b];
    VORNEL_NEXT();
slow:
    try {
        z = step->unary ? ApplyUnary(f[step->a], step->op)
                        : ApplyBinary(f[step->a], f[step->b], step->op);
    } catch (const EvaluationFailure&) {
        return false;
    }
    VORNEL_NEXT();
end:
#undef VORNEL_NEXT
#pragma GCC diagnostic pop
    value = f[result];
    return true;
}

}  // namespace vornel
