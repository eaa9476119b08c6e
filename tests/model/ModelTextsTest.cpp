// The window's texts and numbers: keypad insertions, values typed in the
// user's form, value rows, examples and where help is looked for.
#include <gtest/gtest.h>

#include <vornel/model/Colouring.h>
#include <vornel/model/MainModel.h>

namespace vornel {
namespace {

TEST(Keypad, InsertsItsText) {
    const std::pair<int, const char*> rows[] = {
        {0, "0"},    {9, "9"},   {10, "00"},   {11, "."}, {12, "+ "},     {16, "<> "},
        {23, "If "}, {26, "| "}, {27, "& "},   {28, " "}, {29, "Floor "}, {35, "( "},
        {36, ") "},  {37, ""},   {38, "\r\n"}, {-1, ""},  {39, ""},
    };
    for (const auto& [member, inserted] : rows) {
        EXPECT_EQ(KeypadInsertText(member), inserted) << member;
    }
    EXPECT_EQ(KeypadCaption(26), "|  Or");
    EXPECT_EQ(KeypadCaption(27), "&& And");
}

TEST(Examples, FourNamedRows) {
    EXPECT_EQ(ExampleName(0), "Example Expression 1");
    EXPECT_EQ(ExampleExpression(2), "A*B+B/C-D+Max(E,300)/B+Ceil(5000/A*3.2)+Exp(2,8)");
    EXPECT_EQ(ExampleExpression(0)->substr(0, 26), "If (A>100 & B<200 ) Then\r\n");
    EXPECT_FALSE(ExampleExpression(4));
    EXPECT_FALSE(ExampleExpression(-1));
}

// A value typed by the user: with "." or in the locale's own form.
TEST(Values, TypedInTheUsersForm) {
    const NumberFormat english;
    const NumberFormat german{".", ","};
    struct Row {
        const char* typed;
        const NumberFormat& format;
        std::optional<double> value;
    };
    const Row rows[] = {
        {"250", english, 250},
        {" 1.5 ", english, 1.5},
        {"-7", english, -7},
        {"+2", english, 2},
        {"1e3", english, 1000},
        {"1,234.5", english, 1234.5},
        {"1,234,567", english, 1234567},
        {"1,5", english, {}},
        {"12,34.5", english, {}},
        {",123", english, {}},
        {"1,5", german, 1.5},
        {"2.25", german, 2.25},
        {"1.234,5", german, 1234.5},
        {"abc", english, {}},
        {"", english, {}},
        {"inf", english, {}},
        {"nan", english, {}},
        {"1e999", english, {}},
        {"1 2", english, {}},
        {"0x10", english, {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ValueFromInput(row.typed, row.format), row.value) << row.typed;
    }
}

TEST(Values, RowTexts) {
    const std::pair<double, const char*> written[] = {
        {100, "100.00"},
        {0.125, "0.125"},
        {-7, "-7.00"},
        {-0.0, "0.00"},
        {1.5, "1.50"},
        {1e20, "100000000000000000000.00"},
        {0.000000000000001, "0.000000000000001"},
    };
    for (const auto& [value, text] : written) {
        EXPECT_EQ(ValueRowText(value), text) << value;
        EXPECT_EQ(ValueFromText(text), value + 0.0);
    }
    EXPECT_EQ(ValueFromText(" 100.00"), 100);
    EXPECT_EQ(ValueFromText("not a number"), 0);
    EXPECT_EQ(ResultText(-1234.5, {".", ","}), "-1.234,500000000000000");
}

}  // namespace
}  // namespace vornel

namespace vornel {
namespace {

TEST(Colouring, StretchesOfEachKind) {
    using enum Colouring;
    struct Row {
        const char* formula;
        std::vector<ColouredStretch> stretches;
    };
    const Row rows[] = {
        {"If (a>1) then\r\n Max(b,2.5)",
         {{0, 2, Keyword},
          {3, 4, Operator},
          {4, 5, Variable},
          {5, 6, Operator},
          {6, 7, Number},
          {7, 8, Operator},
          {9, 13, Keyword},
          {16, 19, Function},
          {19, 20, Operator},
          {20, 21, Variable},
          {21, 22, Operator},
          {22, 25, Number},
          {25, 26, Operator}}},
        // A variable named like a function is the variable; an unknown name
        // and a point without a digit are nothing.
        {"round+x.y+.5+True",
         {{0, 5, Variable},
          {5, 6, Operator},
          {9, 10, Operator},
          {10, 12, Number},
          {12, 13, Operator},
          {13, 17, Keyword}}},
        // A string literal left open ends with its line; characters count as
        // the engine counts them.
        {"\"é\"&\"ab\r\n1", {{0, 3, String}, {3, 4, Operator}, {4, 7, String}, {9, 10, Number}}},
        {"1.2.3 é b2", {{0, 5, Number}}},
        {".5+1.", {{0, 2, Number}, {2, 3, Operator}, {3, 5, Number}}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ColourFormula(row.formula, {"A", "B", "ROUND"}), row.stretches) << row.formula;
    }
}

}  // namespace
}  // namespace vornel
