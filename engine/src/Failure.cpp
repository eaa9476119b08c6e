#include "Failure.h"

namespace vornel {

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

std::string_view CauseText(Cause cause) noexcept {
    switch (cause) {
        case Cause::None:
            return "";
        case Cause::EmptyFormula:
            return "There is nothing to calculate";
        case Cause::TooLong:
            return "The formula is too long: it reaches 32,767 characters, counting the values "
                   "put in for its variables";
        case Cause::MalformedNumber:
            return "This is not a valid number";
        case Cause::NumberTooLarge:
            return "This number is too large";
        case Cause::WholeNumberRange:
            return "Inside a condition this function works with whole numbers, and this one "
                   "is too large";
        case Cause::MissingOperand:
            return "Something to calculate with is missing before this";
        case Cause::MissingOperandAtEnd:
            return "The formula ends where something to calculate with is still expected";
        case Cause::MissingArgument:
            return "This function is missing an argument";
        case Cause::SignAfterOperator:
            return "A sign cannot follow an operator here";
        case Cause::UnknownWord:
            return "This word is neither a function nor a variable";
        case Cause::NothingToClose:
            return "There is no \"(\" for this to close";
        case Cause::TooDeep:
            return "Too many calculations are waiting here: at most 256 can be open at once";
        case Cause::DivisionByZero:
            return "A number cannot be divided by zero";
        case Cause::ZeroByZero:
            return "Zero divided by zero has no value";
        case Cause::ResultTooLarge:
            return "The result of this is too large";
        case Cause::NegativePlaces:
            return "Round cannot round to a negative number of places";
        case Cause::ArgumentOutOfRange:
            return "The power or number of places given here is too large";
        case Cause::MissingThen:
            return "Then is missing here";
        case Cause::MissingElse:
            return "An If block needs Else, and it is missing here";
        case Cause::MissingEndIf:
            return "EndIf is missing here";
        case Cause::TooManyConditions:
            return "An If block can hold at most 16 conditions";
        case Cause::KeywordTooFar:
            return "This keyword stands beyond character 32,767";
        case Cause::NoRelation:
            return "The parts of this condition cannot stand next to each other";
        case Cause::TooManyTokens:
            return "A condition can hold at most 127 parts";
        case Cause::WrongKindOfOperand:
            return "This operator cannot work on a truth value or a text";
        case Cause::NotANumber:
            return "This needs a number on each side";
        case Cause::UnusedCharacter:
            return "This character means nothing in arithmetic: it is skipped, and that leaves "
                   "an operator without something to calculate with";
        case Cause::UnclosedParenthesis:
            return "This \"(\" is not closed before the condition ends";
    }
    return "";
}

std::string Explanation(const Outcome& outcome) {
    if (outcome.Succeeded()) {
        return {};
    }
    return std::string(CauseText(outcome.cause)) + " (" + FailureTitle(outcome.failure) + ")";
}

}  // namespace vornel
