#pragma once

#include <array>
#include <string>
#include <string_view>

#include "Failure.h"

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
    // Why the block cannot be cut, when it cannot (placed in `statement`).
    EvaluationFailure fault{failure::kNone};
};

// Cuts an upper-cased statement that begins with "IF" into its pieces by
// keyword search, testing nothing. Failures, in `fault`: 5 for a missing THEN, ELSE or
// ENDIF (placed where it belongs); 9 for a 17th condition; 6 when a keyword
// position passes 32,767; all with their range in `statement`.
BlockLayout CutBlock(std::string_view statement);

}  // namespace vornel
