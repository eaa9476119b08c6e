#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include <vornel/TextOrder.h>

#include "Failure.h"

namespace vornel {

// Keeps the texts that reductions make for as long as one condition is being
// decided, so that values can travel as views. A kept text never moves. The
// first few are kept without an allocation of the arena's own.
class ValueArena {
public:
    std::string_view Keep(std::string text) {
        if (m_used < m_first.size()) {
            return m_first[m_used++] = std::move(text);
        }
        if (!m_more) {
            m_more.emplace();
        }
        return m_more->emplace_back(std::move(text));
    }

private:
    std::array<std::string, 4> m_first;
    std::size_t m_used{};
    std::optional<std::deque<std::string>> m_more;
};

// The value of the nonterminal that production `production` (1 to 32) makes
// from the values of its handle, lowest stack position first (`middle` and
// `right` are read only by three-symbol productions): "TRUE" or "FALSE" for a
// truth value, number text for a number, the joined text for a
// concatenation, the inner value for a parenthesised production. Operands
// are read trimmed of spaces and upper-cased; a comparison or an arithmetic
// production reads its left operand before its right one, and texts compare
// in `order`. A text the
// reduction makes is kept in `arena`; otherwise the result views one of the
// operands or a constant. Failures, in `fault` (unplaced): 13 when a number
// is needed and an operand is not one, 6 when it is beyond a double, and
// those of the arithmetic operations.
std::string_view EvaluateReduction(std::string_view left, std::string_view middle,
                                   std::string_view right, int production, TextOrder order,
                                   ValueArena& arena, EvaluationFailure& fault);

// Whether a three-way comparison's result (negative, zero, positive) stands
// in the relation of comparison production `production` (7 to 12 between
// numbers, 15 to 20 between texts: >, <, =, >=, <=, <> in that order).
bool ComparisonHolds(int order, int production);

// a relation b, for relation ">", "<", "=", "<>", ">=" or "<=" (any other text
// is false). Doubles compare exactly; texts ignoring case, in `order`.
bool CompareValues(double a, double b, std::string_view relation);
bool CompareValues(std::string_view a, std::string_view b, std::string_view relation,
                   TextOrder order);

}  // namespace vornel
