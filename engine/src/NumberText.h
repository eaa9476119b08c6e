#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include <vornel/Display.h>
#include <vornel/VariableTable.h>

namespace vornel {

// A value as a formula reads it: its NumberText read back as a number, the
// length of that text, and whether it reads back at all (a text beyond the
// range of a double does not; one too small for a double reads as 0).
struct ReadValue {
    double value = 0;
    std::uint32_t textSize = 1;  // "0"
    bool readable = true;
};

// No value reads back larger than this in magnitude: it is the largest
// number of fifteen digits below the largest double.
inline constexpr double kLargestReadValue = 1.79769313486231e308;

// Whether NumberText writes `value` as its whole digits: a whole number below
// 10^15, or zero (as "0").
inline bool IsWrittenWhole(double value) {
    double read = 0;
    return VariableTable::ReadsBackWhole(value, read);
}

inline constexpr std::uint64_t kPowersOfTen[] = {1,
                                                 10,
                                                 100,
                                                 1000,
                                                 10000,
                                                 100000,
                                                 1000000,
                                                 10000000,
                                                 100000000,
                                                 1000000000,
                                                 10000000000,
                                                 100000000000,
                                                 1000000000000,
                                                 10000000000000,
                                                 100000000000000,
                                                 1000000000000000,
                                                 10000000000000000,
                                                 100000000000000000,
                                                 1000000000000000000,
                                                 10000000000000000000U};

// The number of decimal digits of n (0 for 0).
inline int DigitCount(std::uint64_t n) {
    // bit_width * log10(2), rounded down, is the digit count or one less.
    const int guess = (static_cast<int>(std::bit_width(n)) * 1233) >> 12;
    return guess - (n < kPowersOfTen[guess] ? 1 : 0) + 1;
}

// ReadBack of a value that IsWrittenWhole does not hold.
ReadValue ReadBackWrittenOut(double value);

// A whole value, the most frequent, is read back here.
inline ReadValue ReadBack(double value) {
    if (double whole = 0; VariableTable::ReadsBackWhole(value, whole)) {
        const auto magnitude = static_cast<std::uint64_t>(std::abs(whole));
        const int size = (magnitude == 0 ? 1 : DigitCount(magnitude)) + (whole < 0 ? 1 : 0);
        return {whole, static_cast<std::uint32_t>(size), true};
    }
    return ReadBackWrittenOut(value);
}

// Room for any number's NumberText: the longest, that of the smallest
// negative double, is 341 characters.
inline constexpr std::size_t kNumberTextCapacity = 344;
// Writes NumberText(value) at `out`, which has room for kNumberTextCapacity
// characters; returns how many it wrote.
std::size_t WriteNumberText(double value, char* out);

// "#00.000": at least two integer digits, exactly three decimals, "." as the
// point, rounded half away from zero on the value's shortest round-trip
// decimal. A value that rounds to zero has no sign.
std::string FormatCallValue(double value);

}  // namespace vornel
