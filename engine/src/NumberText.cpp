#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vornel {

namespace {

// A decimal number as a digit string and a point position:
// value = 0.d1d2d3... x 10^pointPos (digits has no leading zeros unless it is
// "0"; pointPos is where the decimal point stands relative to digits[0]).
struct Decimal {
    bool negative = false;
    std::string digits;  // significant digits, most significant first
    int pointPos = 0;    // number of digits before the decimal point
};

// Parses the output of std::to_chars in scientific form, "-d.ddde+XX".
Decimal FromScientific(std::string_view text) {
    Decimal d;
    std::size_t i = 0;
    if (text[i] == '-') {
        d.negative = true;
        ++i;
    }
    const auto e = text.find('e', i);
    for (std::size_t k = i; k < e; ++k) {
        if (text[k] != '.') {
            d.digits += text[k];
        }
    }
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    exponent);
    d.pointPos = exponent + 1;
    return d;
}

Decimal ToDecimal(double value, int precision) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::scientific, precision);
    return FromScientific(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

Decimal ShortestDecimal(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    return FromScientific(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

bool IsZero(const Decimal& d) {
    return d.digits.find_first_not_of('0') == std::string::npos;
}

// The digit at decimal place `k` counted from the point (k < pointPos is the
// integer part), or '0' outside the stored digits.
char DigitAt(const Decimal& d, int index) {
    return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
}

// Writes the integer part of `d`, at least `minDigits` long, grouped by
// `group` when it is not empty.
std::string IntegerPart(const Decimal& d, int minDigits, std::string_view group) {
    std::string plain;
    for (int k = 0; k < d.pointPos; ++k) {
        plain += DigitAt(d, k);
    }
    const auto firstNonZero = plain.find_first_not_of('0');
    plain = firstNonZero == std::string::npos ? "" : plain.substr(firstNonZero);
    if (static_cast<int>(plain.size()) < minDigits) {
        plain.insert(0, static_cast<std::size_t>(minDigits) - plain.size(), '0');
    }
    if (group.empty()) {
        return plain;
    }
    std::string grouped;
    for (std::size_t k = 0; k < plain.size(); ++k) {
        if (k > 0 && (plain.size() - k) % 3 == 0) {
            grouped += group;
        }
        grouped += plain[k];
    }
    return grouped;
}

std::string Fraction(const Decimal& d, int places) {
    std::string out;
    for (int k = 0; k < places; ++k) {
        out += DigitAt(d, d.pointPos + k);
    }
    return out;
}

// Rounds a decimal to `places` decimals, halves away from zero.
Decimal RoundHalfAway(Decimal d, int places) {
    const int keep = d.pointPos + places;  // digits kept
    if (keep >= static_cast<int>(d.digits.size())) {
        return d;
    }
    if (keep < 0) {
        d.digits.assign(1, '0');
        d.pointPos = 1;
        return d;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int k = keep - 1;
        while (k >= 0 && d.digits[k] == '9') {
            d.digits[k--] = '0';
        }
        if (k >= 0) {
            ++d.digits[k];
        } else {
            d.digits.insert(0, 1, '1');
            ++d.pointPos;
        }
    }
    if (d.digits.empty()) {
        d.digits.assign(1, '0');
    }
    return d;
}

// Any finite double's text is at most 309 integer digits; this many reads
// back as beyond the range of a double.
constexpr int kTooLargeDigits = 310;

// A double's significant digits (no trailing zeros) and decimal point
// position, as in Decimal, without building strings.
struct CompactDecimal {
    bool negative = false;
    char digits[24] = {};
    int count = 0;
    int pointPos = 0;
};

// Reads the output of std::to_chars in scientific form, "-d.ddde+XX",
// dropping trailing zeros of the digits.
CompactDecimal CompactFromScientific(const char* first, const char* last) {
    CompactDecimal d;
    if (*first == '-') {
        d.negative = true;
        ++first;
    }
    const char* e = first;
    for (; e != last && *e != 'e'; ++e) {
        if (*e != '.') {
            d.digits[d.count++] = *e;
        }
    }
    while (d.count > 1 && d.digits[d.count - 1] == '0') {
        --d.count;
    }
    int exponent = 0;
    std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), last, exponent);
    d.pointPos = exponent + 1;
    return d;
}

// A non-zero finite value rounded to 15 significant digits.
CompactDecimal FifteenDigits(double value) {
    char buffer[64];
    const auto rounded =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    return CompactFromScientific(buffer, rounded.ptr);
}

// The digits written out with the point in place, never with an exponent.
std::string PositionalText(const CompactDecimal& d) {
    std::string out;
    out.reserve(static_cast<std::size_t>(d.count + std::abs(d.pointPos) + 3));
    if (d.negative) {
        out += '-';
    }
    const std::string_view digits(d.digits, static_cast<std::size_t>(d.count));
    if (d.pointPos <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-d.pointPos), '0');
        out += digits;
    } else if (d.pointPos >= d.count) {
        out += digits;
        out.append(static_cast<std::size_t>(d.pointPos - d.count), '0');
    } else {
        out += digits.substr(0, static_cast<std::size_t>(d.pointPos));
        out += '.';
        out += digits.substr(static_cast<std::size_t>(d.pointPos));
    }
    return out;
}

