#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vornel {

// The failure numbers an evaluation can end with. kNone means no failure. The
// numbers are stable: they are shown to users ("Error Number-9") and stored
// by callers, and a Number compares with a plain int.
namespace failure {
enum Number : int {
    kNone = 0,
    kInvalidArgument = 5,      // e.g. an If block without Then, Else or EndIf
    kOverflow = 6,             // a number, result or text beyond its range
    kSubscriptOutOfRange = 9,  // a malformed formula, or a limit of its parts
    kDivisionByZero = 11,
    kTypeMismatch = 13,  // e.g. a word that is no number, or text in arithmetic
};
}  // namespace failure

// Why an evaluation failed, finer than the failure number: several causes
// share one number. New causes may be added in later versions.
enum class Cause : std::uint8_t {
    None,
    EmptyFormula,         // 9: nothing to calculate
    TooLong,              // 6: the text reaches 32,767 characters (with variable values put in)
    MalformedNumber,      // 13: a number with two points, or a lone "-" or "."
    NumberTooLarge,       // 6: a number beyond the range of a double
    WholeNumberRange,     // 6: a whole number in a condition's function call out of its range
    MissingOperand,       // 9: an operator lacks an operand before the marked text
    MissingOperandAtEnd,  // 9: the formula ends where an operand is still expected
    MissingArgument,      // 9: a function lacks an argument
    SignAfterOperator,    // 9: a "-" right after an operator
    UnknownWord,          // 9: a word that is neither a function nor a variable
    NothingToClose,       // 9: a ")" or "," with no "(" for it
    TooDeep,              // 9: more than 256 pending numbers or operators
    DivisionByZero,       // 11
    ZeroByZero,           // 6
    ResultTooLarge,       // 6: a result beyond the range of a double
    NegativePlaces,       // 5: Round to a negative number of places
    ArgumentOutOfRange,   // 6: a power or number of places out of range
    MissingThen,          // 5
    MissingElse,          // 5
    MissingEndIf,         // 5
    TooManyConditions,    // 9: a 17th condition
    KeywordTooFar,        // 6: a keyword beyond character 32,767
    NoRelation,           // 9: a condition whose parts cannot stand next to each other
    TooManyTokens,        // 9: a 128th part in one condition
    WrongKindOfOperand,   // 9: an operator given a truth value or text it cannot take
    NotANumber,           // 13: a condition needs a number where it has none
    UnusedCharacter,      // 9: a skipped character left an operator without an operand
    UnclosedParenthesis,  // 9: a "(" in a condition that no ")" closes
};

// What an evaluation gives: its value, or the number of the failure that
// ended it (and then the value 0), its cause, and where it was found.
struct Outcome {
    double value = 0.0;
    failure::Number failure = failure::kNone;
    // On failure, the characters [begin, end) of the text given to Evaluate
    // that the failure concerns, counted as the engine counts characters
    // (UTF-8 characters; a byte that starts no valid sequence is one), before
    // any trimming, upper-casing, branch selection or variable substitution.
    // An empty range (begin == end) marks the place where something is
    // missing. A failure of the whole text covers all of it. Both are 0 on
    // success.
    std::size_t begin = 0;
    std::size_t end = 0;
    Cause cause = Cause::None;

    [[nodiscard]] bool Succeeded() const noexcept { return failure == failure::kNone; }
};

// One sentence in plain English saying what the cause means, without a final
// full stop, e.g. "A sign cannot follow an operator here". Empty for None.
[[nodiscard]] std::string_view CauseText(Cause cause) noexcept;

// CauseText followed by " (Error Number-N)", or "" on success.
[[nodiscard]] std::string Explanation(const Outcome& outcome);

// The byte offset in the UTF-8 `text` at which the character numbered
// `index` (0-based, counted as Outcome counts them) starts; text.size() when
// `index` is at or past the end.
[[nodiscard]] std::size_t CharacterOffset(std::string_view text, std::size_t index) noexcept;

}  // namespace vornel
