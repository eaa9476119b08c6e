#pragma once

#include <string>
#include <string_view>

#include <vornel/Display.h>

namespace vornel {

// "#00.000": at least two integer digits, exactly three decimals, "." as the
// point, rounded half away from zero on the value's shortest round-trip
// decimal. A value that rounds to zero has no sign.
std::string FormatCallValue(double value);

}  // namespace vornel
