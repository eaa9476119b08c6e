#pragma once

#include <array>
#include <string_view>

// The words and characters of Vornel's formula language: the keywords of If
// blocks, the truth values, the built-in functions, the characters of names
// and numbers, and the rules a variable name must meet to be usable. The
// engine reads formulas with these, and so can an editor that colours them.
// Words are written upper-case; the language compares them ignoring case.
namespace vornel {

inline constexpr std::string_view kKeywordIf = "IF";
inline constexpr std::string_view kKeywordThen = "THEN";
inline constexpr std::string_view kKeywordElseIf = "ELSEIF";
inline constexpr std::string_view kKeywordElse = "ELSE";
inline constexpr std::string_view kKeywordEndIf = "ENDIF";

// The keywords of If blocks, in the order a block uses them.
inline constexpr std::array<std::string_view, 5> kKeywords = {
    kKeywordIf, kKeywordThen, kKeywordElseIf, kKeywordElse, kKeywordEndIf};

// The truth values of conditions.
inline constexpr std::string_view kTrue = "TRUE";
inline constexpr std::string_view kFalse = "FALSE";

// The built-in functions: Max, Min, Round and Exp take two arguments, Ceil
// and Floor one.
inline constexpr std::array<std::string_view, 6> kFunctionNames = {"MAX", "MIN",  "ROUND",
                                                                   "EXP", "CEIL", "FLOOR"};

// True when `word` is one of kFunctionNames, ignoring case.
bool IsFunctionName(std::string_view word);

constexpr bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// A to Z or a to z, decided on the character's code.
constexpr bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Characters that may start a name, and that may continue one. Names are
// ASCII: a byte of a longer UTF-8 character is neither.
constexpr bool IsNameStart(char c) {
    return IsLetter(c) || c == '_';
}
constexpr bool IsNameChar(char c) {
    return IsNameStart(c) || IsAsciiDigit(c);
}

// A digit or ".": the characters of a number.
constexpr bool IsNumberChar(char c) {
    return IsAsciiDigit(c) || c == '.';
}

// Why a text cannot name a variable. The engine itself stores any name; these
// are the names that an expression could never reach, or that would change
// how other expressions read.
enum class NameProblem {
    None,
    Empty,
    BadStart,      // not a letter A to Z, a to z or "_" first
    BadCharacter,  // a character other than a letter, digit or "_" later
    FunctionName,  // Max, Min, Round, Exp, Ceil, Floor
    TruthValue,    // TRUE or FALSE, which conditions read before variables
    Keyword,       // IF, THEN, ELSEIF, ELSE, ENDIF
    HoldsKeyword,  // THEN, ELSE or ENDIF inside: If blocks are cut at them
    BeginsWithIf,  // a formula starting with it would be taken for an If block
};

// The first rule, in the order above, that `name` breaks (letter case is
// ignored); NameProblem::None for a usable name. Spaces are not trimmed.
NameProblem CheckVariableName(std::string_view name);

}  // namespace vornel
