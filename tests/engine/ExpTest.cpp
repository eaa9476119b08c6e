#include <gtest/gtest.h>

#include "ExampleExpressions.h"
#include "Normalizer.h"
#include "TestSupport.h"

namespace vornel {
namespace {

using test::Calculate;
using test::RecordingSink;

TEST(Exp, EvaluatesTheExampleExpressions) {
    const char* const expected[] = {"3940", "-149999.333", "20019.1666666667", "3548.417"};
    for (std::size_t row = 0; row < kExampleExpressions.size(); ++row) {
        EXPECT_EQ(Calculate(std::string(kExampleExpressions[row])), expected[row]) << row;
    }
}

TEST(Exp, SetVariableStoresWithinTheTable) {
    RecordingSink sink;
    Exp engine(sink);
    EXPECT_EQ(engine.MaxFactor(), 32);
    EXPECT_EQ(engine.SetVariable(32, "LAST", 1), 1);
    EXPECT_TRUE(sink.messages.empty());

    EXPECT_EQ(engine.SetVariable(33, "OVER", 1), 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].prompt, "Max number is32");
    EXPECT_EQ(sink.messages[0].title, "");
    EXPECT_EQ(sink.messages[0].icon, MessageIcon::None);

    EXPECT_EQ(engine.SetVariable(-1, "NEG", 1), 0);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[1].title, "Error Number-9");
    EXPECT_EQ(sink.messages[1].icon, MessageIcon::Critical);

    for (const auto& slot : engine.Variables()) {
        EXPECT_TRUE(slot.name == "" || slot.name == "LAST") << slot.name;
    }
}

TEST(Exp, StoringIntoAUsedSlotReplacesNameAndValue) {
    RecordingSink sink;
    Exp engine(sink);
    engine.SetVariable(0, "A", 1);
    engine.SetVariable(0, "B", 2);
    EXPECT_EQ(engine.CalculateResult("B"), 2);
    EXPECT_EQ(engine.CalculateResult("A+10"), 10);  // A is no longer a variable and is skipped
}

TEST(Exp, TheLowerOfTwoSlotsWithOneNameWins) {
    RecordingSink sink;
    Exp engine(sink);
    engine.SetVariable(3, "x", 30);
    engine.SetVariable(1, "X", 10);
    EXPECT_EQ(engine.CalculateResult("x*2"), 20);
}

TEST(Exp, FailuresAreShownAndGiveZero) {
    RecordingSink sink;
    Exp engine(sink);
    EXPECT_EQ(engine.CalculateResult("1/0"), 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].prompt, "Invalid Expression!");
    EXPECT_EQ(sink.messages[0].title, "Error Number-11");
    EXPECT_EQ(sink.messages[0].icon, MessageIcon::Exclamation);
    // The same object evaluates normally afterwards.
    EXPECT_EQ(engine.CalculateResult("2+2"), 4);
    EXPECT_EQ(sink.messages.size(), 1u);
}

TEST(Exp, LeavesTheCallersTextAlone) {
    RecordingSink sink;
    Exp engine(sink);
    const std::string text = "  if (true) then 1 else 2 endif  ";
    const std::string copy = text;
    EXPECT_EQ(engine.CalculateResult(text), 1);
    EXPECT_EQ(text, copy);
}

struct PipelineCase {
    const char* text;
    const char* expected;
};

TEST(Exp, TrimsSpacesOnlyAndRecognisesIfAtTheStart) {
    const PipelineCase cases[] = {
        {"7", "7"},
        {"   ", "#9"},
        {"", "#9"},
        {"  iF (a=100) THEN 1 ELSE 2 ENDIF", "1"},
        // A line break before If is not trimmed, so the text is arithmetic.
        {"\r\nIF (A=100) THEN 1 ELSE 2 ENDIF", "0"},
        // Any text whose first letters are I and F goes to the If stage.
        {"IFX+1", "#5"},
        {"if (a=100) then a elseif (b=1) then b else c endif", "100"},
        {"a + b", "300"},
        {"\t1\t+\t2\t", "3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Calculate(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(Exp, UpperCasesLettersBeyondAToZ) {
    RecordingSink sink;
    Exp engine(sink);
    // "é" upper-cased is "É", which is no name character and is skipped.
    EXPECT_EQ(engine.CalculateResult("2+\xC3\xA9"
                                     "3"),
              5);
    EXPECT_TRUE(sink.messages.empty());
}

struct NormalizeCase {
    const char* text;
    const char* expected;
};

TEST(NormalizeExpression, ReplacesVariablesAndDropsWhiteSpace) {
    RecordingSink sink;
    Exp engine(sink);
    engine.SetVariable(0, "A", 1);
    engine.SetVariable(1, "B", 2);
    engine.SetVariable(2, "C", -3);
    engine.SetVariable(3, "A_1", 0.5);
    const NormalizeCase cases[] = {
        {"A + B", "(1)+(2)"},
        {"a*b", "(1)*(2)"},
        {"C*2", "(-3)*2"},
        {"1 000", "1000"},
        {"AB", "AB"},
        {"2A", "2(1)"},
        {"MAX(A, B)", "MAX((1),(2))"},
        {"A_1+_X+X9", "(0.5)+_X+X9"},
        {"9X", "9X"},
        {"A\tB", "(1)(2)"},
        {"A\r\nB", "(1)(2)"},
        {"", ""},
        {"Q", "Q"},
        {"A%B", "(1)%(2)"},
        {"\xC3\x89"
         "A",
         "\xC3\x89(1)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormalizeExpression(c.text, engine.Variables()), c.expected) << c.text;
    }
}

TEST(NormalizeExpression, AVariableNamedLikeAFunctionReplacesIt) {
    RecordingSink sink;
    Exp engine(sink);
    engine.SetVariable(0, "MAX", 7);
    EXPECT_EQ(NormalizeExpression("MAX(1,2)", engine.Variables()), "(7)(1,2)");
}

TEST(NormalizeExpression, LargeAndSmallValuesStayOneNumber) {
    RecordingSink sink;
    Exp engine(sink);
    engine.SetVariable(0, "BIG", 1e20);
    engine.SetVariable(1, "TINY", 1.5e-20);
    EXPECT_EQ(engine.CalculateResult("BIG/1000"), 1e17);
    EXPECT_DOUBLE_EQ(engine.CalculateResult("TINY*1000000000000000000000"), 15);
}

}  // namespace
}  // namespace vornel
