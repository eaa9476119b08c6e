#include "ScreenText.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include <vornel/Outcome.h>

namespace cli {

namespace {

struct CodeRange {
    char32_t first;
    char32_t last;
};

#include "WidthTable.inc"

bool InRanges(const CodeRange* first, const CodeRange* last, char32_t code) {
    const CodeRange* range = std::upper_bound(
        first, last, code, [](char32_t c, const CodeRange& r) { return c < r.first; });
    return range != first && code <= std::prev(range)->last;
}

constexpr std::size_t kTabStop = 8;

// One character of UTF-8 text: its bytes, and its code point unless the
// bytes are no valid sequence. An invalid byte stands alone, as the engine
// counts it.
struct Character {
    std::size_t length = 1;
    char32_t code = 0;
    bool valid = true;
};

Character CharacterAt(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
        return {1, lead, true};
    }
    std::size_t need = 0;
    char32_t minimum = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1, code = lead & 0x1Fu, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2, code = lead & 0x0Fu, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3, code = lead & 0x07u, minimum = 0x10000;
    }
    if (need == 0 || i + need >= text.size()) {
        return {1, lead, false};
    }
    for (std::size_t k = 1; k <= need; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80) {
            return {1, lead, false};
        }
        code = (code << 6) | (c & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {1, lead, false};
    }
    return {need + 1, code, true};
}

bool IsBidiControl(char32_t code) {
    return code == 0x061C || code == 0x200E || code == 0x200F ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

// How a character is shown, and the columns that takes.
struct Shown {
    std::string text;
    std::size_t columns = 0;
};

Shown ShowCharacter(std::string_view text, std::size_t i) {
    const Character c = CharacterAt(text, i);
    char escape[16];
    if (!c.valid) {
        std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(c.code));
        return {escape, 4};
    }
    if (c.code < 0x20 || c.code == 0x7F) {
        // The control pictures: U+2400 + code, and U+2421 for DEL.
        const char32_t picture = c.code == 0x7F ? 0x2421 : 0x2400 + c.code;
        const char bytes[] = {static_cast<char>(0xE2),
                              static_cast<char>(0x80 | (picture >> 6 & 0x3F)),
                              static_cast<char>(0x80 | (picture & 0x3F))};
        return {std::string(bytes, sizeof bytes), 1};
    }
    if ((c.code >= 0x80 && c.code <= 0x9F) || IsBidiControl(c.code)) {
        std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c.code));
        return {escape, 6};
    }
    return {std::string(text.substr(i, c.length)), static_cast<std::size_t>(ColumnWidth(c.code))};
}

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// The bytes [first, last) of the line of `text` that holds byte `at` (a line
// end belongs to the line it ends), and the line's number from 1.
struct Line {
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t number = 1;
};

Line LineAt(std::string_view text, std::size_t at) {
    Line line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsLineEnd(text[i])) {
            continue;
        }
        const std::size_t next =
            i + (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1);
        if (at < next) {
            line.last = i;
            return line;
        }
        line.first = next;
        ++line.number;
        i = next - 1;
    }
    line.last = text.size();
    return line;
}

}  // namespace

int ColumnWidth(char32_t code) {
    if (InRanges(std::begin(kZeroWidth), std::end(kZeroWidth), code)) {
        return 0;
    }
    return InRanges(std::begin(kDoubleWidth), std::end(kDoubleWidth), code) ? 2 : 1;
}

std::string Visible(std::string_view text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); i += CharacterAt(text, i).length) {
        shown += ShowCharacter(text, i).text;
    }
    return shown;
}

std::string PlaceLines(std::string_view text, std::size_t begin, std::size_t end) {
    const std::size_t from = vornel::CharacterOffset(text, begin);
    const std::size_t to = std::max(from, vornel::CharacterOffset(text, end));
    const Line line = LineAt(text, from);
    std::string gutter;
    const std::size_t lastText = text.find_last_not_of("\r\n");
    if (lastText != std::string_view::npos &&
        text.substr(0, lastText).find_first_of("\r\n") != std::string_view::npos) {
        gutter = "line " + std::to_string(line.number) + ": ";
    }
    std::string shown = gutter;
    std::string marks(gutter.size(), ' ');
    std::size_t column = gutter.size();
    bool marked = false;
    for (std::size_t i = line.first; i < line.last; i += CharacterAt(text, i).length) {
        const bool inRange = i >= from && i < to;
        Shown character =
            text[i] == '\t' ? Shown{"\t", kTabStop - column % kTabStop} : ShowCharacter(text, i);
        shown += character.text;
        if (inRange) {
            marks.append(character.columns, '^');
            marked = marked || character.columns > 0;
        } else if (i < from) {
            // A tab under a tab reaches the same column whatever the
            // terminal's tab stops.
            marks += text[i] == '\t' ? std::string("\t") : std::string(character.columns, ' ');
        }
        column += character.columns;
    }
    if (!marked) {
        marks += '^';
    }
    return shown + '\n' + marks + '\n';
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const Character c = CharacterAt(text, i);
        if (!c.valid) {
            out += "\\ufffd";
        } else if (c.code == '"' || c.code == '\\') {
            out += '\\';
            out += static_cast<char>(c.code);
        } else if (c.code < 0x20 || (c.code >= 0x7F && c.code <= 0x9F) || IsBidiControl(c.code) ||
                   c.code == 0x2028 || c.code == 0x2029) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c.code));
            out += escape;
        } else {
            out += text.substr(i, c.length);
        }
        i += c.length;
    }
    return out + '"';
}

}  // namespace cli
