#pragma once

#include <string_view>

namespace vornel {

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
