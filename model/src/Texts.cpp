// The window's fixed texts (examples, keypad) and its numbers as texts.
#include <vornel/Display.h>
#include <vornel/model/MainModel.h>

#include <array>
#include <charconv>
#include <cmath>
#include <iterator>

#include "ExampleExpressions.h"
#include "TextTools.h"

namespace vornel {

namespace text {

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        count += IsContinuationByte(c) ? 0 : 1;
    }
    return count;
}

std::string_view Slice(std::string_view text, TextRange range) {
    const std::size_t begin = CharacterOffset(text, range.begin);
    const std::size_t end = CharacterOffset(text, range.end);
    return text.substr(begin, end > begin ? end - begin : 0);
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view Indent(std::string_view text) {
    return text.substr(0, std::min(text.find_first_not_of(' '), text.size()));
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return Upper(a) == Upper(b);
}

std::string OnOneLine(std::string_view text) {
    std::string line;
    bool blank = false;
    for (const char c : Trimmed(text)) {
        if (IsBlank(c)) {
            blank = true;
            continue;
        }
        if (blank) {
            line += ' ';
            blank = false;
        }
        line += c;
    }
    return line;
}

std::string Shortened(std::string_view text, std::size_t characters) {
    if (CharacterCount(text) <= characters) {
        return std::string(text);
    }
    return std::string(text.substr(0, CharacterOffset(text, characters - 1))) + "\u2026";
}

}  // namespace text

namespace {

// Captions by member number; member 37 does not exist.
constexpr std::array<const char*, kKeypadMembers> kKeypadCaptions = {
    "0",    "1",     "2",   "3",   "4",    "5",      "6",     "7",      "8",     "9",
    "00",   ".",     "+",   "-",   "/",    "*",      "<>",    "<",      ">=",    "<=",
    "Else", "EndIf", ">",   "If",  "Then", "ElseIf", "|  Or", "&& And", "Space", "Floor",
    "Exp",  "Round", "Max", "Min", "Ceil", "(",      ")",     nullptr,  "Enter",
};

constexpr int kKeypadDigitsEnd = 11;  // members 0 to 11 insert their caption
constexpr int kOrMember = 26;
constexpr int kAndMember = 27;
constexpr int kSpaceMember = 28;
constexpr int kEnterMember = 38;

// `text` as a double when all of it is one number in the C form (a leading
// "+" allowed); nothing otherwise, and for numbers beyond a double's range.
std::optional<double> ReadNumber(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// `text` written in the locale's form, rewritten in the C form: group
// separators between groups of three digits of the whole part dropped, the
// decimal separator made ".". Nothing when a group separator is misplaced.
std::optional<std::string> FromLocaleForm(std::string_view text, const NumberFormat& format) {
    std::string whole(text.substr(0, text.find(format.decimal)));
    std::string rest(text.substr(whole.size()));
    if (!rest.empty()) {
        rest.replace(0, format.decimal.size(), ".");
    }
    if (format.group.empty() || whole.find(format.group) == std::string::npos) {
        return whole + rest;
    }
    std::string digits;
    std::size_t group = 0;
    for (std::size_t at = 0;; ++group) {
        const std::size_t next = whole.find(format.group, at);
        const std::string part = whole.substr(at, next - at);
        const bool sized = group == 0 ? !part.empty() && part.size() <= 3 : part.size() == 3;
        if (!sized) {
            return std::nullopt;  // "1,5" or "12,34" is no grouping
        }
        digits += part;
        if (next == std::string::npos) {
            break;
        }
        at = next + format.group.size();
    }
    return digits + rest;
}

}  // namespace

std::string ExampleName(int row) {
    return "Example Expression " + std::to_string(row + 1);
}

std::optional<std::string> ExampleExpression(int row) {
    if (row < 0 || row >= kExampleCount) {
        return std::nullopt;
    }
    return std::string(kExampleExpressions[std::size_t(row)]);
}

std::string KeypadCaption(int member) {
    if (member < 0 || member >= kKeypadMembers || kKeypadCaptions[member] == nullptr) {
        return {};
    }
    return kKeypadCaptions[member];
}

std::string KeypadInsertText(int member) {
    const std::string caption = KeypadCaption(member);
    if (caption.empty()) {
        return {};
    }
    switch (member) {
        case kOrMember:
            return "| ";
        case kAndMember:
            return "& ";
        case kSpaceMember:
            return " ";
        case kEnterMember:
            return "\r\n";
        default:
            return member <= kKeypadDigitsEnd ? caption : caption + ' ';
    }
}

std::string ResultText(double value, const NumberFormat& format) {
    return FormatDisplay(value, format.group, format.decimal);
}

double ValueFromText(std::string_view text) {
    return ReadNumber(text::Trimmed(text)).value_or(0.0);
}

std::optional<double> ValueFromInput(std::string_view text, const NumberFormat& format) {
    const std::string_view trimmed = text::Trimmed(text);
    if (const std::optional<double> value = ReadNumber(trimmed)) {
        return value;
    }
    const std::optional<std::string> rewritten = FromLocaleForm(trimmed, format);
    return rewritten ? ReadNumber(*rewritten) : std::nullopt;
}

std::string ValueRowText(double value) {
    // The shortest text that reads back as the same double, never an exponent.
    char digits[400];
    const auto written =
        std::to_chars(std::begin(digits), std::end(digits), value + 0.0, std::chars_format::fixed);
    std::string text(digits, written.ptr);
    const std::size_t point = text.find('.');
    if (point == std::string::npos) {
        return text + ".00";
    }
    return text.size() - point < 3 ? text + '0' : text;
}

}  // namespace vornel
