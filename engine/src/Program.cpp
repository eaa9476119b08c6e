#include "Program.h"

#include <limits>

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

double EnterNumber(double number, Whole whole) {
    if (whole == Whole::No) {
        return number;
    }
    return static_cast<double>(RoundHalfEvenChecked(number, std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max(),
                                                    Cause::WholeNumberRange));
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

}  // namespace vornel
