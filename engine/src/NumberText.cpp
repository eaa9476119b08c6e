#include "NumberText.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <optional>

#include "Operations.h"

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
static_assert(kNumberTextCapacity >= 2 + kTooLargeDigits);

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
// Writes d as its digits with a point where one belongs, at `out`; returns
// the end of what it wrote.
char* WritePositional(const CompactDecimal& d, char* out) {
    if (d.negative) {
        *out++ = '-';
    }
    const char* const digits = d.digits;
    const auto count = static_cast<std::size_t>(d.count);
    if (d.pointPos <= 0) {
        *out++ = '0';
        *out++ = '.';
        out = std::fill_n(out, -d.pointPos, '0');
        return std::copy_n(digits, count, out);
    }
    const auto point = static_cast<std::size_t>(d.pointPos);
    if (point >= count) {
        out = std::copy_n(digits, count, out);
        return std::fill_n(out, point - count, '0');
    }
    out = std::copy_n(digits, point, out);
    *out++ = '.';
    return std::copy_n(digits + point, count - point, out);
}

// The length of what WritePositional writes for d.
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

namespace {

// The 15 significant digits of a value with a fraction, from 10^-4 up to
// 10^15, worked out in whole-number arithmetic: the value is its 53-bit
// mantissa over a power of two, so times a power of ten it is an exact
// 128-bit number, and its rounding is exact. Read back, the digits are
// q / 10^s, both exact doubles, and one correctly rounded division gives the
// double nearest them, as reading their text does. Nothing is decided here
// for a tie, which the text route rounds as it does.
std::optional<ReadValue> ReadBackFraction(double value) {
    const double magnitude = std::abs(value);
    if (!(magnitude >= 1e-4 && magnitude < 1e15)) {
        return std::nullopt;
    }
    constexpr int kMantissaBits = 52;
    constexpr int kExponentBias = 1075;  // the bias plus the mantissa's bits
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const std::uint64_t mantissa =
        (bits & ((std::uint64_t{1} << kMantissaBits) - 1)) | (std::uint64_t{1} << kMantissaBits);
    const int shift = kExponentBias - static_cast<int>(bits >> kMantissaBits);
    assert(shift > 0);  // a value below 10^15 here is not whole
    // s decimals make 15 digits: 10^14 <= magnitude * 10^s < 10^15. The
    // binary exponent times log10(2) guesses s, or one more than s.
    const int binaryExponent = kMantissaBits - shift;
    int s = 14 - ((binaryExponent * 1233) >> 12);
    [[maybe_unused]] constexpr int kLowest = 14;
    constexpr int kHighest = 15;
    __extension__ typedef unsigned __int128 Wide;
    Wide scaled = static_cast<Wide>(mantissa) * kPowersOfTen[s];
    if ((scaled >> shift) >= kPowersOfTen[kHighest]) {
        --s;
        scaled = static_cast<Wide>(mantissa) * kPowersOfTen[s];
    }
    auto digits = static_cast<std::uint64_t>(scaled >> shift);
    assert(digits >= kPowersOfTen[kLowest] && digits < kPowersOfTen[kHighest]);
    const Wide rest = scaled & ((Wide{1} << shift) - 1);
    const Wide half = Wide{1} << (shift - 1);
    if (rest == half) {
        return std::nullopt;
    }
    if (rest > half) {
        ++digits;  // may reach 10^15: the digits are then 1 and zeros
    }
    const double read = static_cast<double>(digits) / kExactPowersOfTen[s];
    // 15 digits, or 16 when rounding reached 10^15; without the zeros
    // they end with.
    const int count = digits >= kPowersOfTen[kHighest] ? kHighest + 1 : kHighest;
    int trailing = 0;
    for (const int run : {8, 4, 2, 1}) {
        if (digits % kPowersOfTen[run] == 0) {
            digits /= kPowersOfTen[run];
            trailing += run;
        }
    }
    CompactDecimal d;
    d.negative = value < 0;
    d.pointPos = count - s;
    d.count = count - trailing;
    return ReadValue{d.negative ? -read : read, static_cast<std::uint32_t>(PositionalSize(d)),
                     true};
}

}  // namespace

ReadValue ReadBackWrittenOut(double value) {
    if (!std::isfinite(value)) {
        return {0, static_cast<std::uint32_t>(kTooLargeDigits + 1 + (value < 0 ? 1 : 0)), false};
    }
    if (const std::optional<ReadValue> read = ReadBackFraction(value)) {
        return *read;
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

std::size_t WriteNumberText(double value, char* out) {
    char* const begin = out;
    if (!std::isfinite(value)) {
        if (value < 0) {
            *out++ = '-';
        }
        *out++ = '1';
        return static_cast<std::size_t>(std::fill_n(out, kTooLargeDigits, '0') - begin);
    }
    if (value == 0) {
        *out = '0';
        return 1;
    }
    // Whole numbers below 10^15 have at most 15 digits: rounding keeps them.
    if (std::abs(value) < 1e15) {
        const auto whole = static_cast<long long>(value);
        if (static_cast<double>(whole) == value) {
            return static_cast<std::size_t>(std::to_chars(out, out + 24, whole).ptr - begin);
        }
    }
    const char* const end = WritePositional(FifteenDigits(value), out);
    assert(end - begin <= static_cast<std::ptrdiff_t>(kNumberTextCapacity));
    return static_cast<std::size_t>(end - begin);
}

std::string NumberText(double value) {
    std::array<char, kNumberTextCapacity> buffer;
    return std::string(buffer.data(), WriteNumberText(value, buffer.data()));
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
