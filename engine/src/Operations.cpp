#include "Operations.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <string>

#include "Failure.h"
#include "Text.h"

namespace vornel {

namespace {

constexpr std::int64_t kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr std::int64_t kInt16Max = std::numeric_limits<std::int16_t>::max();
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

Checked InRange(double result) {
    if (!std::isfinite(result)) {
        return {failure::kOverflow, Cause::ResultTooLarge};
    }
    return result;
}

Checked Divide(double a, double b) {
    if (b == 0) {
        if (a == 0) {
            return {failure::kOverflow, Cause::ZeroByZero};
        }
        return {failure::kDivisionByZero, Cause::DivisionByZero};
    }
    return InRange(a / b);
}

Checked Power(double a, double b) {
    if (b == 0) {
        return 1.0;
    }
    const Checked n = RoundHalfEvenChecked(b, kInt16Min, kInt16Max);
    if (n.Failed()) {
        return n;
    }
    // The multiplication counter is 16-bit: after the 32,767th multiplication
    // it steps past its range.
    if (n.value == kInt16Max) {
        return {failure::kOverflow, Cause::ArgumentOutOfRange};
    }
    double r = 1;
    for (std::int64_t k = 0; k < static_cast<std::int64_t>(n.value); ++k) {
        r *= a;
        if (!std::isfinite(r)) {
            return {failure::kOverflow, Cause::ResultTooLarge};
        }
    }
    return r;
}

Checked Round(double a, double b) {
    const Checked d = RoundHalfEvenChecked(b, kInt32Min, kInt32Max);
    if (d.Failed()) {
        return d;
    }
    if (d.value < 0) {
        return {failure::kInvalidArgument, Cause::NegativePlaces};
    }
    return RoundToPlaces(a, static_cast<int>(d.value));
}

// 10^-d as the double nearest to it: the decimal text "0.0...01" read back.
// The compiler reads the literals of the table exactly that way.
double UnitInPlace(int d) {
    constexpr double kUnits[] = {1,     1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                                 1e-8,  1e-9,  1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15,
                                 1e-16, 1e-17, 1e-18, 1e-19, 1e-20, 1e-21, 1e-22};
    if (d < static_cast<int>(std::size(kUnits))) {
        return kUnits[d];
    }
    const std::string unit = "0." + std::string(static_cast<std::size_t>(d - 1), '0') + "1";
    double step = 0;
    std::from_chars(unit.data(), unit.data() + unit.size(), step);
    return step;
}

}  // namespace

OpKind ClassifyOperator(std::string_view text) {
    if (text.size() == 1) {
        return ClassifySymbol(text[0]);
    }
    // kFunctionNames lists the functions in the order of their kinds.
    for (std::size_t i = 0; i < kFunctionNames.size(); ++i) {
        if (EqualsIgnoringAsciiCase(text, kFunctionNames[i])) {
            return static_cast<OpKind>(static_cast<int>(OpKind::Max) + static_cast<int>(i));
        }
    }
    return OpKind::Other;
}

int OperandCount(OpKind kind) {
    switch (kind) {
        case OpKind::Plus:
        case OpKind::Minus:
        case OpKind::Times:
        case OpKind::Divide:
        case OpKind::Max:
        case OpKind::Min:
        case OpKind::Round:
        case OpKind::Exp:
            return 2;
        case OpKind::Ceil:
        case OpKind::Floor:
            return 1;
        default:
            return 0;
    }
}

Checked ApplyBinary(double a, double b, OpKind op) {
    switch (op) {
        case OpKind::Plus:
            return InRange(a + b);
        case OpKind::Minus:
            return InRange(a - b);
        case OpKind::Times:
            return InRange(a * b);
        case OpKind::Divide:
            return Divide(a, b);
        case OpKind::Max:
            return a >= b ? a : b;
        case OpKind::Min:
            return a < b ? a : b;
        case OpKind::Round:
            return Round(a, b);
        case OpKind::Exp:
            return Power(a, b);
        default:
            return 0.0;
    }
}

double ApplyUnary(double x, OpKind op) {
    const double f = std::floor(x);
    switch (op) {
        case OpKind::Ceil:
            return x == f ? x : f + 1;
        case OpKind::Floor:
            return f;
        default:
            return 0;
    }
}

Checked RoundHalfEvenChecked(double x, std::int64_t low, std::int64_t high, Cause cause) {
    // nearbyint rounds halves to even in the default rounding mode.
    const double r = std::nearbyint(x);
    if (!(r >= static_cast<double>(low) && r <= static_cast<double>(high))) {
        return {failure::kOverflow, cause};
    }
    return r + 0.0;
}

namespace {

// Most roundings are decided far from a tie and from the last kept place:
// there the decimal kept, or the one above it, is the whole number n of
// units, and n / 10^d (both exact, so the quotient is correctly rounded) is
// the double the text route below reads back. With |a| * 10^d below 2^31 its
// binary error stays under 2^-21 units, well inside the margin. Nothing is
// decided here near a tie, near a whole unit, or for many places.
std::optional<double> RoundFarFromTies(double a, int d) {
    constexpr double kPowers[] = {1,   1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (d < 0 || d >= static_cast<int>(std::size(kPowers))) {
        return std::nullopt;
    }
    const double scale = kPowers[d];
    const double units = std::abs(a) * scale;
    if (!(units < 2147483648.0)) {
        return std::nullopt;
    }
    const double whole = std::floor(units);
    const double fraction = units - whole;
    constexpr double kMargin = 1e-6;
    if (fraction < kMargin || fraction > 1 - kMargin || std::abs(fraction - 0.5) < kMargin) {
        return std::nullopt;
    }
    return std::copysign((fraction < 0.5 ? whole : whole + 1) / scale, a);
}

}  // namespace

double RoundToPlaces(double a, int d) {
    if (const std::optional<double> rounded = RoundFarFromTies(a, d)) {
        return *rounded;
    }
    // The shortest round-trip decimal is the number as the user wrote it, so
    // 2.675 is a true tie at two places, although its double lies below it.
    // Fixed notation of a double's shortest text needs at most 309 digits
    // before the point and 324 after it, and the digit count reaching here is
    // below the shortest text's decimals: this holds either with room to spare.
    constexpr std::size_t kFixedTextSize = 1100;
    char buffer[kFixedTextSize];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, a, std::chars_format::fixed);
    std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const auto point = text.find('.');
    if (point == std::string_view::npos || text.size() - point - 1 <= static_cast<std::size_t>(d)) {
        return a;  // nothing beyond the kept places
    }
    const std::size_t cut = point + 1 + static_cast<std::size_t>(d);
    const char next = text[cut];
    const bool beyondHalf = next > '5' || (next == '5' && text.find_first_not_of('0', cut + 1) !=
                                                              std::string_view::npos);
    text = text.substr(0, d == 0 ? point : cut);
    const char lastKept = text.back();
    const bool up = beyondHalf || (next == '5' && !beyondHalf && (lastKept - '0') % 2 == 1);
    double kept = 0;
    std::from_chars(text.data(), text.data() + text.size(), kept);
    if (!up) {
        return kept;
    }
    // Adding one unit in the last kept place; then round the sum back through
    // decimal text with d places, so that no binary error creeps in.
    const double sum = std::abs(kept) + UnitInPlace(d);
    const auto summed =
        std::to_chars(buffer, buffer + sizeof buffer, sum, std::chars_format::fixed, d);
    double magnitude{};
    std::from_chars(buffer, summed.ptr, magnitude);
    return a < 0 ? -magnitude : magnitude;
}

}  // namespace vornel

