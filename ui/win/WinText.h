#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vornel::win {

// UTF-8, as the engine and the files keep text, to and from the UTF-16 of
// the W functions.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// Positions in a text: the UTF-16 unit `unit` as a count of characters as the
// engine counts them (a surrogate pair is one), and back.
std::size_t CharacterIndex(std::wstring_view text, std::size_t unit);
std::size_t UnitIndex(std::wstring_view text, std::size_t character);

// The whole text of a window or control.
std::wstring WindowText(HWND window);

// A string of the program's version information ("ProductName",
// "LegalCopyright", ...), or "" when the program has none.
std::wstring VersionString(const wchar_t* name);

}  // namespace vornel::win
