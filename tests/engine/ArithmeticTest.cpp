#include <gtest/gtest.h>

#include "TestSupport.h"

namespace vornel::test {
namespace {

// The value's number text, or "#N" for failure N; no variables stored.
std::string Arithmetic(const std::string& text) {
    return Calculate(text, false);
}

TEST(Arithmetic, PrecedenceAndParentheses) {
    ExpectRows({Row{"1+2*3", "7"}, Row{"1*2+3", "5"}, Row{"1-2-3", "-4"}, Row{"8/2/2", "2"},
                Row{"1+2*3-4", "3"}, Row{"2*3*4-5*6", "-6"}, Row{"10-4/2*3", "4"}, Row{"7", "7"},
                Row{"(1+2)*3", "9"}, Row{"2*(3+4)", "14"}, Row{"((7))", "7"},
                Row{"(2)*(3)-(MAX((4),(5)-100))", "2"}, Row{"2*(3-(4-5))", "8"}, Row{"6/3*2", "4"},
                Row{"2*6/3", "4"}, Row{"1-2+3", "2"}},
               Arithmetic);
}

TEST(Arithmetic, SignsAndNumbers) {
    ExpectRows({Row{"-5+3", "-2"}, Row{"(-5)*2", "-10"}, Row{"MAX(1,-2)", "1"},
                // After "*" a minus is an operator and its arrival applies "*" at once.
                Row{"2*-3", "#9"},
                // A lone "-" is read as a number and is not one.
                Row{"-(5)", "#13"}, Row{"-.5*2", "-1"}, Row{".5*2", "1"}, Row{"5.*2", "10"},
                Row{"1.2.3", "#13"}, Row{".", "#13"}, Row{"1" + std::string(400, '0'), "#6"},
                Row{"0." + std::string(400, '0') + "1+1", "1"}, Row{"0.1+0.2", "0.3"},
                Row{"1/0", "#11"}, Row{"0/0", "#6"}, Row{"1/3", "0.333333333333333"},
                Row{"1" + std::string(308, '0') + "*10", "#6"},
                Row{"1" + std::string(308, '0') + "/0.1", "#6"}, Row{"0/5", "0"}},
               Arithmetic);
}

TEST(Arithmetic, Functions) {
    ExpectRows(
        {Row{"MAX(3,3)", "3"}, Row{"MIN(2,-5)", "-5"}, Row{"EXP(2,10)", "1024"},
         Row{"EXP(2,0)", "1"}, Row{"EXP(2,-1)", "1"}, Row{"EXP(2,2.5)", "4"},
         Row{"EXP(2,3.5)", "16"}, Row{"EXP(-2,3)", "-8"}, Row{"EXP(10,400)", "#6"},
         Row{"EXP(1,32767)", "#6"}, Row{"EXP(1,32766)", "1"}, Row{"EXP(1,40000)", "#6"},
         Row{"CEIL(2.1)", "3"}, Row{"CEIL(-2.1)", "-2"}, Row{"CEIL(3)", "3"},
         Row{"FLOOR(2.9)", "2"}, Row{"FLOOR(-2.1)", "-3"},
         Row{"CEIL((2)/5)+20*(2)-MIN((5)*10,(1))", "40"}, Row{"(1)*(3)-ROUND((5)/12,2)", "2.58"},
         Row{"MAX(5)", "#9"}, Row{"MAX(1,2,3)", "3"}, Row{"CEIL(1,2)", "2"},
         // A "," applies the pending operators of its argument first.
         Row{"MAX(2+3*4,5)", "14"}, Row{"MIN(1,8-3*2,5)", "2"},
         Row{"max(2,4)-min(2,4)+round(1.5,0)+exp(2,1)+ceil(0.5)+floor(1.5)", "8"},
         // The letters A, B and S start no word and are skipped.
         Row{"ABS(-4)", "-4"}},
        Arithmetic);
}

// Halfway is judged on the number as written, not on its nearest double.
TEST(Arithmetic, Round) {
    ExpectRows(
        {Row{"ROUND(2.5,0)", "2"}, Row{"ROUND(3.5,0)", "4"}, Row{"ROUND(1.2345,2)", "1.23"},
         Row{"ROUND(2,-1)", "#5"}, Row{"ROUND(1.26,1.5)", "1.26"}, Row{"ROUND(2.675,2)", "2.68"},
         Row{"ROUND(1.115,2)", "1.12"}, Row{"ROUND(0.125,2)", "0.12"},
         Row{"ROUND(0.1251,2)", "0.13"}, Row{"ROUND(1.5,400)", "1.5"},
         Row{"ROUND(1,3000000000)", "#6"}, Row{"ROUND(9.995,2)", "10"},
         Row{"ROUND(-2.675,2)", "-2.68"}, Row{"ROUND(-2.5,0)", "-2"}, Row{"ROUND(-0.5,0)", "0"},
         Row{"ROUND(100000000000000000000,2)", "100000000000000000000"},
         Row{"ROUND(123.456,0)", "123"}, Row{"ROUND(0.0005,3)", "0"},
         Row{"ROUND(0.0015,3)", "0.002"},
         // 2147483643.5 is worked out as 2147483643.4999998: still a tie.
         Row{"ROUND(21474836.435,2)", "21474836.44"},
         Row{"ROUND(0." + std::string(299, '0') + "1,2)", "0"},
         // Ties at many places, rounded up by one unit in the last kept place.
         Row{"ROUND(0.1234567895,9)", "0.12345679"}, Row{"ROUND(0.12345678915,10)", "0.1234567892"},
         Row{"ROUND(0.000000000000015,14)", "0.00000000000002"}, Row{"ROUND(0.35,1)", "0.4"},
         Row{"ROUND(0.0000000000000001235,18)", "0.000000000000000124"},
         Row{"ROUND(0.000000000000000001235,20)", "0.00000000000000000124"},
         // Beyond 22 places the unit of the last kept place is read from its
         // decimal text.
         Row{"ROUND(0.0000000000000000000001235,24)", "0.000000000000000000000124"}},
        Arithmetic);
    // A tie at every number of places up to the table's end and past it.
    for (int places = 1; places <= 24; ++places) {
        const std::string zeros(static_cast<std::size_t>(places - 1), '0');
        EXPECT_EQ(Arithmetic("ROUND(0." + zeros + "15," + std::to_string(places) + ")"),
                  "0." + zeros + "2")
            << places;
    }
}

TEST(Arithmetic, MalformedText) {
    ExpectRows({Row{"X+5", "5"}, Row{"5+X", "5"},
                // A word that is no function still goes on the operator stack.
                Row{"C+1", "#9"}, Row{"1+C", "1"}, Row{"1+CEILING", "1"}, Row{"3+", "3"},
                Row{"3*", "3"}, Row{"", "#9"}, Row{"1+2)", "#9"}, Row{"1+2,", "#9"}, Row{")", "#9"},
                Row{"(", "#9"}, Row{"1,2", "0"}, Row{"(1,2)", "2"}, Row{"2(3)", "3"},
                // A number ends at the first character that is no digit.
                Row{"12:+1", "13"}},
               Arithmetic);
}

}  // namespace
}  // namespace vornel::test
