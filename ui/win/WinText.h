#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vornel::win {

// UTF-8, as the engine and the files keep text, to and from the UTF-16 of
// the W functions.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The whole text of a window or control.
std::wstring WindowText(HWND window);

// A string of the program's version information ("ProductName",
// "LegalCopyright", ...), or "" when the program has none.
std::wstring VersionString(const wchar_t* name);

}  // namespace vornel::win
