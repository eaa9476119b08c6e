#pragma once

namespace vornel {

// The failure numbers an evaluation can end with. 0 means no failure.
namespace failure {
inline constexpr int kNone = 0;
inline constexpr int kInvalidArgument = 5;      // e.g. an If block without Then, Else or EndIf
inline constexpr int kOverflow = 6;             // a number, result or text beyond its range
inline constexpr int kSubscriptOutOfRange = 9;  // a malformed formula, or a limit of its parts
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;  // e.g. a word that is no number, or text in arithmetic
}  // namespace failure

// What an evaluation gives: its value, or the number of the failure that
// ended it (and then the value 0).
struct Outcome {
    double value = 0.0;
    int failure = failure::kNone;

    bool Succeeded() const noexcept { return failure == failure::kNone; }
};

}  // namespace vornel
