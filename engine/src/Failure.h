#pragma once

#include <cstddef>
#include <limits>
#include <string>

#include <vornel/Outcome.h>

namespace vornel {

// A failure anywhere inside the engine. Thrown where the fault is found and
// caught only at the engine's surface (Exp), which reports it by number.
//
// Its place is worked out only on the way out, never on the path that
// succeeds: the stage that knows where it stood fills [begin, end) in byte
// offsets of the text that stage was given, and every stage that passed on a
// text of its own making carries the range back into its own input.
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

[[noreturn]] void Fail(int number, Cause cause = Cause::None);

// A short description of a failure number, for the boxes that show one.
std::string FailureDescription(int number);

// "Error Number-" followed by the number: the title of every failure box.
std::string FailureTitle(int number);

}  // namespace vornel
