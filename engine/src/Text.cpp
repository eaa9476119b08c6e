#include "Text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "UpperCaseTable.h"

namespace vornel {

namespace {

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Decodes the character at text[i], returning its code point, or -1 when the
// bytes there are not a valid UTF-8 sequence (then the byte stands alone).
long DecodeAt(std::string_view text, std::size_t i, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(text[i]);
    length = 1;
    if (lead < 0x80) {
        return lead;
    }
    std::size_t need = 0;
    long code = 0;
    long minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3, code = lead & 0x07, minimum = 0x10000;
    } else {
        return -1;
    }
    if (i + need >= text.size()) {
        return -1;
    }
    for (std::size_t k = 1; k <= need; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if (!IsContinuation(c)) {
            return -1;
        }
        code = (code << 6) | (c & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return -1;
    }
    length = need + 1;
    return code;
}

template <class String>
void AppendUtf8(String& out, long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Case mapping must not follow the user's locale (a Turkish locale would turn
// "i" into a dotted capital), nor the platform's tables, which differ: one
// table of Unicode's simple mappings serves every platform.
long UpperOf(long code) {
    const auto c = static_cast<char32_t>(code);
    const auto after =
        std::upper_bound(kUpperCaseRanges.begin(), kUpperCaseRanges.end(), c,
                         [](char32_t x, const UpperCaseRange& range) { return x < range.first; });
    if (after == kUpperCaseRanges.begin()) {
        return code;
    }
    const UpperCaseRange& range = *(after - 1);
    if (c > range.last || (c - range.first) % range.step != 0) {
        return code;
    }
    return code + range.distance;
}

}  // namespace

std::size_t CharLength(std::string_view text, std::size_t i) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
        return 1;
    }
    std::size_t length = 1;
    DecodeAt(text, i, length);
    return length;
}

std::size_t CharCount(std::string_view text) {
    // The ASCII part first, one character per byte, in a loop the compiler
    // can vectorise.
    std::size_t i = static_cast<std::size_t>(
        std::find_if(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) -
        text.begin());
    std::size_t count = i;
    for (; i < text.size(); i += CharLength(text, i)) {
        ++count;
    }
    return count;
}

std::size_t OffsetAfterChars(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t seen = 0; seen < count; ++seen) {
        if (i >= text.size()) {
            return std::string_view::npos;
        }
        i += CharLength(text, i);
    }
    return i;
}

std::size_t CharacterOffset(std::string_view text, std::size_t index) noexcept {
    std::size_t i = 0;
    for (std::size_t seen = 0; seen < index && i < text.size(); ++seen) {
        i += CharLength(text, i);
    }
    return std::min(i, text.size());
}

TextKind KindOf(std::string_view text) {
    // Eight bytes at a time: a byte at or above 0x80 sets its top bit in
    // `all`, and a byte up to ' ' sets its top bit in `low` (the classic test
    // for a byte below a bound, exact for bounds up to 0x80).
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kTops = 0x8080808080808080ULL;
    std::uint64_t all = 0;
    std::uint64_t low = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        all |= word;
        low |= (word - kOnes * (' ' + 1)) & ~word;
    }
    bool lowByte = false;
    for (; i < text.size(); ++i) {
        all |= static_cast<unsigned char>(text[i]);
        lowByte = lowByte || static_cast<unsigned char>(text[i]) <= ' ';
    }
    const bool maybeBlank = lowByte || (low & kTops) != 0;
    const bool blank = maybeBlank && std::any_of(text.begin(), text.end(), [](char c) {
                           return c == ' ' || c == '\t' || c == '\r' || c == '\n';
                       });
    return {(all & kTops) == 0, blank};
}

bool IsLongTextAscii(std::string_view text) {
    // No early exit: a loop over all the bytes is one the compiler vectorises.
    unsigned char all = 0;
    for (const char c : text) {
        all |= static_cast<unsigned char>(c);
    }
    return all < 0x80;
}

namespace {

template <class String>
void UpperInto(std::string_view text, String& out) {
    // The ASCII part first, in loops the compiler can vectorise.
    const auto ascii =
        IsAscii(text)
            ? text.size()
            : static_cast<std::size_t>(
                  std::find_if(text.begin(), text.end(),
                               [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) -
                  text.begin());
    out.assign(ascii, '\0');
    std::transform(
        text.begin(), text.begin() + static_cast<std::ptrdiff_t>(ascii), out.begin(),
        [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; });
    if (ascii == text.size()) {
        return;
    }
    // From the first character outside ASCII on, character by character.
    out.reserve(text.size());
    for (std::size_t i = ascii; i < text.size();) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) < 0x80) {
            out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
            ++i;
            continue;
        }
        std::size_t length = 1;
        const long code = DecodeAt(text, i, length);
        if (code < 0) {
            out += c;  // not UTF-8: the byte passes through untouched
        } else {
            AppendUtf8(out, UpperOf(code));
        }
        i += length;
    }
}

}  // namespace

std::string ToUpper(std::string_view text) {
    std::string out;
    UpperInto(text, out);
    return out;
}

void ToUpper(std::string_view text, std::pmr::string& out) {
    UpperInto(text, out);
}

}  // namespace vornel
