#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include <vornel/Display.h>

namespace vornel {

// A value as a formula reads it: its NumberText read back as a number, the
// length of that text, and whether it reads back at all (a text beyond the
// range of a double does not; one too small for a double reads as 0).
struct ReadValue {
    double value = 0;
    std::uint32_t textSize = 1;  // "0"
    bool readable = true;
};
ReadValue ReadBack(double value);

// "#00.000": at least two integer digits, exactly three decimals, "." as the
// point, rounded half away from zero on the value's shortest round-trip
// decimal. A value that rounds to zero has no sign.
std::string FormatCallValue(double value);

// Whether NumberText writes `value` as its whole digits: a whole number below
// 10^15, or zero (as "0"). Read back, such a text is the value itself, zero
// without its sign.
inline bool IsWrittenWhole(double value) {
    return value == 0 ||
           (std::abs(value) < 1e15 && static_cast<double>(static_cast<long long>(value)) == value);
}

}  // namespace vornel
