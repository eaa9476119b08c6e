#pragma once

#include <cstddef>
#include <limits>
#include <string>

#include <vornel/Outcome.h>

namespace vornel {

// A failure anywhere inside the engine, handed back as a value from the
// stage that found it to the engine's surface, which reports it by number.
//
// Its place is worked out only on the way out, never on the path that
// succeeds: the stage that knows where it stood fills [begin, end) in byte
// offsets of the text that stage was given, and every stage that passed on a
// text of its own making carries the range back into its own input. Number 0
// (failure::kNone) is no failure.
struct EvaluationFailure {
    static constexpr int kInvalidArgument = failure::kInvalidArgument;
    static constexpr int kOverflow = failure::kOverflow;
    static constexpr int kSubscriptOutOfRange = failure::kSubscriptOutOfRange;
    static constexpr int kDivisionByZero = failure::kDivisionByZero;
    static constexpr int kTypeMismatch = failure::kTypeMismatch;
    static constexpr std::size_t kNowhere = std::numeric_limits<std::size_t>::max();

    int number;
    Cause cause = Cause::None;
    std::size_t begin = kNowhere;
    std::size_t end = kNowhere;

    bool Placed() const { return begin != kNowhere; }
    void Place(std::size_t from, std::size_t to) {
        begin = from;
        end = to;
    }
    // Moves the range from a piece of a text into the whole text, where the
    // piece starts at `offset`.
    void Shift(std::size_t offset) {
        begin += offset;
        end += offset;
    }
};

// A number worked out by an operation that can fail, or why it failed: the
// failure's number and cause, which the caller places.
struct Checked {
    double value = 0;
    failure::Number number = failure::kNone;
    Cause cause = Cause::None;

    Checked(double v) : value(v) {}  // NOLINT(google-explicit-constructor): a result
    Checked(failure::Number n, Cause c) : number(n), cause(c) {}

    [[nodiscard]] bool Failed() const { return number != failure::kNone; }
    [[nodiscard]] EvaluationFailure Fault() const { return {number, cause}; }
};

// A short description of a failure number, for the boxes that show one.
std::string FailureDescription(int number);

// "Error Number-" followed by the number: the title of every failure box.
std::string FailureTitle(int number);

}  // namespace vornel
