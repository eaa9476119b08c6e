#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>

#include "FuzzCase.h"

namespace vornel::fuzz {
namespace {

std::string Bytes(std::initializer_list<int> bytes) {
    std::string out;
    for (const int b : bytes) {
        out += static_cast<char>(b);
    }
    return out;
}

FuzzCase Decode(const std::string& bytes) {
    return DecodeFuzzInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// The header the seed corpus uses: five variables, slots 0 to 4, named A to E,
// value bytes 1 to 5 (100 to 500).
const std::string kStartupHeader = Bytes({5, 1, 1,   'A', 1, 2, 1,   'B', 2, 3, 1, 'C', 3,  //
                                          4, 1, 'D', 4,   5, 1, 'E', 5});

TEST(DecodeFuzzInput, ReadsTheSeedHeader) {
    const FuzzCase decoded = Decode(kStartupHeader + "A*B");
    ASSERT_EQ(decoded.variables.size(), 5u);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(decoded.variables[k].index, k);
        EXPECT_EQ(decoded.variables[k].name, std::string(1, static_cast<char>('A' + k)));
        EXPECT_EQ(decoded.variables[k].value, 100.0 * (k + 1));
    }
    EXPECT_EQ(decoded.expression, "A*B");
}

TEST(DecodeFuzzInput, TakesEveryFieldWhileBytesRemain) {
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t variables;
        int firstIndex;
        std::string firstName;
        std::string expression;
    };
    const Case cases[] = {
        {"nothing at all", "", 0, 0, "", ""},
        {"count 6 wraps to 0", Bytes({6}) + "7", 0, 0, "", "7"},
        {"index byte 0 is -1", Bytes({1, 0, 2, 'X', 'Y', 0}) + "1", 1, -1, "XY", "1"},
        {"index byte 35 is 34", Bytes({1, 35, 0, 0}), 1, 34, "", ""},
        {"cut short inside a variable", Bytes({3, 1}), 1, 0, "", ""},
        {"name longer than what is left", Bytes({1, 1, 7}) + "AB", 1, 0, "AB", ""},
        {"name length 9 wraps to 1", Bytes({1, 1, 9}) + "AB", 1, 0, "A", ""},
    };
    for (const auto& c : cases) {
        const FuzzCase decoded = Decode(c.bytes);
        ASSERT_EQ(decoded.variables.size(), c.variables) << c.what;
        if (c.variables > 0) {
            EXPECT_EQ(decoded.variables[0].index, c.firstIndex) << c.what;
            EXPECT_EQ(decoded.variables[0].name, c.firstName) << c.what;
        }
        EXPECT_EQ(decoded.expression, c.expression) << c.what;
    }
}

TEST(DecodeFuzzInput, RawValuesKeepTheirBits) {
    const std::string nan =
        Bytes({1, 1, 1, 'A', 0xF0, 0x01, 0, 0, 0, 0, 0, 0xF8, 0x7F}) + "A";  // a quiet NaN
    const FuzzCase decoded = Decode(nan);
    ASSERT_EQ(decoded.variables.size(), 1u);
    EXPECT_TRUE(std::isnan(decoded.variables[0].value));
    EXPECT_EQ(decoded.expression, "A");
}

// Outcomes through the engine, with its contract checked on the way.
TEST(RunFuzzCase, GivesTheEnginesOutcome) {
    struct Case {
        const char* what;
        std::string bytes;
        std::string outcome;
    };
    const Case cases[] = {
        {"empty", "", "#9"},
        {"short sum", kStartupHeader + "1+2*3", "7"},
        {"example 3", kStartupHeader + "A*B+B/C-D+Max(E,300)/B+Ceil(5000/A*3.2)+Exp(2,8)",
         "20019.1666666667"},
        {"If block", kStartupHeader + "If (B+C>=300) Then A*100 Else 1 EndIf", "10000"},
        {"division by zero", kStartupHeader + "1/0", "#11"},
        {"slot -1 refused", Bytes({1, 0, 1, 'A', 1}) + "A+1", "1"},
        {"slot 33 refused", Bytes({1, 34, 1, 'A', 1}) + "A+1", "1"},
        {"a NaN value reads as overflow", Bytes({1, 1, 1, 'A', 24}) + "A", "#6"},
        {"value bytes wrap round the table", Bytes({1, 1, 1, 'A', 27}) + "A", "100"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunFuzzCase(Decode(c.bytes)), c.outcome) << c.what;
        EXPECT_EQ(RunCompiledFuzzCase(Decode(c.bytes)), c.outcome) << c.what << ", compiled";
    }
}

}  // namespace
}  // namespace vornel::fuzz
