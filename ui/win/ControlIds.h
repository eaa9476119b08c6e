#pragma once

#include <vornel/model/Layout.h>

namespace vornel::win {

// The number of `spec`'s control in the Windows program (ResourceIds.h): a
// keypad key's is IDC_KEYPAD plus its member number.
int ControlId(const layout::ControlSpec& spec);

}  // namespace vornel::win
