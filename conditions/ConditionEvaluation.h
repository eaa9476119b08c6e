#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vornel {

// The values of the handle being reduced: positions 1 to 3 hold the values of
// its symbols, lowest stack position first (index 0 is unused).
using HandleValues = std::array<std::string, 4>;

// The value of the nonterminal that production `production` (1 to 32) makes
// from the handle: "TRUE" or "FALSE" for a truth value, number text for a
// number, the joined text for a concatenation, the inner value for a
// parenthesised production. Operands are read trimmed of spaces and
// upper-cased. Failures: 13 when a number is needed and an operand is not
// one, 6 when it is beyond a double, and those of the arithmetic operations.
std::string EvaluateReduction(const HandleValues& values, int production);

// a relation b, for relation ">", "<", "=", "<>", ">=" or "<=" (any other text
// is false). Doubles compare exactly; texts in the user's collating order.
bool CompareValues(double a, double b, std::string_view relation);
bool CompareValues(std::string_view a, std::string_view b, std::string_view relation);

}  // namespace vornel
