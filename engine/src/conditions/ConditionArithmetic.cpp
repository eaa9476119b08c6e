#include "ConditionArithmetic.h"

#include <cmath>
#include <limits>

#include "ArithmeticEvaluator.h"

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

struct ConditionPolicy {
    static constexpr int kBottom = 0;
    static constexpr bool kCloseNeedsGroup = false;

    static double Convert(double number) {
        return static_cast<double>(RoundHalfEvenChecked(
            number, std::numeric_limits<std::int32_t>::min(),
            std::numeric_limits<std::int32_t>::max(), Cause::WholeNumberRange));
    }

    static double ApplyUnary(double x, OpKind op) {
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
};

}  // namespace

double EvaluateConditionArithmetic(std::string_view text) {
    return EvaluatePlacingFailures<ConditionPolicy>(text);
}

}  // namespace vornel
