#pragma once

#include <string>
#include <string_view>

namespace vornel {

// The result's display form "#,###,##0.000000000000000": a minus sign for
// negatives, the integer part grouped by threes with `group`, `decimal`, then
// exactly 15 decimals. The shown digits carry at most 15 significant digits
// (the rest are zeros); a value whose shown digits are all zero has no sign.
// Example: 3940 -> "3,940.000000000000000".
std::string FormatDisplay(double value, std::string_view group = ",",
                          std::string_view decimal = ".");

// Number text: how the engine writes a double wherever a number travels as
// text, and the shortest form of a result. Rounded to 15 significant digits
// and written positionally, never with an exponent, so it always reads back
// as one number: 2 -> "2", -0.5 -> "-0.5", 1E20 -> "100000000000000000000",
// 1.5E-20 -> "0.000000000000000000015". No trailing zeros or trailing ".";
// negative zero is "0". A value that is not finite is written as a number too
// large for a double, so reading it back is an overflow.
std::string NumberText(double value);

}  // namespace vornel
