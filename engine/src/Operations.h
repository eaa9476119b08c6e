#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

#include <vornel/Names.h>
#include <vornel/Outcome.h>

#include "Failure.h"

// The operators and built-in functions that the evaluators apply. All
// operations are pure functions of doubles; one that can fail gives a
// Checked number, which holds the failure's number and cause when it fails.
namespace vornel {

// What an entry of an evaluator's operator stack is. Every text that names
// no operator or function (including the empty text) behaves the same way
// everywhere, so one kind stands for all of them.
enum class OpKind : std::uint8_t {
    Other,
    Plus,
    Minus,
    Times,
    Divide,
    Open,
    Close,
    Comma,
    Max,
    Min,
    Round,
    Exp,
    Ceil,
    Floor,
};
inline constexpr int kOpKindCount = static_cast<int>(OpKind::Floor) + 1;

// The kind named by an operator symbol or a word, ignoring case.
OpKind ClassifyOperator(std::string_view text);

// ClassifyOperator for a text of the one character `c`.
constexpr OpKind ClassifySymbol(char c) {
    switch (c) {
        case '+':
            return OpKind::Plus;
        case '-':
            return OpKind::Minus;
        case '*':
            return OpKind::Times;
        case '/':
            return OpKind::Divide;
        case '(':
            return OpKind::Open;
        case ')':
            return OpKind::Close;
        case ',':
            return OpKind::Comma;
        default:
            return OpKind::Other;
    }
}

// "m", "r", "c", "f" or "e" in either case: the first letters of the
// function names, which start a word in an expression.
constexpr bool IsFunctionInitial(char c) {
    switch (c) {
        case 'M':
        case 'R':
        case 'C':
        case 'F':
        case 'E':
        case 'm':
        case 'r':
        case 'c':
        case 'f':
        case 'e':
            return true;
        default:
            return false;
    }
}

inline bool IsFunctionName(OpKind kind) {
    return kind >= OpKind::Max;
}

// 2 for the four operators and max, min, round, exp; 1 for ceil and floor;
// 0 for anything else.
int OperandCount(OpKind kind);

// The two-operand operations: a op b, where a is the left operand (the first
// argument of a function). Any other operator gives 0.
// Failures: 6 when a result leaves the range of a double, 0/0, or an
// exponent or digit count out of range; 11 for a non-zero number divided by
// zero; 5 for a negative digit count in round.
Checked ApplyBinary(double a, double b, OpKind op);

// The one-operand functions ceil and floor; any other operator gives 0.
double ApplyUnary(double x, OpKind op);

// Rounds to the nearest whole number, halves to the even neighbour, and
// fails with 6 (for `cause`) when the result lies outside [low, high].
Checked RoundHalfEvenChecked(double x, std::int64_t low, std::int64_t high,
                             Cause cause = Cause::ArgumentOutOfRange);

// a rounded to d decimal places, halfway judged on a's shortest round-trip
// decimal (the number as written), ties to even.
double RoundToPlaces(double a, int d);

}  // namespace vornel

namespace vornel {

// Powers of ten that a double holds exactly.
inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The number whose digits, without the point, are `mantissa`, `decimals` of
// them after the point; nothing when that needs more than one step. Up to
// 2^53 the digits are an exact double, and so is a power of ten up to 10^22,
// so one correctly rounded division gives the nearest double.
inline std::optional<double> ExactDecimal(std::uint64_t mantissa, std::size_t decimals) {
    if (mantissa > (std::uint64_t{1} << 53) || decimals >= std::size(kExactPowersOfTen)) {
        return std::nullopt;
    }
    const double whole = static_cast<double>(mantissa);
    return decimals == 0 ? whole : whole / kExactPowersOfTen[decimals];
}

// Reads a number token of an expression: digits and at most one ".", with an
// optional leading "-" ("5." and ".5" are numbers). Fails with 13 when the
// text is not such a number, with 6 when it is beyond the range of a double;
// a number too small for a double reads as 0.
Checked ReadNumberToken(std::string_view token);

// Reads a value of a condition as a number: what ReadNumberToken accepts,
// plus an optional "+" sign and an exponent ("1E1" is 10). Same failures.
Checked ReadConditionNumber(std::string_view text);

}  // namespace vornel
