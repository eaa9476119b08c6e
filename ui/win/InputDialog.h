#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include <vornel/model/WindowPort.h>

namespace vornel::win {

// The modal dialog of `request`: a labelled line for each field, OK and
// Cancel. OK asks request.check; a refusal keeps the dialog open with what
// was typed and shows the reason above the buttons. The dialog is wide
// enough for its whole title. The lines confirmed, or nothing after Cancel.
std::optional<std::vector<std::string>> RunInputDialog(HWND owner, const InputRequest& request);

}  // namespace vornel::win
