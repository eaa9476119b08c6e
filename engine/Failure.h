#pragma once

#include <string>

namespace vornel {

// A failure anywhere inside the engine. Thrown where the fault is found and
// caught only at the engine's surface (Exp), which reports it by number.
struct EvaluationFailure {
    static constexpr int kInvalidArgument = 5;
    static constexpr int kOverflow = 6;
    static constexpr int kSubscriptOutOfRange = 9;
    static constexpr int kDivisionByZero = 11;
    static constexpr int kTypeMismatch = 13;

    int number;
};

[[noreturn]] void Fail(int number);

// A short description of a failure number, for the boxes that show one.
std::string FailureDescription(int number);

// "Error Number-" followed by the number: the title of every failure box.
std::string FailureTitle(int number);

}  // namespace vornel
