#pragma once

#include <array>
#include <string>
#include <string_view>

#include "VariableLookup.h"

namespace vornel {

inline constexpr int kMaxConditions = 16;

// An If block cut into its pieces, each a view of the statement: `count`
// conditions, the branch each selects, the Else branch, and whatever follows
// EndIf (which is ignored).
struct BlockLayout {
    int count = 0;
    std::array<std::string_view, kMaxConditions> conditions;
    std::array<std::string_view, kMaxConditions> branches;
    std::string_view elseText;
    std::string_view after;
};

// Cuts an upper-cased statement that begins with "IF" into its pieces by
// keyword search, testing nothing. Failures: 5 for a missing THEN, ELSE or
// ENDIF (placed where it belongs); 9 for a 17th condition; 6 when a keyword
// position passes 32,767; all with their range in `statement`.
BlockLayout CutBlock(std::string_view statement);

// Given an upper-cased statement that begins with "IF", returns the text of
// the expression its conditions select: the characters between the keywords,
// blanks and line breaks included. The block is cut into pieces by keyword
// search before any condition is tested. The result views `statement`.
// Failures: 5 for a missing THEN, ELSE or ENDIF (placed where it belongs);
// 9 for a 17th condition; 6 when a keyword position passes 32,767; and those
// of the conditions, all with their range in `statement`.
std::string_view SelectBranch(std::string_view statement, const VariableLookup& variables);

}  // namespace vornel
