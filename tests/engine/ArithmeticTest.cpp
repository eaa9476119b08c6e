#include <gtest/gtest.h>

#include "ArithmeticEvaluator.h"
#include "TestSupport.h"

namespace vornel {
namespace {

using test::OutcomeText;

struct Case {
    const char* text;
    const char* expected;  // number text, or "#N" for failure N
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

const std::string kTooLarge = "1" + std::string(400, '0');
const std::string kProductTooLarge = "1" + std::string(308, '0') + "*10";

class Evaluates : public ::testing::TestWithParam<Case> {};

TEST_P(Evaluates, ToTheExpectedValueOrFailure) {
    EXPECT_EQ(OutcomeText([&] { return EvaluateArithmetic(GetParam().text); }),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Precedence, Evaluates,
                         ::testing::Values(Case{"1+2*3", "7"}, Case{"1*2+3", "5"},
                                           Case{"1-2-3", "-4"}, Case{"8/2/2", "2"},
                                           Case{"1+2*3-4", "3"}, Case{"2*3*4-5*6", "-6"},
                                           Case{"10-4/2*3", "4"}, Case{"7", "7"}));

INSTANTIATE_TEST_SUITE_P(Parentheses, Evaluates,
                         ::testing::Values(Case{"(1+2)*3", "9"}, Case{"2*(3+4)", "14"},
                                           Case{"((7))", "7"},
                                           Case{"(2)*(3)-(MAX((4),(5)-100))", "2"},
                                           Case{"2*(3-(4-5))", "8"}));

INSTANTIATE_TEST_SUITE_P(
    Signs, Evaluates,
    ::testing::Values(Case{"-5+3", "-2"}, Case{"(-5)*2", "-10"}, Case{"MAX(1,-2)", "1"},
                      // After "*" a minus is an operator and its arrival applies "*" at once.
                      Case{"2*-3", "#9"},
                      // A lone "-" is read as a number and is not one.
                      Case{"-(5)", "#13"}, Case{"-.5*2", "-1"}));

INSTANTIATE_TEST_SUITE_P(Numbers, Evaluates,
                         ::testing::Values(Case{".5*2", "1"}, Case{"5.*2", "10"},
                                           Case{"1.2.3", "#13"}, Case{".", "#13"},
                                           Case{kTooLarge.c_str(), "#6"}, Case{"0.1+0.2", "0.3"}));

INSTANTIATE_TEST_SUITE_P(
    Functions, Evaluates,
    ::testing::Values(Case{"MAX(3,3)", "3"}, Case{"MIN(2,-5)", "-5"}, Case{"ROUND(2.5,0)", "2"},
                      Case{"ROUND(3.5,0)", "4"}, Case{"ROUND(1.2345,2)", "1.23"},
                      Case{"ROUND(2,-1)", "#5"}, Case{"ROUND(1.26,1.5)", "1.26"},
                      Case{"ROUND(2.675,2)", "2.68"}, Case{"ROUND(1.115,2)", "1.12"},
                      Case{"ROUND(0.125,2)", "0.12"}, Case{"ROUND(1.5,400)", "1.5"},
                      Case{"ROUND(1,3000000000)", "#6"}, Case{"ROUND(9.995,2)", "10"},
                      Case{"EXP(2,10)", "1024"}, Case{"EXP(2,0)", "1"}, Case{"EXP(2,-1)", "1"},
                      Case{"EXP(2,2.5)", "4"}, Case{"EXP(2,3.5)", "16"}, Case{"EXP(-2,3)", "-8"},
                      Case{"EXP(10,400)", "#6"}, Case{"EXP(1,32767)", "#6"},
                      Case{"EXP(1,32766)", "1"}, Case{"EXP(1,40000)", "#6"}, Case{"CEIL(2.1)", "3"},
                      Case{"CEIL(-2.1)", "-2"}, Case{"CEIL(3)", "3"}, Case{"FLOOR(2.9)", "2"},
                      Case{"FLOOR(-2.1)", "-3"}, Case{"CEIL((2)/5)+20*(2)-MIN((5)*10,(1))", "40"},
                      Case{"(1)*(3)-ROUND((5)/12,2)", "2.58"}, Case{"MAX(5)", "#9"},
                      Case{"MAX(1,2,3)", "3"}, Case{"CEIL(1,2)", "2"},
                      // The letters A, B and S start no word and are skipped.
                      Case{"ABS(-4)", "-4"}));

INSTANTIATE_TEST_SUITE_P(Division, Evaluates,
                         ::testing::Values(Case{"1/0", "#11"}, Case{"0/0", "#6"},
                                           Case{"1/3", "0.333333333333333"},
                                           Case{kProductTooLarge.c_str(), "#6"}));

INSTANTIATE_TEST_SUITE_P(
    MalformedText, Evaluates,
    ::testing::Values(Case{"X+5", "5"}, Case{"5+X", "5"},
                      // A word that is no function still goes on the operator stack.
                      Case{"C+1", "#9"}, Case{"1+C", "1"}, Case{"1+CEILING", "1"}, Case{"3+", "3"},
                      Case{"3*", "3"}, Case{"", "#9"}, Case{"1+2)", "#9"}, Case{"1+2,", "#9"},
                      Case{")", "#9"}, Case{"(", "#9"}, Case{"1,2", "0"}, Case{"(1,2)", "2"},
                      Case{"2(3)", "3"}));

TEST(ComparePrecedence, FollowsTheTwoLevels) {
    EXPECT_EQ(ComparePrecedence("+", "-"), 0);
    EXPECT_EQ(ComparePrecedence("-", "*"), -1);
    EXPECT_EQ(ComparePrecedence("+", "("), 1);
    EXPECT_EQ(ComparePrecedence("/", "+"), 1);
    EXPECT_EQ(ComparePrecedence("*", "/"), 0);
    EXPECT_EQ(ComparePrecedence("(", "*"), 1);
    EXPECT_EQ(ComparePrecedence(")", "MAX"), -1);
    EXPECT_EQ(ComparePrecedence(",", "+"), -1);
    EXPECT_EQ(ComparePrecedence("max", "*"), 1);
    EXPECT_EQ(ComparePrecedence("CE", "+"), 2);
    EXPECT_EQ(ComparePrecedence("", "+"), 2);
}

TEST(Operations, RecogniseFunctionsInAnyCase) {
    for (const char* name : {"max", "MIN", "Round", "exp", "CEIL", "floor"}) {
        EXPECT_TRUE(IsFunctionName(name)) << name;
    }
    for (const char* name : {"", "+", "MAXX", "ABS", "E"}) {
        EXPECT_FALSE(IsFunctionName(name)) << name;
    }
    EXPECT_EQ(OperandCount("+"), 2);
    EXPECT_EQ(OperandCount("Round"), 2);
    EXPECT_EQ(OperandCount("floor"), 1);
    EXPECT_EQ(OperandCount("("), 0);
    EXPECT_EQ(ApplyBinary(2, 3, "("), 0);
    EXPECT_EQ(ApplyBinary(2, 3, "ceil"), 0);
    EXPECT_EQ(ApplyUnary(2.5, "max"), 0);
    for (const char c : std::string("mrcfeMRCFE")) {
        EXPECT_TRUE(IsFunctionInitial(c));
    }
    for (const char c : std::string("abdABD1_(")) {
        EXPECT_FALSE(IsFunctionInitial(c));
    }
}

TEST(Operations, RoundJudgesHalfwayOnTheNumberAsWritten) {
    EXPECT_EQ(RoundToPlaces(-2.675, 2), -2.68);
    EXPECT_EQ(RoundToPlaces(-2.5, 0), -2);
    EXPECT_EQ(RoundToPlaces(-0.5, 0), 0);
    EXPECT_EQ(RoundToPlaces(1e20, 2), 1e20);
    EXPECT_EQ(RoundToPlaces(123.456, 0), 123);
    EXPECT_EQ(RoundToPlaces(0.0005, 3), 0);
    EXPECT_EQ(RoundToPlaces(0.0015, 3), 0.002);
    EXPECT_EQ(RoundToPlaces(1e-300, 2), 0);
    // Ties at many places, rounded up by one unit in the last kept place.
    EXPECT_EQ(RoundToPlaces(0.1234567895, 9), 0.12345679);
    EXPECT_EQ(RoundToPlaces(1.235e-16, 18), 1.24e-16);
    EXPECT_EQ(RoundToPlaces(1.235e-18, 20), 1.24e-18);
}

}  // namespace
}  // namespace vornel