namespace vornel {

namespace {

// The power of ten of a decimal text's leading digit, for telling an overflow
// from an underflow when a number does not fit a double. Saturates.
long long DecimalMagnitude(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    long long magnitude = 0;
    bool seenDigit = false;
    bool afterPoint = false;
    for (; i < text.size() && (IsNumberChar(text[i])); ++i) {
        if (text[i] == '.') {
            afterPoint = true;
        } else if (!seenDigit && text[i] == '0') {
            magnitude -= afterPoint ? 1 : 0;
        } else {
            seenDigit = true;
            magnitude += afterPoint ? 0 : 1;
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negative = i < text.size() && text[i] == '-';
        i += (i < text.size() && (text[i] == '-' || text[i] == '+')) ? 1 : 0;
        long long exponent = 0;
        for (; i < text.size() && IsAsciiDigit(text[i]) && exponent < 1'000'000'000; ++i) {
            exponent = exponent * 10 + (text[i] - '0');
        }
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude;
}

Checked ReadNumber(std::string_view text, std::chars_format format) {
    double value = 0;
    const char* const end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, format);
    if (result.ec == std::errc::invalid_argument || result.ptr != end) {
        return {failure::kTypeMismatch, Cause::MalformedNumber};
    }
    if (result.ec == std::errc::result_out_of_range) {
        if (DecimalMagnitude(text) > 0) {
            return {failure::kOverflow, Cause::NumberTooLarge};
        }
        return 0.0;
    }
    return value;
}

// Most number tokens are short: an optional "-", digits, at most one point.
std::optional<double> ReadShortNumber(std::string_view token) {
    constexpr std::size_t kMaxDigits = 18;  // below 10^18, so no overflow
    const bool negative = !token.empty() && token[0] == '-';
    std::uint64_t mantissa = 0;
    std::size_t digits = 0;
    std::size_t decimals = 0;
    bool point = false;
    for (std::size_t i = negative ? 1 : 0; i < token.size(); ++i) {
        const char c = token[i];
        if (c == '.' && !point) {
            point = true;
        } else if (IsAsciiDigit(c) && digits < kMaxDigits) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            ++digits;
            decimals += point ? 1 : 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    const auto magnitude = ExactDecimal(mantissa, decimals);
    if (!magnitude) {
        return std::nullopt;
    }
    return negative ? -*magnitude : *magnitude;
}

}  // namespace

Checked ReadNumberToken(std::string_view token) {
    if (const auto value = ReadShortNumber(token)) {
        return *value;
    }
    return ReadNumber(token, std::chars_format::fixed);
}

Checked ReadConditionNumber(std::string_view text) {
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text[0] == '-') {
            return {failure::kTypeMismatch, Cause::NotANumber};
        }
    }
    // Only digits and "." may start the number itself: "INF" and "NAN" are
    // not numbers here.
    const std::size_t first = (!text.empty() && text[0] == '-') ? 1 : 0;
    if (first >= text.size() || !IsNumberChar(text[first])) {
        return {failure::kTypeMismatch, Cause::NotANumber};
    }
    if (const auto value = ReadShortNumber(text)) {
        return *value;  // without an exponent it reads as a number token does
    }
    return ReadNumber(text, std::chars_format::general);
}

}  // namespace vornel
