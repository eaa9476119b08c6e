#pragma once

#include <windows.h>

namespace vornel::win {

// The product information window `Dialog`, shown modally at start before the
// main window; returns when it is closed by "OK" or the close box.
void ShowProductInformation(HWND owner);

// The About window `frmAbout`, modal over `owner`; "OK", Enter, Esc and the
// close box close it.
void ShowAbout(HWND owner);

}  // namespace vornel::win
