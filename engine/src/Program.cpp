#include "Program.h"

#include <array>
#include <cmath>
#include <limits>

#include "ArithmeticCompiler.h"
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

// The slow steps: those that may fail, worked out by the operations, which
// say why they fail.
[[gnu::noinline]] double Apply(const Step& step, double a, double b, Whole whole) {
    if (step.code == Code::Unary) {
        return whole == Whole::Yes ? ApplyWholeUnary(a, step.op) : ApplyUnary(a, step.op);
    }
    return ApplyBinary(a, b, step.op);
}

}  // namespace

double EnterNumber(double number, Whole whole) {
    if (whole == Whole::No) {
        return number;
    }
    return static_cast<double>(
        RoundHalfEvenChecked(number, std::numeric_limits<std::int32_t>::min(),
                             std::numeric_limits<std::int32_t>::max(), Cause::WholeNumberRange));
}

RunResult Program::Run(const SlotValues& variables) const noexcept {
    std::array<double, kRegisters> r;
    std::fill_n(r.begin(), registers, 0.0);
    const Step* step = steps.data();
    try {
        for (;; ++step) {
            switch (step->code) {
                case Code::Constant:
                    r[static_cast<std::size_t>(step->dst)] = step->constant;
                    break;
                case Code::Variable: {
                    const auto slot = static_cast<std::size_t>(step->a);
                    if ((variables.unreadable >> slot) & 1U) {
                        Fail(EvaluationFailure::kOverflow, Cause::NumberTooLarge);
                    }
                    r[static_cast<std::size_t>(step->dst)] =
                        EnterNumber(variables.values[slot], whole);
                    break;
                }
                case Code::Binary: {
                    const double a = r[static_cast<std::size_t>(step->a)];
                    const double b = r[static_cast<std::size_t>(step->b)];
                    double result;
                    switch (step->op) {
                        case OpKind::Plus:
                            result = a + b;
                            break;
                        case OpKind::Minus:
                            result = a - b;
                            break;
                        case OpKind::Times:
                            result = a * b;
                            break;
                        case OpKind::Divide:
                            result = b != 0 ? a / b : Apply(*step, a, b, whole);
                            break;
                        default:
                            result = Apply(*step, a, b, whole);
                            break;
                    }
                    if (!std::isfinite(result)) [[unlikely]] {
                        result = Apply(*step, a, b, whole);  // fails there
                    }
                    r[static_cast<std::size_t>(step->dst)] = result;
                    break;
                }
                case Code::Unary: {
                    double& x = r[static_cast<std::size_t>(step->dst)];
                    x = Apply(*step, x, 0, whole);
                    break;
                }
                case Code::Fail:
                    return {0, step->number, step->cause, places[step->place]};
                case Code::Return:
                    return {r[static_cast<std::size_t>(step->a)], failure::kNone, Cause::None, {}};
            }
        }
    } catch (const EvaluationFailure& fault) {
        return {0, static_cast<failure::Number>(fault.number), fault.cause, places[step->place]};
    }
}

}  // namespace vornel
