#pragma once

#include <string>

#include <vornel/Outcome.h>

namespace vornel {

// A failure anywhere inside the engine. Thrown where the fault is found and
// caught only at the engine's surface (Exp), which reports it by number.
struct EvaluationFailure {
    static constexpr int kInvalidArgument = failure::kInvalidArgument;
    static constexpr int kOverflow = failure::kOverflow;
    static constexpr int kSubscriptOutOfRange = failure::kSubscriptOutOfRange;
    static constexpr int kDivisionByZero = failure::kDivisionByZero;
    static constexpr int kTypeMismatch = failure::kTypeMismatch;

    int number;
};

[[noreturn]] void Fail(int number);

// A short description of a failure number, for the boxes that show one.
std::string FailureDescription(int number);

// "Error Number-" followed by the number: the title of every failure box.
std::string FailureTitle(int number);

}  // namespace vornel
