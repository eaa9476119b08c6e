#include <gtest/gtest.h>

#include "ExampleExpressions.h"
#include "Normalizer.h"
#include "TestSupport.h"
#include "Text.h"

namespace vornel {
namespace {

using test::Calculate;
using test::ExpectRows;
using test::RecordingSink;
using test::Row;

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

// A name matches in any case; the lower of two slots with one name wins.
TEST(Exp, StoringIntoAUsedSlotReplacesNameAndValue) {
    Exp engine;
    engine.SetVariable(0, "A", 1);
    engine.SetVariable(0, "B", 2);
    engine.SetVariable(3, "x", 30);
    engine.SetVariable(1, "X", 10);
    engine.SetVariable(4, "az", 5);
    engine.SetVariable(5, "ZZ", 7);
    EXPECT_EQ(engine.CalculateResult("B"), 2);
    EXPECT_EQ(engine.CalculateResult("A+10"), 10);  // A is no longer a variable and is skipped
    EXPECT_EQ(engine.CalculateResult("x*2"), 20);
    EXPECT_EQ(engine.CalculateResult("AZ+zz"), 12);
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
    Exp engine;
    const std::string text = "  if (true) then 1 else 2 endif  ";
    const std::string copy = text;
    EXPECT_EQ(engine.CalculateResult(text), 1);
    EXPECT_EQ(text, copy);
}

TEST(Exp, TrimsSpacesOnlyAndRecognisesIfAtTheStart) {
    ExpectRows(
        {Row{"7", "7"}, Row{"   ", "#9"}, Row{"", "#9"},
         Row{"  iF (a=100) THEN 1 ELSE 2 ENDIF", "1"},
         // A line break before If is not trimmed, so the text is arithmetic.
         Row{"\r\nIF (A=100) THEN 1 ELSE 2 ENDIF", "0"},
         // Any text whose first letters are I and F goes to the If stage.
         Row{"IFX+1", "#5"}, Row{"if (a=100) then a elseif (b=1) then b else c endif", "100"},
         Row{"a + b", "300"}, Row{"\t1\t+\t2\t", "3"},
         // Control characters are skipped, next to variables too.
         Row{std::string("a+\x01\0", 4), "100"},
         // "é" upper-cased is "É", which is no name character and is skipped.
         Row{"2+\xC3\xA9"
             "3",
             "5"}},
        [](const std::string& text) { return Calculate(text); });
}

// Upper-casing follows one table on every platform. The first 27 were once
// upper-cased on Linux and left as they were on Windows.
TEST(ToUpper, FollowsOneTableOnEveryPlatform) {
    ExpectRows({Row{"\xC2\xB5", "\xCE\x9C"},          // U+00B5 to U+039C
                Row{"\xC4\xB1", "I"},                 // U+0131 to U+0049
                Row{"\xC5\xBF", "S"},                 // U+017F to U+0053
                Row{"\xC7\x85", "\xC7\x84"},          // U+01C5 to U+01C4
                Row{"\xC7\x88", "\xC7\x87"},          // U+01C8 to U+01C7
                Row{"\xC7\x8B", "\xC7\x8A"},          // U+01CB to U+01CA
                Row{"\xC7\xB2", "\xC7\xB1"},          // U+01F2 to U+01F1
                Row{"\xCD\x85", "\xCE\x99"},          // U+0345 to U+0399
                Row{"\xCF\x82", "\xCE\xA3"},          // U+03C2 to U+03A3
                Row{"\xCF\x90", "\xCE\x92"},          // U+03D0 to U+0392
                Row{"\xCF\x91", "\xCE\x98"},          // U+03D1 to U+0398
                Row{"\xCF\x95", "\xCE\xA6"},          // U+03D5 to U+03A6
                Row{"\xCF\x96", "\xCE\xA0"},          // U+03D6 to U+03A0
                Row{"\xCF\xB0", "\xCE\x9A"},          // U+03F0 to U+039A
                Row{"\xCF\xB1", "\xCE\xA1"},          // U+03F1 to U+03A1
                Row{"\xCF\xB5", "\xCE\x95"},          // U+03F5 to U+0395
                Row{"\xE1\xB2\x80", "\xD0\x92"},      // U+1C80 to U+0412
                Row{"\xE1\xB2\x81", "\xD0\x94"},      // U+1C81 to U+0414
                Row{"\xE1\xB2\x82", "\xD0\x9E"},      // U+1C82 to U+041E
                Row{"\xE1\xB2\x83", "\xD0\xA1"},      // U+1C83 to U+0421
                Row{"\xE1\xB2\x84", "\xD0\xA2"},      // U+1C84 to U+0422
                Row{"\xE1\xB2\x85", "\xD0\xA2"},      // U+1C85 to U+0422
                Row{"\xE1\xB2\x86", "\xD0\xAA"},      // U+1C86 to U+042A
                Row{"\xE1\xB2\x87", "\xD1\xA2"},      // U+1C87 to U+0462
                Row{"\xE1\xB2\x88", "\xEA\x99\x8A"},  // U+1C88 to U+A64A
                Row{"\xE1\xBA\x9B", "\xE1\xB9\xA0"},  // U+1E9B to U+1E60
                Row{"\xE1\xBE\xBE", "\xCE\x99"},      // U+1FBE to U+0399
                // Runs of every second character, and beyond 16 bits.
                Row{"\xC4\x81\xC4\x83", "\xC4\x80\xC4\x82"},  // U+0101, U+0103
                Row{"\xC3\xBF", "\xC5\xB8"},                  // U+00FF to U+0178
                Row{"\xF0\x90\x90\xA8", "\xF0\x90\x90\x80"},  // U+10428 to U+10400
                // What stays: capitals, U+00DF (whose upper case is "SS"), a byte
                // that is not UTF-8; "i" has no dot above in any locale.
                Row{"\xC4\x80\xC3\x89Z", "\xC4\x80\xC3\x89Z"}, Row{"\xC3\x9F", "\xC3\x9F"},
                Row{"a\xFF", "A\xFF"}, Row{"i", "I"}},
               [](const std::string& text) { return ToUpper(text); });
    ExpectRows({Row{"If (\"\xCF\x82\"=\"\xCE\xA3\") Then 1 Else 2 EndIf", "1"},
                Row{"\xC4\xB1"
                    "f (TRUE) then 1 else 2 endif",
                    "1"}},
               [](const std::string& text) { return Calculate(text); });
}

// Where a failure was found, in characters of the text as given.
struct PlaceCase {
    std::string name;
    std::string text;
    int failure;
    std::size_t begin;
    std::size_t end;
    Cause cause;
    std::vector<std::pair<const char*, double>> variables = {
        {"A", 100}, {"B", 200}, {"C", 300}, {"D", 400}, {"E", 500}};
};

std::string Repeated(std::string_view piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

std::vector<PlaceCase> PlaceCases() {
    const std::string seventeen =
        "IF " + Repeated("FALSE THEN 1 ELSEIF ", 16) + "TRUE THEN 1 ELSE 2 ENDIF";
    const std::size_t lastElseIf = seventeen.rfind("ELSEIF");
    const std::string sumOf64 = "1" + Repeated("+1", 63);     // 127 tokens
    const std::string growing = "A" + Repeated("+A", 6999);   // "(100)+" per "A+"
    const std::string tooLong = "1" + Repeated("+1", 16383);  // 32,767 characters
    const std::string farEndIf = "IF TRUE THEN 1 ELSE 2" + std::string(32760, ' ') + "ENDIF";
    const std::string farThen = "IF TRUE" + std::string(32761, ' ') + "THEN 1 ELSE 2 ENDIF";
    const std::string eAcute = "\xC3\xA9";
    const std::string dotlessI = "\xC4\xB1";  // upper-cases to the one byte "I"
    return {
        // The token at which the evaluator gave up.
        {"sign", "2*-3", 9, 2, 3, Cause::SignAfterOperator},
        {"sign_after_division", "2/-3", 9, 2, 3, Cause::SignAfterOperator},
        {"sign_after_leading_operator", "*-3", 9, 1, 2, Cause::SignAfterOperator},
        {"sign_after_sign", "2+--3", 9, 2, 3, Cause::SignAfterOperator},
        {"sign_spaced", "  1+  2 * -3", 9, 10, 11, Cause::SignAfterOperator},
        {"sign_after_non_ascii", eAcute + "+2*-3", 9, 4, 5, Cause::SignAfterOperator},
        {"sign_after_shrinking_upper_case", dotlessI + "+2*-3", 9, 4, 5, Cause::SignAfterOperator},
        {"operator_after_operator", "2**3", 9, 2, 3, Cause::MissingOperand},
        {"unmatched_close", "1+2)", 9, 3, 4, Cause::NothingToClose},
        {"stray_comma", "1+2,", 9, 3, 4, Cause::NothingToClose},
        {"unknown_word", "CX*2+1", 9, 0, 2, Cause::UnknownWord},
        {"unknown_word_after_name_characters", "_C*2+1", 9, 0, 2, Cause::UnknownWord},
        {"unknown_name_where_an_operand_is_missing", "5*(X", 9, 3, 4, Cause::UnknownWord},
        {"skipped_character_before_operator", "A+\xC3\xBC+1", 9, 2, 3, Cause::UnusedCharacter},
        {"skipped_character_spaced", "A+ \xC3\xBC +1", 9, 3, 4, Cause::UnusedCharacter},
        {"missing_argument", "Max(5)", 9, 0, 3, Cause::MissingArgument},
        {"missing_at_end", "5*(  ", 9, 3, 3, Cause::MissingOperandAtEnd},
        {"missing_after_skipped_character", "% -", 9, 3, 3, Cause::MissingOperandAtEnd},
        {"missing_after_last_two_byte_character", "\xDF\xBF", 9, 1, 1, Cause::MissingOperandAtEnd},
        {"empty", "", 9, 0, 0, Cause::EmptyFormula},
        {"blank", "   ", 9, 0, 3, Cause::EmptyFormula},
        {"257_open", std::string(257, '(') + "7", 9, 255, 256, Cause::TooDeep},
        {"256_open_closed", std::string(256, '(') + "7" + std::string(256, ')'), 9, 255, 256,
         Cause::TooDeep},
        // Numbers and operations.
        {"lone_minus", "-(5)", 13, 0, 1, Cause::MalformedNumber},
        {"two_points", "7+1.2.3", 13, 2, 7, Cause::MalformedNumber},
        {"number_too_large", "1" + std::string(309, '0') + "+1", 6, 0, 310, Cause::NumberTooLarge},
        // Zeros after the point do not make it smaller.
        {"number_too_large_with_decimals",
         "1" + std::string(309, '0') + "." + std::string(400, '0'), 6, 0, 711,
         Cause::NumberTooLarge},
        {"division_by_zero", "1/0", 11, 1, 2, Cause::DivisionByZero},
        {"zero_by_zero", "0/0", 6, 1, 2, Cause::ZeroByZero},
        // The "/" moves down when "*" is applied, its place with it.
        {"division_after_product", "2*3/0", 11, 3, 4, Cause::DivisionByZero},
        {"negative_places", "Round(2,-1)", 5, 0, 5, Cause::NegativePlaces},
        {"power_out_of_range", "Exp(2,40000)", 6, 0, 3, Cause::ArgumentOutOfRange},
        {"result_too_large", "1+Exp(10,400)", 6, 2, 5, Cause::ResultTooLarge},
        // After substitution: positions map back to the text as typed.
        {"after_variables", "A + B*-C", 9, 6, 7, Cause::SignAfterOperator},
        {"variable_divisor", "A/(B-200)", 11, 1, 2, Cause::DivisionByZero},
        // A condition's call is worked out with the values written in.
        {"division_in_a_call_of_a_condition", "If (Max(A/0,1)>1) Then 1 Else 2 EndIf", 11, 9, 10,
         Cause::DivisionByZero},
        {"variable_after_stray_close", "2*CAX(1,2))A", 9, 11, 12, Cause::NothingToClose},
        {"variable_grows_text", growing, 6, 10922, 10923, Cause::TooLong},
        // A value beyond a double is written as its 312 characters, sign
        // first: they reach the limit before the value is read.
        {"unreadable_value_grows_text",
         "111+" + Repeated("1+", 16226) + "H",
         6,
         32456,
         32457,
         Cause::TooLong,
         {{"H", -1.7976931348623157e308}}},
        // 340 characters each: the 96th "(0.000...494065645841247)" passes the limit.
        {"tiny_values_grow_text",
         "T" + Repeated("+T", 95),
         6,
         190,
         191,
         Cause::TooLong,
         {{"T", 4.9406564584124654e-324}}},
        // A value beyond a double fails where it is read, after what came before.
        {"unreadable_before_division",
         "H+1/0",
         6,
         0,
         1,
         Cause::NumberTooLarge,
         {{"H", 1.7976931348623157e308}}},
        {"division_before_unreadable",
         "1/0+H",
         11,
         1,
         2,
         Cause::DivisionByZero,
         {{"H", 1.7976931348623157e308}}},
        {"text_too_long", tooLong, 6, 0, 32767, Cause::TooLong},
        // Too long as typed, though its blanks leave only "11" to calculate.
        {"spaced_text_too_long", "1" + std::string(32765, ' ') + "1", 6, 0, 32767, Cause::TooLong},
        // If blocks: keywords, conditions, and faults inside the chosen branch.
        {"missing_then", "IF (TRUE) 1 ELSE 2 ENDIF", 5, 12, 12, Cause::MissingThen},
        // A branch on a line of its own: Then belongs at the end of the
        // condition's line.
        {"missing_then_on_its_line", "If (A>1)  \r\n  1\r\nElse\r\n  2\r\nEndIf", 5, 8, 8,
         Cause::MissingThen},
        {"missing_then_after_elseif", "IF (A>1) THEN\n 1\nELSEIF (B>2)\t\n 2\nELSE\n 3\nENDIF", 5,
         29, 29, Cause::MissingThen},
        {"missing_then_condition_below", "IF\n (A>1)\n 1\nELSE 2 ENDIF", 5, 9, 9,
         Cause::MissingThen},
        {"missing_else", "IF (TRUE) THEN 1 ENDIF", 5, 17, 17, Cause::MissingElse},
        {"missing_endif", "IF (TRUE) THEN 1 ELSE 2  ", 5, 23, 23, Cause::MissingEndIf},
        {"17th_condition", seventeen, 9, lastElseIf, seventeen.find("THEN", lastElseIf) + 4,
         Cause::TooManyConditions},
        {"endif_too_far", farEndIf, 6, 32781, 32786, Cause::KeywordTooFar},
        {"then_too_far", farThen, 6, 32768, 32772, Cause::KeywordTooFar},
        {"no_relation", "IF  1<A<3  THEN 1 ELSE 2 ENDIF", 9, 4, 9, Cause::NoRelation},
        {"unclosed_in_condition", "If (A>50 Then 1 Else 2 EndIf", 9, 3, 4,
         Cause::UnclosedParenthesis},
        {"unclosed_outer_in_condition", "IF ((A>50) THEN 1 ELSE 2 ENDIF", 9, 3, 4,
         Cause::UnclosedParenthesis},
        {"close_without_open_in_condition", "IF A>50) THEN 1 ELSE 2 ENDIF", 9, 7, 8,
         Cause::NothingToClose},
        {"128th_token", "IF " + sumOf64 + ">1 THEN 1 ELSE 2 ENDIF", 9, 130, 131,
         Cause::TooManyTokens},
        {"sign_in_condition", "IF A>-5 THEN 1 ELSE 2 ENDIF", 13, 5, 6, Cause::NotANumber},
        {"empty_argument_in_condition", "If (Ceil(() Then 1 Else 2 EndIf", 9, 11, 11,
         Cause::MissingOperandAtEnd},
        {"truth_value_added", "IF (A>1)+1 THEN 1 ELSE 2 ENDIF", 9, 8, 9, Cause::WrongKindOfOperand},
        {"division_in_condition", "if (1/0>1) then 1 else 2 endif", 11, 5, 6,
         Cause::DivisionByZero},
        {"call_in_condition", "IF 1 < MAX (A,B)/0 THEN 1 ELSE 2 ENDIF", 11, 16, 17,
         Cause::DivisionByZero},
        {"call_argument_too_large",
         "IF MAX (BIG,1) > 1 THEN 1 ELSE 2 ENDIF",
         6,
         8,
         11,
         Cause::WholeNumberRange,
         {{"BIG", 3e9}}},
        // A comparison converts its left operand first, as arithmetic does.
        {"both_fail_left_first",
         "IF 1..<H THEN 1 ELSE 2 ENDIF",
         13,
         6,
         7,
         Cause::NotANumber,
         {{"H", 1.7976931348623157e308}}},
        {"both_fail_left_too_large",
         "IF H=1.. THEN 1 ELSE 2 ENDIF",
         6,
         4,
         5,
         Cause::NumberTooLarge,
         {{"H", 1.7976931348623157e308}}},
        // "(100)+" for every "A+" of the call: the length runs out at the
        // 5,461st A, character 10,924 of the call.
        {"call_grows_too_long_in_condition", "IF MAX(" + growing + ",1)>1 THEN 1 ELSE 2 ENDIF", 6,
         10927, 10928, Cause::TooLong},
        {"ceil_in_condition", "IF CEIL(40000) > 1 THEN 1 ELSE 2 ENDIF", 6, 3, 7,
         Cause::WholeNumberRange},
        {"in_first_branch", "IF TRUE THEN 2*-3 ELSE 2 ENDIF", 9, 15, 16, Cause::SignAfterOperator},
        {"in_else_branch", "  if false then 1 else a/0 endif", 11, 24, 25, Cause::DivisionByZero},
        {"non_ascii_before_branch",
         "IF \"" + eAcute + "\"=\"" + eAcute + "\" THEN 1/0 ELSE 2 ENDIF", 11, 17, 18,
         Cause::DivisionByZero},
        {"empty_branch", "IF TRUE THEN ELSE 2 ENDIF", 9, 12, 13, Cause::EmptyFormula},
    };
}

class Places : public testing::TestWithParam<PlaceCase> {};

TEST_P(Places, FailuresNameTheirPlace) {
    const PlaceCase& c = GetParam();
    Exp engine;
    for (std::size_t slot = 0; slot < c.variables.size(); ++slot) {
        engine.SetVariable(static_cast<std::int16_t>(slot), c.variables[slot].first,
                           c.variables[slot].second);
    }
    const Outcome outcome = engine.Evaluate(c.text);
    EXPECT_EQ(outcome.failure, c.failure);
    EXPECT_EQ(outcome.begin, c.begin);
    EXPECT_EQ(outcome.end, c.end);
    EXPECT_EQ(outcome.cause, c.cause) << Explanation(outcome);
}

INSTANTIATE_TEST_SUITE_P(Exp, Places, testing::ValuesIn(PlaceCases()),
                         [](const auto& row) { return row.param.name; });

TEST(NormalizeExpression, ReplacesVariablesAndDropsWhiteSpace) {
    Exp engine;
    engine.SetVariable(0, "A", 1);
    engine.SetVariable(1, "B", 2);
    engine.SetVariable(2, "C", -3);
    engine.SetVariable(3, "A_1", 0.5);
    ExpectRows(
        {Row{"A + B", "(1)+(2)"}, Row{"a*b", "(1)*(2)"}, Row{"C*2", "(-3)*2"}, Row{"1 000", "1000"},
         Row{"AB", "AB"}, Row{"2A", "2(1)"}, Row{"MAX(A, B)", "MAX((1),(2))"},
         Row{"A_1+_X+X9", "(0.5)+_X+X9"}, Row{"9X", "9X"}, Row{"A\tB", "(1)(2)"},
         Row{"A\r\nB", "(1)(2)"}, Row{"", ""}, Row{"Q", "Q"}, Row{"A%B", "(1)%(2)"},
         Row{"\xC3\x89"
             "A",
             "\xC3\x89(1)"}},
        [&](const std::string& text) { return NormalizeExpression(text, engine.Variables()); });
}

TEST(NormalizeExpression, AVariableNamedLikeAFunctionReplacesIt) {
    Exp engine;
    engine.SetVariable(0, "MAX", 7);
    EXPECT_EQ(NormalizeExpression("MAX(1,2)", engine.Variables()), "(7)(1,2)");
}

TEST(NormalizeExpression, LargeAndSmallValuesStayOneNumber) {
    Exp engine;
    engine.SetVariable(0, "BIG", 1e20);
    engine.SetVariable(1, "TINY", 1.5e-20);
    EXPECT_EQ(engine.CalculateResult("BIG/1000"), 1e17);
    EXPECT_DOUBLE_EQ(engine.CalculateResult("TINY*1000000000000000000000"), 15);
}

}  // namespace
}  // namespace vornel
