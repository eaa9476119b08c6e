#pragma once

#include <string>
#include <string_view>

namespace vornel {

// Number text: how the engine writes a double wherever a number travels as
// text. Rounded to 15 significant digits and written positionally, never with
// an exponent, so it always reads back as one number: 2 -> "2", -0.5 ->
// "-0.5", 1E20 -> "100000000000000000000", 1.5E-20 -> "0.000000000000000000015".
// No trailing zeros or trailing "."; negative zero is "0". A value that is not
// finite is written as a number too large for a double, so reading it back is
// an overflow.
std::string NumberText(double value);

// The result's display form "#,###,##0.000000000000000": a minus sign for
// negatives, the integer part grouped by threes with `group`, `decimal`, then
// exactly 15 decimals. The shown digits carry at most 15 significant digits
// (the rest are zeros); a value whose shown digits are all zero has no sign.
std::string FormatDisplay(double value, std::string_view group = ",",
                          std::string_view decimal = ".");

// "#00.000": at least two integer digits, exactly three decimals, "." as the
// point, rounded half away from zero on the value's shortest round-trip
// decimal. A value that rounds to zero has no sign.
std::string FormatCallValue(double value);

}  // namespace vornel
