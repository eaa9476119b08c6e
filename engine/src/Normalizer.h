#pragma once

#include <memory_resource>
#include <string>
#include <string_view>

#include "VariableLookup.h"

#include "Failure.h"

namespace vornel {

// Removes white space (space, tab, CR, LF) and replaces every name that a
// variable slot holds (compared ignoring case, lowest slot first) by "(" +
// its number text + ")". Everything else passes through in order.
// Fails with 6 for a text of 32,767 characters or more (placed on the whole
// text).
std::string NormalizeExpression(std::string_view text, const VariableLookup& variables);

// NormalizeExpression written into `out` (replacing what it held), with its
// allocator. With `markVariables`, a variable that VariableLookup::Markable
// allows is written as kVariableMark and its slot instead of its value, unless
// the text written out would reach the position limit or `text` holds the mark
// itself; returns whether any mark was written.
bool NormalizeExpression(std::string_view text, const VariableLookup& variables,
                         std::pmr::string& out, bool markVariables);

// Fails with 6 for a text of 32,767 characters or more (placed on the whole
// text), as NormalizeExpression does.
void CheckLength(std::string_view text);

// Whether NormalizeExpression could change `text`: it holds white space or
// a character that starts a name.
bool NeedsNormalizing(std::string_view text);

// NormalizeExpression of the upper-cased text, for a text that is plain ASCII,
// in one pass.
bool NormalizeAsciiExpression(std::string_view text, const VariableLookup& variables,
                              std::pmr::string& out, bool markVariables);

// Carries the range of a failure found in NormalizeExpression(text) back into
// `text`: a place inside a variable's value becomes the variable's name, and
// a text grown too long blames the variable whose value made it so. For the
// failure path only: it walks the text again.
void PlaceInSource(EvaluationFailure& fault, std::string_view text,
                   const VariableLookup& variables);

}  // namespace vornel
