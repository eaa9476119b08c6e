#include <gtest/gtest.h>

#include "ArithmeticCompiler.h"
#include "TestSupport.h"

namespace vornel {
namespace {

using test::Calculate;

// "1+1+...": n characters long for odd n.
std::string Sum(std::size_t length) {
    std::string text = "1";
    while (text.size() + 2 <= length) {
        text += "+1";
    }
    return text;
}

TEST(Limits, TheTextLengthIs16Bit) {
    const std::string text32765 = Sum(32765);
    EXPECT_EQ(Calculate(text32765), std::to_string(32765 / 2 + 1));
    EXPECT_EQ(Calculate(text32765 + " "), std::to_string(32765 / 2 + 1));
    EXPECT_EQ(Calculate(text32765 + "+1"), "#6");
    // The last character a text can have may end a number.
    EXPECT_EQ(Calculate("11+" + Sum(32763)), "16393");
    // Positions count characters, not bytes: 32,766 two-byte characters pass.
    std::string wide = "5";
    for (int i = 0; i < 32765; ++i)
        wide += "\xC3\x89";
    EXPECT_EQ(Calculate(wide), "5");
    EXPECT_EQ(Calculate(wide + "\xC3\x89"), "#6");
}

// A byte that starts no valid UTF-8 sequence is a character of its own:
// overlong forms, surrogates and code points past U+10FFFF are not valid.
TEST(Limits, CharactersAreCountedAsUtf8) {
    const struct {
        const char* bytes;
        std::size_t characters;
    } rows[] = {
        {"\xC3\x89", 1},     {"\xC0\x80", 2},     {"\xED\x9F\xBF", 1},     {"\xED\xA0\x80", 3},
        {"\xED\xBF\xBF", 3}, {"\xEE\x80\x80", 1}, {"\xF4\x8F\xBF\xBF", 1}, {"\xF4\x90\x80\x80", 4},
        {"\xE2\x82", 2},     {"\xDF\xBF", 1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CharCount(row.bytes), row.characters) << test::RowName(row.bytes);
        // The character after them starts where their bytes end.
        const std::string text = std::string("a") + row.bytes + "b";
        EXPECT_EQ(CharacterOffset(text, row.characters + 1), text.size() - 1)
            << test::RowName(row.bytes);
        EXPECT_EQ(CharacterOffset(text, row.characters + 3), text.size())
            << test::RowName(row.bytes);
    }
}

// The scans that tell plain ASCII and white space work on eight bytes, or
// all bytes, at a time: each byte at the edges of what they look for, alone
// in texts of ordinary letters or of zero bytes, in the words and in the
// bytes after them, gives what a scan byte by byte gives.
TEST(Limits, TextScansFindEveryByteAtTheEdges) {
    const unsigned char edges[] = {0x00, 0x09, 0x0A, 0x0D, 0x1F, 0x20,
                                   0x21, 0x7F, 0x80, 0x81, 0xC3, 0xFF};
    for (const char filler : {'a', '\0'}) {
        for (const std::size_t size :
             {std::size_t{1}, std::size_t{8}, std::size_t{17}, std::size_t{40}}) {
            for (const std::size_t at : {std::size_t{0}, size / 2, size - 1}) {
                for (const unsigned char edge : edges) {
                    std::string text(size, filler);
                    text[at] = static_cast<char>(edge);
                    const bool ascii = edge < 0x80;
                    const bool blank = edge == ' ' || edge == '\t' || edge == '\r' || edge == '\n';
                    const std::string what = std::to_string(edge) + " at " + std::to_string(at) +
                                             " of " + std::to_string(size);
                    EXPECT_EQ(IsAscii(text), ascii) << what;
                    EXPECT_EQ(KindOf(text).ascii, ascii) << what;
                    EXPECT_EQ(KindOf(text).blank, blank) << what;
                }
            }
        }
    }
}

TEST(Limits, SubstitutedValuesCanMakeTheTextTooLong) {
    // Every A becomes "(100)", so 8,000 of them make a text of 47,999 characters.
    std::string text = "A";
    for (int i = 1; i < 8000; ++i)
        text += "+A";
    EXPECT_EQ(Calculate(text), "#6");
    EXPECT_EQ(Calculate(text.substr(0, 5 * 1000 - 1)), "250000");
}

// Read where it stands, a name is measured for the text written out by the
// name it matched, whatever its length and case: "RATE" and "rate" are four
// characters that become "(100)", "x" one that becomes "(7)".
TEST(Limits, NamesOfEveryLengthAreWrittenOutAtTheLimit) {
    Exp engine;
    engine.SetVariable(0, "Rate", 100);
    engine.SetVariable(1, "x", 7);
    const struct {
        const char* name;
        int value;
        std::size_t writtenSize;
    } rows[] = {{"RATE", 100, 5}, {"rate", 100, 5}, {"X", 7, 3}, {"x", 7, 3}};
    for (const auto& row : rows) {
        for (const std::size_t writtenOut : {std::size_t{32766}, std::size_t{32767}}) {
            // "1+1+...+1" and three times "+name", the ones as long as the
            // text written out leaves them; "11+" makes an even length.
            const std::size_t ones = writtenOut - 3 * (1 + row.writtenSize);
            const std::string sum = ones % 2 == 1 ? Sum(ones) : "11+" + Sum(ones - 3);
            const long onesValue = ones % 2 == 1 ? static_cast<long>(ones / 2 + 1)
                                                 : 11 + static_cast<long>(ones / 2 - 1);
            std::string text = sum;
            for (int k = 0; k < 3; ++k) {
                text += std::string("+") + row.name;
            }
            const std::string expected =
                writtenOut < 32767 ? std::to_string(onesValue + 3L * row.value) : "#6";
            const Outcome once = engine.Evaluate(text);
            const Outcome compiled = engine.Compile(text).Evaluate(engine);
            for (const Outcome& outcome : {once, compiled}) {
                EXPECT_EQ(outcome.Succeeded() ? NumberText(outcome.value)
                                              : "#" + std::to_string(outcome.failure),
                          expected)
                    << row.name << " written out to " << writtenOut;
            }
        }
    }
}

TEST(Limits, TheStacksHold256Entries) {
    // A ")" goes on the operator stack before it removes its "(", so 255
    // open groups are the most that can close.
    EXPECT_EQ(Calculate(std::string(255, '(') + "7" + std::string(255, ')')), "7");
    EXPECT_EQ(Calculate(std::string(256, '(') + "7" + std::string(256, ')')), "#9");
    EXPECT_EQ(Calculate(std::string(257, '(') + "7" + std::string(257, ')')), "#9");
    EXPECT_EQ(Calculate(std::string(254, '(') + "1+2" + std::string(254, ')')), "3");
    // A variable stands for "(" + its value + ")", read in place or marked
    // (after a blank): two more entries, the ")" the one past the top.
    for (const std::string variable : {"A", " A"}) {
        EXPECT_EQ(Calculate(std::string(254, '(') + variable + std::string(254, ')')), "100");
        EXPECT_EQ(Calculate(std::string(255, '(') + variable + std::string(255, ')')), "#9");
        EXPECT_EQ(Calculate(std::string(255, '(') + variable), "#9");
        EXPECT_EQ(Calculate(std::string(254, '(') + variable + "+1"), "101");
    }
    // Numbers separated by a skipped character pile up without operators.
    auto numbers = [](int count) {
        std::string text = "1";
        for (int i = 2; i <= count; ++i)
            text += "X" + std::to_string(i);
        return text;
    };
    EXPECT_EQ(Calculate(numbers(256)), "256");
    EXPECT_EQ(Calculate(numbers(257)), "#9");
}

TEST(Limits, MalformedInputEvaluatesOrFailsWithItsNumber) {
    const std::vector<std::string> inputs = {
        std::string(10000, '-'),
        std::string(10000, '('),
        std::string(10000, ')'),
        std::string(10000, ','),
        std::string(10000, '.'),
        std::string(3000, 'E') + "1",
        "\xff\xfe\x80\x81",
        std::string("1\0+2", 4),
        "\xC3",
        "1+\xE2\x82",
        "IF\xff THEN",
        "IF \"",
        "IF ( THEN 1 ELSE 2 ENDIF",
        "MAX(" + std::string(5000, ',') + ")",
    };
    for (const auto& input : inputs) {
        const std::string outcome = Calculate(input);
        EXPECT_TRUE(outcome[0] != '#' || outcome == "#5" || outcome == "#6" || outcome == "#9" ||
                    outcome == "#11" || outcome == "#13")
            << outcome;
    }
    EXPECT_EQ(Calculate(std::string(10000, '-')), "#13");
}

}  // namespace
}  // namespace vornel
