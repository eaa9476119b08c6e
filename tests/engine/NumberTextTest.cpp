#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include <vornel/Exp.h>

#include "Failure.h"
#include "NumberText.h"
#include "Operations.h"

namespace vornel {
namespace {

struct TextCase {
    double value;
    const char* expected;
};

TEST(NumberText, RoundsToFifteenDigitsAndNeverUsesAnExponent) {
    const TextCase cases[] = {
        {2, "2"},
        {0.5, "0.5"},
        {-3, "-3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {0.1 + 0.2, "0.3"},
        {1e20, "100000000000000000000"},
        {1.5e-20, "0.000000000000000000015"},
        {-0.0, "0"},
        {123456789012345678.0, "123456789012346000"},
        {1e15, "1000000000000000"},
        {100.25, "100.25"},
        {-149999.333, "-149999.333"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberText(c.value), c.expected) << c.value;
    }
}

TEST(NumberText, ReadsBackAsOneNumber) {
    for (const double v : {1e300, -1e-300, 4.9e-324, 1e308, 0.1, 123.456}) {
        const std::string text = NumberText(v);
        EXPECT_EQ(text.find_first_not_of("-0123456789."), std::string::npos) << text;
        EXPECT_NEAR(ReadNumberToken(text).value, v, std::abs(v) * 1e-14) << text;
    }
}

// A stored value is read as its text read back, worked out once when it is
// stored: it must be exactly what writing the text and reading it gives, for
// every kind of double (subnormal ones have fewer digits than their rounding).
// A number of up to 18 digits is read to the nearest double: as the number
// token it is, in a condition, and as a formula's own number. Past 2^53 its
// digits are no longer an exact double, and dividing them would round twice.
TEST(ReadNumberToken, ReadsDigitsToTheNearestDouble) {
    for (const char* text : {"1476583.5251640839", "991122.7884754297", "1087379312536.0823",
                             "9007199254740993", "0.1", "123456789012345.67"}) {
        double nearest = 0;
        const std::string_view digits(text);
        std::from_chars(digits.data(), digits.data() + digits.size(), nearest);
        EXPECT_EQ(ReadNumberToken(text).value, nearest) << text;
        EXPECT_EQ(ReadConditionNumber(text).value, nearest) << text;
        EXPECT_EQ(Exp().Evaluate(text).value, nearest) << text;
    }
}

TEST(ReadBack, IsTheNumberTextReadBack) {
    std::mt19937_64 random(7);
    std::vector<double> values = {1.7976931348623157e308,
                                  4.9e-324,
                                  -0.0,
                                  1e15,
                                  999999999999999.875,  // 15 digits round up to 16
                                  0.1 + 0.2,
                                  0.1234567,  // fifteen digits that end in eight zeros
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN(),
                                  1.0,
                                  -1.0,
                                  3.0,
                                  0.5,
                                  562949953421313.0,  // 2^49 + 1
                                  -999999999999999.0};
    for (int k = 0; k < 20000; ++k) {
        const std::uint64_t bits = random();
        values.push_back(std::bit_cast<double>(bits));
        values.push_back(
            std::ldexp(static_cast<double>(bits >> 11), static_cast<int>(bits % 2200) - 1100));
        values.push_back(static_cast<double>(bits % 100000) / 100);
    }
    for (const double v : values) {
        // A whole value below 10^15 is read as itself, told on its bits.
        double whole = 1;
        const bool isWhole = std::abs(v) < 1e15 && std::trunc(v) == v;
        EXPECT_EQ(VariableTable::ReadsBackWhole(v, whole), isWhole) << v;
        if (isWhole) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(whole), std::bit_cast<std::uint64_t>(v + 0.0))
                << v;
        }
        const std::string text = NumberText(v);
        const ReadValue read = ReadBack(v);
        EXPECT_EQ(read.textSize, text.size()) << v;
        if (const Checked back = ReadNumberToken(text); !back.Failed()) {
            EXPECT_TRUE(read.readable) << v;
            EXPECT_EQ(std::bit_cast<std::uint64_t>(read.value),
                      std::bit_cast<std::uint64_t>(back.value + 0.0))
                << v;
        } else {
            EXPECT_EQ(back.number, 6) << v;
            EXPECT_FALSE(read.readable) << v;
        }
    }
}

TEST(FormatDisplay, GroupsAndShowsFifteenDecimalsOfFifteenDigits) {
    const TextCase cases[] = {
        {1234.5, "1,234.500000000000000"},
        {0, "0.000000000000000"},
        {-0.25, "-0.250000000000000"},
        {1234.5678, "1,234.567800000000000"},
        {1.0 / 3, "0.333333333333333"},
        {1e20, "100,000,000,000,000,000,000.000000000000000"},
        {300, "300.000000000000000"},
        {-149999.333, "-149,999.333000000000000"},
        {20019.166666666666, "20,019.166666666700000"},
        {999999.9999999999999, "1,000,000.000000000000000"},
        {-1e-17, "0.000000000000000"},
        {-0.0, "0.000000000000000"},
        {6e-16, "0.000000000000001"},
        {1.5e-15, "0.000000000000001"},  // the double lies below the tie
        {1.23456789012345e-5, "0.000012345678901"},
        {123, "123.000000000000000"},
        {1234567, "1,234,567.000000000000000"},
        // No outcome is beyond a double; were it, it would show as 0.
        {std::numeric_limits<double>::infinity(), "0.000000000000000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDisplay(c.value), c.expected) << c.value;
    }
}

TEST(FormatDisplay, UsesTheGivenSeparators) {
    EXPECT_EQ(FormatDisplay(1234567.5, ".", ","), "1.234.567,500000000000000");
    EXPECT_EQ(FormatDisplay(-1234.5, "\u202f", ","), "-1\u202f234,500000000000000");
}

TEST(FormatCallValue, AtLeastTwoIntegerDigitsAndThreeDecimals) {
    const TextCase cases[] = {
        {200, "200.000"},
        {5, "05.000"},
        {-5, "-05.000"},
        {0, "00.000"},
        {33.3333333, "33.333"},
        {2.0005, "02.001"},
        {-2.0005, "-02.001"},
        {0.0004, "00.000"},
        {-0.0004, "00.000"},
        {99.9996, "100.000"},
        {1e20, "100000000000000000000.000"},
        {1.0 / 3, "00.333"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatCallValue(c.value), c.expected) << c.value;
    }
}

}  // namespace
}  // namespace vornel
