#include <gtest/gtest.h>

#include <string>

#include "MuparserOneShot.h"
#include "Workloads.h"

namespace vornel::bench {
namespace {

// The muparser side only compares when its functions follow the calculator's
// rules, halves to even above all.
struct FunctionCase {
    const char* expression;
    double expected;
};

TEST(MuparserOneShot, FunctionsFollowTheCalculatorsRules) {
    const FunctionCase cases[] = {
        {"Round(2.5,0)", 2},
        {"Round(3.5,0)", 4},
        {"Round(1.2345,2)", 1.23},
        {"Round(-2.5,0)", -2},
        {"Round(1.26,1.5)", 1.26},
        {"Exp(2,10)", 1024},
        {"Exp(2,0)", 1},
        {"Exp(2,-1)", 1},
        {"Exp(2,2.5)", 4},
        {"Exp(2,3.5)", 16},
        {"Exp(-2,3)", -8},
        {"Max(3,3)", 3},
        {"Min(2,-5)", -5},
        {"Ceil(2.1)", 3},
        {"Ceil(-2.1)", -2},
        {"Floor(-2.1)", -3},
        {"A+B+C+D+E", 1500},
        {"(B+C>=300) ? 1 : 2", 1},
        {"(A<100 || B>=100) ? 1 : 2", 1},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(MuparserOneShot(c.expression), c.expected) << c.expression;
    }
}

TEST(Workloads, LongTextsStayWithinTheirLengthAndRepeatWholeUnits) {
    struct LengthCase {
        const char* unit;
        std::size_t maxLength;
        char separator;
        std::size_t expectedLength;
    };
    const LengthCase cases[] = {
        {"1", 1, '+', 1},         {"1", 2, '+', 1},       {"1", 3, '+', 3},
        {"1", 32765, '+', 32765}, {"1=1", 127, '&', 127}, {"abc", 2, '+', 3},
    };
    for (const auto& c : cases) {
        const std::string text = RepeatJoined(c.unit, c.maxLength, c.separator);
        EXPECT_EQ(text.size(), c.expectedLength) << c.unit << " " << c.maxLength;
        EXPECT_EQ(text.find(std::string(1, c.separator) + c.separator), std::string::npos);
    }
}

// The table compares every workload that muparser can take.
TEST(Workloads, EveryTextWithinMuparsersLimitHasItsCounterpart) {
    for (const auto& w : AllWorkloads()) {
        EXPECT_LE(w.muparser.size(), kMuparserMaxLength) << w.name;
        EXPECT_EQ(w.muparser.empty(), w.vornel.size() > kMuparserMaxLength) << w.name;
    }
}

}  // namespace
}  // namespace vornel::bench
