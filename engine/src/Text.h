#pragma once

#include <cstddef>
#include <memory_resource>
#include <string>
#include <string_view>

#include <vornel/Names.h>
#include <vornel/Outcome.h>

// Helpers for the engine's texts, which are UTF-8. Lengths and positions that
// the engine limits count characters, not bytes; a byte that does not start a
// valid UTF-8 sequence counts as one character of its own.
namespace vornel {

// Positions and lengths are 16-bit: a text of this many characters or more
// overflows the position counter.
inline constexpr std::size_t kPositionLimit = 32767;

// Number of bytes of the character that starts at `text[i]` (1 to 4).
std::size_t CharLength(std::string_view text, std::size_t i);

// Number of characters in `text`.
std::size_t CharCount(std::string_view text);

// Byte offset just past the `count`-th character, or npos when the text is
// shorter than that.
std::size_t OffsetAfterChars(std::string_view text, std::size_t count);

// Upper-cases every character on its own by Unicode's simple mappings (see
// UpperCaseTable.h), the same on every platform and in every locale. A
// character whose upper case is not a single character, such as "ß", stays as
// it is, and so does a byte that is not UTF-8.
std::string ToUpper(std::string_view text);

// ToUpper written into `out` (replacing what it held), with its allocator.
void ToUpper(std::string_view text, std::pmr::string& out);

// What one pass over a text finds: whether it is plain ASCII, and whether it
// holds white space (space, tab, CR, LF).
struct TextKind {
    bool ascii;
    bool blank;
};
TextKind KindOf(std::string_view text);

// Texts up to this many bytes (names, short formulas) are scanned by a plain
// loop: for them the set-up of a vectorised one costs more than it saves.
inline constexpr std::size_t kShortTextBytes = 16;

// True when every byte of `text` is below 128. IsLongTextAscii is its
// vectorised loop, for texts longer than kShortTextBytes.
bool IsLongTextAscii(std::string_view text);
inline bool IsAscii(std::string_view text) {
    if (text.size() > kShortTextBytes) {
        return IsLongTextAscii(text);
    }
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Removes leading and trailing space characters (code 32 only).
inline std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// The bit that tells a lower-case ASCII letter from its upper case.
inline constexpr char kAsciiCaseBit = 0x20;

// Compares two texts ignoring the case of A-Z.
inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y) {
            return false;
        }
    }
    return true;
}

}  // namespace vornel
