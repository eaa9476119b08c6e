#include "ArithmeticEvaluator.h"

namespace vornel {

namespace {

struct ArithmeticPolicy {
    static constexpr int kBottom = 1;
    static constexpr bool kCloseNeedsGroup = true;
    static double Convert(double number) { return number; }
    static double ApplyUnary(double x, OpKind op) { return vornel::ApplyUnary(x, op); }
};

}  // namespace

int ComparePrecedence(std::string_view upper, std::string_view lower) {
    return ComparePrecedence(ClassifyOperator(upper), ClassifyOperator(lower));
}

double EvaluateArithmetic(std::string_view text, const double* marks) {
    return EvaluatePlacingFailures<ArithmeticPolicy>(text, marks);
}

std::optional<double> EvaluateWithNames(std::string_view text, const VariableLookup& names) {
    if (text.size() >= kPositionLimit) {
        return std::nullopt;
    }
    try {
        ArithmeticEvaluator<ArithmeticPolicy> evaluator(text, nullptr, &names);
        const double value = evaluator.Run();
        if (static_cast<std::ptrdiff_t>(text.size()) + evaluator.Written() >=
            static_cast<std::ptrdiff_t>(kPositionLimit)) {
            return std::nullopt;
        }
        return value;
    } catch (const EvaluationFailure&) {
        return std::nullopt;
    }
}

std::optional<double> ReadWholeNumber(std::string_view text) {
    return ArithmeticEvaluator<ArithmeticPolicy>(text).WholeNumber();
}

}  // namespace vornel