// The length of PositionalText(d).
std::size_t PositionalSize(const CompactDecimal& d) {
    const std::size_t sign = d.negative ? 1 : 0;
    if (d.pointPos <= 0) {
        return sign + 2 + static_cast<std::size_t>(-d.pointPos + d.count);
    }
    if (d.pointPos >= d.count) {
        return sign + static_cast<std::size_t>(d.pointPos);
    }
    return sign + static_cast<std::size_t>(d.count) + 1;
}

}  // namespace

ReadValue ReadBack(double value) {
    if (IsWrittenWhole(value)) {
        const double whole = value + 0.0;  // without the sign of -0
        auto magnitude = static_cast<std::uint64_t>(whole < 0 ? -whole : whole);
        std::uint32_t size = whole < 0 ? 2 : 1;
        for (; magnitude >= 10; magnitude /= 10) {
            ++size;
        }
        return {whole, size, true};
    }
    if (!std::isfinite(value)) {
        return {0, static_cast<std::uint32_t>(kTooLargeDigits + 1 + (value < 0 ? 1 : 0)), false};
    }
    // A normal value whose shortest form has at most 15 digits is its own
    // 15-digit rounding, and reads back as itself. (A subnormal one has too
    // few bits for that: its shortest form can be shorter than its
    // rounding.)
    char buffer[64];
    const auto shortest =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    CompactDecimal d = CompactFromScientific(buffer, shortest.ptr);
    if (d.count <= 15 && std::abs(value) >= std::numeric_limits<double>::min()) {
        return {value, static_cast<std::uint32_t>(PositionalSize(d)), true};
    }
    const auto rounded =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    d = CompactFromScientific(buffer, rounded.ptr);
    const auto size = static_cast<std::uint32_t>(PositionalSize(d));
    double read = 0;
    const auto result = std::from_chars(buffer, rounded.ptr, read);
    if (result.ec == std::errc::result_out_of_range) {
        if (d.pointPos > 0) {
            return {0, size, false};  // beyond the range of a double
        }
        return {0, size, true};  // too small for a double: 0
    }
    return {read, size, true};
}

std::string NumberText(double value) {
    if (!std::isfinite(value)) {
        std::string text = (value < 0) ? "-1" : "1";
        return text.append(kTooLargeDigits, '0');
    }
    if (value == 0) {
        return "0";
    }
    // Whole numbers below 10^15 have at most 15 digits: rounding keeps them.
    if (std::abs(value) < 1e15) {
        const auto whole = static_cast<long long>(value);
        if (static_cast<double>(whole) == value) {
            char buffer[24];
            const auto written = std::to_chars(buffer, buffer + sizeof buffer, whole);
            return std::string(buffer, written.ptr);
        }
    }
    return PositionalText(FifteenDigits(value));
}

std::string FormatDisplay(double value, std::string_view group, std::string_view decimal) {
    constexpr int kDecimals = 15;
    constexpr int kSignificant = 15;
    if (!std::isfinite(value)) {
        value = 0;
    }
    // Round once, to whichever comes first: the 15th significant digit or the
    // 15th decimal.
    Decimal d = ToDecimal(value, kSignificant - 1);
    const int significant = std::min(kSignificant, d.pointPos + kDecimals);
    if (significant < kSignificant) {
        if (significant >= 1) {
            d = ToDecimal(value, significant - 1);
        } else {
            d = RoundHalfAway(ShortestDecimal(value), kDecimals);
        }
    }
    std::string out = (d.negative && !IsZero(d)) ? "-" : "";
    out += IntegerPart(d, 1, group);
    out += decimal;
    out += Fraction(d, kDecimals);
    return out;
}

std::string FormatCallValue(double value) {
    if (!std::isfinite(value)) {
        return NumberText(value);
    }
    const Decimal d = RoundHalfAway(ShortestDecimal(value), 3);
    std::string out = (d.negative && !IsZero(d)) ? "-" : "";
    out += IntegerPart(d, 2, {});
    out += '.';
    out += Fraction(d, 3);
    return out;
}

}  // namespace vornel
