#include "Failure.h"

namespace vornel {

void Fail(int number) {
    throw EvaluationFailure{number};
}

std::string FailureDescription(int number) {
    switch (number) {
        case EvaluationFailure::kInvalidArgument:
            return "Invalid procedure call or argument";
        case EvaluationFailure::kOverflow:
            return "Overflow";
        case EvaluationFailure::kSubscriptOutOfRange:
            return "Subscript out of range";
        case EvaluationFailure::kDivisionByZero:
            return "Division by zero";
        case EvaluationFailure::kTypeMismatch:
            return "Type mismatch";
        default:
            return "Error " + std::to_string(number);
    }
}

std::string FailureTitle(int number) {
    return "Error Number-" + std::to_string(number);
}

}  // namespace vornel
