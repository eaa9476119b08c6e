#pragma once

#include <string_view>

#include "Failure.h"

namespace vornel {

// Evaluates the normalised text of a function call that stands in a
// condition. It is the arithmetic evaluator with four differences: number
// tokens are rounded to whole numbers (halves to even, within 32 bits, else
// failure 6); ceil and floor give whole numbers within 16 bits (else 6);
// position 0 of both stacks is a usable entry (a missing first operand is
// the 0 there); and closing a group always looks at the operator stack.
// A failure goes to `fault`, with its range in `text`.
double EvaluateConditionArithmetic(std::string_view text, EvaluationFailure& fault);

}  // namespace vornel
