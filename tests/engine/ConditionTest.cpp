#include <gtest/gtest.h>

#include "ConditionArithmetic.h"
#include "ConditionEvaluation.h"
#include "ConditionParser.h"
#include "Grammar.h"
#include "SelectBranch.h"
#include "TestSupport.h"

namespace vornel {
namespace {

using test::Calculate;
using test::OutcomeText;

// A condition's outcome: "TRUE", "FALSE" or "#N", with A..E = 100..500.
std::string Decide(const std::string& condition) {
    Exp engine;
    test::SetStartupVariables(engine);
    try {
        return ParseCondition(condition, engine.Variables()) ? "TRUE" : "FALSE";
    } catch (const EvaluationFailure& failure) {
        return "#" + std::to_string(failure.number);
    }
}

struct ConditionCase {
    const char* condition;
    const char* expected;
};

void PrintTo(const ConditionCase& c, std::ostream* os) {
    *os << '"' << c.condition << '"';
}

class Decides : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(Decides, AsExpected) {
    EXPECT_EQ(Decide(GetParam().condition), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Worked, Decides,
                         ::testing::Values(ConditionCase{" (A>100 & B<200 ) ", "FALSE"},
                                           ConditionCase{" (A<100 | B>=100) ", "TRUE"},
                                           ConditionCase{"(A=100)", "TRUE"},
                                           ConditionCase{"(B+C>=300)", "TRUE"}));

INSTANTIATE_TEST_SUITE_P(
    TruthValues, Decides,
    ::testing::Values(ConditionCase{"   ", "FALSE"}, ConditionCase{"", "FALSE"},
                      ConditionCase{"TRUE", "TRUE"}, ConditionCase{"FALSE | TRUE", "TRUE"},
                      ConditionCase{"TRUE & FALSE", "FALSE"}, ConditionCase{"FALSE|FALSE", "FALSE"},
                      ConditionCase{"TRUE&TRUE", "TRUE"}, ConditionCase{"true", "TRUE"},
                      ConditionCase{"(5)", "FALSE"}, ConditionCase{"A+1", "FALSE"},
                      ConditionCase{"(TRUE)", "TRUE"}, ConditionCase{"TRUE | 1/0>1", "#11"}));

INSTANTIATE_TEST_SUITE_P(
    Signs, Decides,
    ::testing::Values(ConditionCase{"-5<A", "TRUE"}, ConditionCase{"A>(-5)", "TRUE"},
                      // After ">" a minus is an operator whose handle reaches back to ">".
                      ConditionCase{"A>-5", "#13"},
                      // After ")" a minus before a digit is a sign: two operands in a row.
                      ConditionCase{"(B)-5>0", "#9"}, ConditionCase{"(B) - 5>0", "TRUE"},
                      ConditionCase{"B-5=195", "TRUE"}, ConditionCase{"\"\"-5<0", "#9"}));

INSTANTIATE_TEST_SUITE_P(
    QuietlyFalse, Decides,
    ::testing::Values(ConditionCase{"Z>1", "FALSE"}, ConditionCase{"A>1 # ", "FALSE"},
                      ConditionCase{"A!=1", "FALSE"}, ConditionCase{"MAX 1", "FALSE"},
                      ConditionCase{"\"ABC=\"ABC", "FALSE"}, ConditionCase{"\"", "FALSE"},
                      ConditionCase{".5<1", "FALSE"}, ConditionCase{"A,B", "FALSE"},
                      ConditionCase{"\xC3\x89=1", "FALSE"}, ConditionCase{"TRUE | MAX", "#9"}));

INSTANTIATE_TEST_SUITE_P(
    Comparisons, Decides,
    ::testing::Values(ConditionCase{"1<A<3", "#9"}, ConditionCase{"1.5=1.50", "TRUE"},
                      ConditionCase{"(0.1+0.2=0.3)", "TRUE"}, ConditionCase{"7/2=3.5", "TRUE"},
                      ConditionCase{"A<>100", "FALSE"}, ConditionCase{"A<=100", "TRUE"},
                      ConditionCase{"A>=101", "FALSE"}, ConditionCase{"a=100", "TRUE"},
                      ConditionCase{"A=<100", "#9"}, ConditionCase{"\"abc\"=\"ABC\"", "TRUE"},
                      ConditionCase{"\"10\"<\"9\"", "TRUE"}, ConditionCase{"\" X \"=\"X\"", "TRUE"},
                      ConditionCase{"\"AB\"+\"CD\"=\"ABCD\"", "TRUE"},
                      // A comparison takes its type from its left operand.
                      ConditionCase{"A=\"ABC\"", "#13"}, ConditionCase{"A=\"100\"", "TRUE"},
                      ConditionCase{"\"100\"=A", "TRUE"}, ConditionCase{"(1/0>1)", "#11"},
                      ConditionCase{"(0/0>1)", "#6"}, ConditionCase{"TRUE>1", "#9"},
                      ConditionCase{"A+TRUE", "#9"}, ConditionCase{"(A>1)+1>0", "#9"},
                      ConditionCase{"1|TRUE", "#9"}));

INSTANTIATE_TEST_SUITE_P(
    FunctionCalls, Decides,
    ::testing::Values(ConditionCase{"MAX(A,B)>150", "TRUE"}, ConditionCase{"MAX(A,B)=200", "TRUE"},
                      ConditionCase{"ROUND(A/3,5)=33.333", "TRUE"},
                      ConditionCase{"MAX (A,B)=200", "TRUE"}, ConditionCase{"MAX(5)=5", "TRUE"},
                      ConditionCase{"MIN(5)=0", "TRUE"}, ConditionCase{"MAX()>0", "#9"},
                      ConditionCase{"CEIL(40000)>0", "#6"}, ConditionCase{"MAX(1/0,1)>0", "#11"},
                      ConditionCase{"MAX(A,B", "FALSE"}));

struct ArithmeticCase {
    const char* text;
    const char* expected;
};

TEST(ConditionArithmetic, RoundsNumberTokensAndUsesPositionZero) {
    const ArithmeticCase cases[] = {
        {"MAX(2.4,2.1)", "2"},
        {"MAX(2.5,0)", "2"},
        {"MAX(3.5,0)", "4"},
        {"MAX(-2.5,-9)", "-2"},
        {"ROUND(2.567,2)", "3"},
        {"MAX(7/2,0)", "3.5"},
        {"MAX((2.5),(1))", "2"},
        {"FLOOR(7.6)", "8"},
        {"CEIL(32767)", "32767"},
        {"CEIL(40000)", "#6"},
        {"FLOOR(-40000)", "#6"},
        {"FLOOR(-32768)", "-32768"},
        {"CEIL(65535/2)", "#6"},
        {"MAX(3000000000,1)", "#6"},
        {"MAX(2147483647,1)", "2147483647"},
        {"MAX(5)", "5"},
        {"MIN(5)", "0"},
        {"MAX(,5)", "5"},
        {"CEIL()", "0"},
        {"FLOOR()", "0"},
        {"MAX()", "#9"},
        {"MAX(1.2.3,1)", "#13"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OutcomeText([&] { return EvaluateConditionArithmetic(c.text); }), c.expected)
            << c.text;
    }
}

TEST(EvaluateReduction, CombinesTruthValuesNumbersAndTexts) {
    auto reduce = [](const char* left, const char* middle, const char* right, int production) {
        HandleValues values{"", left, middle, right};
        return OutcomeText(
            [&] { return EvaluateReduction(values, production) == "TRUE" ? 1.0 : 0.0; });
    };
    EXPECT_EQ(reduce("TRUE", "|", "FALSE", 1), "1");
    EXPECT_EQ(reduce("false", "|", "FALSE", 1), "0");
    EXPECT_EQ(reduce("TRUE", "&", "true", 3), "1");
    EXPECT_EQ(reduce("TRUE", "&", "FALSE", 3), "0");
    EXPECT_EQ(reduce(" 5", ">", "4 ", 7), "1");
    EXPECT_EQ(reduce("5", ">", "", 7), "#13");
    EXPECT_EQ(reduce("$", ">", "1", 7), "#13");
    EXPECT_EQ(reduce("1E400", ">", "1", 7), "#6");

    const HandleValues join{"", "AB", "+", "CD"};
    EXPECT_EQ(EvaluateReduction(join, 29), "ABCD");
    const HandleValues sum{"", "0.1", "+", "0.2"};
    EXPECT_EQ(EvaluateReduction(sum, 21), "0.3");
    const HandleValues quotient{"", "7", "/", "2"};
    EXPECT_EQ(EvaluateReduction(quotient, 25), "3.5");
    const HandleValues inner{"", "(", " x ", ")"};
    EXPECT_EQ(EvaluateReduction(inner, 31), "X");
    const HandleValues exponent{"", "1E1", "*", "+.5"};
    EXPECT_EQ(EvaluateReduction(exponent, 24), "5");
}

TEST(CompareValues, NumbersExactlyTextsByCollation) {
    EXPECT_TRUE(CompareValues(0.1 + 0.2, 0.3, "<>"));
    EXPECT_TRUE(CompareValues(2.0, 2.0, ">="));
    EXPECT_FALSE(CompareValues(2.0, 2.0, "=>"));
    EXPECT_TRUE(CompareValues("abc", "ABC", "="));
    EXPECT_TRUE(CompareValues("10", "9", "<"));
    EXPECT_TRUE(CompareValues("B", "A", ">"));
}

#ifdef _WIN32
// MinGW's C++ library has no locale but "C": whatever locale the user names,
// texts compare in the classic order (by code point), and nothing is thrown.
TEST(CompareValues, TextsInTheClassicOrderWithoutNamedLocales) {
    EXPECT_TRUE(CompareValues("\u00C4", "B", ">"));
    EXPECT_TRUE(CompareValues("Z", "\u00E4", "<"));
    EXPECT_TRUE(CompareValues("\u00C4", "\u00E4", "="));
}
#endif

TEST(Grammar, FindsProductionsByCategoryAndOperator) {
    using grammar::FindProduction;
    EXPECT_EQ(FindProduction("<", "E"), 8);
    EXPECT_EQ(FindProduction(">=", "D"), 18);
    EXPECT_EQ(FindProduction("<>", "T"), 12);
    EXPECT_EQ(FindProduction(")", "M"), 5);
    EXPECT_EQ(FindProduction(")", "F"), 27);
    EXPECT_EQ(FindProduction(")", "C"), 31);
    EXPECT_EQ(FindProduction("n", ">"), 28);
    EXPECT_EQ(FindProduction("i", "$"), 32);
    EXPECT_EQ(FindProduction("TRUE", "&"), 13);
    EXPECT_EQ(FindProduction("+", "D"), 29);
    EXPECT_EQ(FindProduction("+", "R"), -1);
    EXPECT_EQ(FindProduction("&", "E"), -1);
    EXPECT_EQ(FindProduction("-", "C"), -1);
    EXPECT_EQ(FindProduction("n", "E"), -1);
    EXPECT_FALSE(grammar::IsNonterminal("n"));
    EXPECT_FALSE(grammar::IsNonterminal("TRUE"));
    EXPECT_FALSE(grammar::IsNonterminal("$"));
    EXPECT_TRUE(grammar::IsNonterminal("e"));
    EXPECT_EQ(grammar::Relation(grammar::Symbol::End, grammar::Symbol::End), 0);
    EXPECT_EQ(grammar::Relation(grammar::Symbol::Open, grammar::Symbol::End), 10);
}

TEST(Grammar, TheTableLookupAgreesWithTheTextScan) {
    using grammar::Symbol;
    for (int t = 0; t < grammar::kTerminalCount; ++t) {
        for (int s = 0; s <= static_cast<int>(Symbol::C); ++s) {
            const auto top = static_cast<Symbol>(t);
            const auto left = static_cast<Symbol>(s);
            EXPECT_EQ(grammar::FindProduction(top, left),
                      grammar::FindProduction(grammar::SymbolText(top), grammar::SymbolText(left)))
                << grammar::SymbolText(top) << " over " << grammar::SymbolText(left);
        }
    }
}

// Text that brings each terminal to the top of the parse stack, and text
// that makes it the incoming symbol.
std::string Prefix(grammar::Symbol s) {
    using grammar::Symbol;
    switch (s) {
        case Symbol::Open:
            return "(";
        case Symbol::Close:
            return "(1)";
        case Symbol::Number:
            return "1";
        case Symbol::Text:
            return "\"X\"";
        case Symbol::True:
            return "TRUE";
        case Symbol::False:
            return "FALSE";
        case Symbol::End:
            return "";
        default:
            return "1 " + std::string(grammar::SymbolText(s));
    }
}

std::string Incoming(grammar::Symbol s) {
    using grammar::Symbol;
    switch (s) {
        case Symbol::Number:
            return "1";
        case Symbol::Text:
            return "\"X\"";
        case Symbol::End:
            return "";
        default:
            return std::string(grammar::SymbolText(s));
    }
}

TEST(ParseCondition, EveryPairWithoutARelationFailsWithNine) {
    int pairs = 0;
    for (int a = 0; a < grammar::kTerminalCount; ++a) {
        for (int b = 0; b < grammar::kTerminalCount; ++b) {
            const auto top = static_cast<grammar::Symbol>(a);
            const auto next = static_cast<grammar::Symbol>(b);
            if (grammar::Relation(top, next) != grammar::kNoRelation) {
                continue;
            }
            ++pairs;
            const std::string condition = Prefix(top) + " " + Incoming(next) + " ";
            EXPECT_EQ(Decide(condition), "#9") << condition;
        }
    }
    EXPECT_EQ(pairs, 109);
}

std::string Repeat(const std::string& piece, int times, const std::string& separator) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += (i ? separator : "") + piece;
    }
    return out;
}

TEST(ParseCondition, HoldsAtMost127Tokens) {
    // "1" then 63 times "+1" is 127 tokens; one more "+" makes 128.
    const std::string tokens127 = Repeat("1", 64, "+");
    EXPECT_EQ(Decide(tokens127), "FALSE");
    EXPECT_EQ(Decide(tokens127 + "+"), "#9");
    EXPECT_EQ(Decide(tokens127 + "+1"), "#9");
    EXPECT_EQ(Decide("TRUE" + Repeat("|TRUE", 63, "")), "TRUE");
}

TEST(ParseCondition, ALongConditionOverflows) {
    EXPECT_EQ(Decide(std::string(32768, ' ')), "#6");
    EXPECT_EQ(Decide(std::string(32767, ' ')), "FALSE");
}

TEST(ParseCondition, VariablesMatchInAnyCaseLowestSlotFirst) {
    Exp engine;
    engine.SetVariable(4, "v", 1);
    engine.SetVariable(2, "V", 2);
    EXPECT_TRUE(ParseCondition("V=2", engine.Variables()));
    EXPECT_EQ(GetVariableType("v", engine.Variables()), "Number");
    EXPECT_EQ(GetVariableType("W", engine.Variables()), "Error");
    EXPECT_EQ(GetVariableText(" V ", engine.Variables()), "2");
    EXPECT_EQ(GetVariableText("W", engine.Variables()), "W");
}

struct BlockCase {
    const char* statement;
    const char* expected;
};

TEST(SelectBranch, CutsTheBlockBeforeTestingAnyCondition) {
    const BlockCase cases[] = {
        {"IF (TRUE) THEN 1 ENDIF", "#5"},
        {"IF (TRUE) THEN 1 END IF", "#5"},
        {"IF (TRUE) 1 ELSE 2 ENDIF", "#5"},
        {"IF (FALSE) THEN 1 ELSE 2", "#5"},
        {"IF (FALSE) THEN 1 ELSEIF (TRUE) 2 ELSE 3 ENDIF", "#5"},
        {"IF (FALSE) THEN 1 ELSE 2 ENDIF", "2"},
        {"IF (TRUE) THEN 1 ELSE 2 ENDIF 3", "1"},
        {"IF THEN 1 ELSE 2 ENDIF", "2"},
        {"IF (A=1) THEN 1 ELSEIF (B=200) THEN 2 ELSEIF (C=300) THEN 3 ELSE 4 ENDIF", "2"},
        {"IF Z THEN 1 ELSEIF TRUE THEN 2 ELSE 3 ENDIF", "2"},
        // A failure in a condition stops the block; later conditions are not parsed.
        {"IF 1/0>1 THEN 1 ELSE 2 ENDIF", "#11"},
        {"IF TRUE THEN 1 ELSEIF 1/0>1 THEN 2 ELSE 3 ENDIF", "1"},
        // Keywords inside other words are still keywords.
        {"IF TRUE THEN ELSEWHERE ELSE 2 ENDIF", "#9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Calculate(c.statement), c.expected) << c.statement;
    }
}

TEST(SelectBranch, ReturnsTheTextBetweenTheKeywords) {
    Exp engine;
    EXPECT_EQ(SelectBranch("IF (FALSE) THEN 1 ELSE 2 ENDIF", engine.Variables()), " 2 ");
    EXPECT_EQ(SelectBranch("IF (TRUE) THEN 1 ELSE 2 ENDIF 3", engine.Variables()), " 1 ");
    EXPECT_EQ(SelectBranch("IF TRUE THEN\r\n  X\r\nELSE\r\nY\r\nENDIF", engine.Variables()),
              "\r\n  X\r\n");
}

TEST(SelectBranch, HoldsAtMostSixteenConditions) {
    auto block = [](int conditions) {
        std::string text = "IF FALSE THEN 1";
        for (int k = 2; k <= conditions; ++k) {
            text += " ELSEIF " + std::string(k == conditions ? "TRUE" : "FALSE") + " THEN " +
                    std::to_string(k);
        }
        return text + " ELSE 0 ENDIF";
    };
    EXPECT_EQ(Calculate(block(16)), "16");
    EXPECT_EQ(Calculate(block(17)), "#9");
}

TEST(SelectBranch, KeywordsBeyondThe16BitRangeOverflow) {
    const std::string pad(33000, ' ');
    EXPECT_EQ(Calculate("IF TRUE THEN 1 ELSE 2 ENDIF" + pad + "X"), "1");
    EXPECT_EQ(Calculate("IF TRUE THEN 1 ELSE 2" + pad + "ENDIF"), "#6");
    // Nothing is searched after ENDIF: only its own position must fit, and
    // here it stands at 32,767 and then 32,768.
    EXPECT_EQ(Calculate("IF TRUE THEN 1 ELSE 2" + std::string(32745, ' ') + "ENDIF"), "1");
    EXPECT_EQ(Calculate("IF TRUE THEN 1 ELSE 2" + std::string(32746, ' ') + "ENDIF"), "#6");
    EXPECT_EQ(Calculate("IF" + pad + "TRUE THEN 1 ELSE 2 ENDIF"), "#6");
}

}  // namespace
}  // namespace vornel
