#include "WinText.h"

#include <vector>

namespace vornel::win {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), length);
    return wide;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string narrow(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), int(utf16.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

namespace {

bool StartsPair(std::wstring_view text, std::size_t at) {
    return at + 1 < text.size() && IS_HIGH_SURROGATE(text[at]) && IS_LOW_SURROGATE(text[at + 1]);
}

}  // namespace

std::size_t CharacterIndex(std::wstring_view text, std::size_t unit) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < unit && at < text.size(); ++at, ++characters) {
        at += StartsPair(text, at) ? 1 : 0;
    }
    return characters;
}

std::size_t UnitIndex(std::wstring_view text, std::size_t character) {
    std::size_t at = 0;
    for (std::size_t counted = 0; counted < character && at < text.size(); ++counted, ++at) {
        at += StartsPair(text, at) ? 1 : 0;
    }
    return at;
}

std::wstring WindowText(HWND window) {
    std::wstring text(std::size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

std::wstring VersionString(const wchar_t* name) {
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program, &ignored);
    std::vector<char> info(size);
    if (size == 0 || !GetFileVersionInfoW(program, 0, size, info.data())) {
        return {};
    }
    // English (United States), Unicode: the one block the resource script writes.
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    wchar_t* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) ||
        length == 0) {
        return {};
    }
    return std::wstring(value);
}

}  // namespace vornel::win
