#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <vornel/TextOrder.h>

#include "Failure.h"

namespace vornel {

// Keeps the texts that reductions make for as long as one condition is being
// decided, so that values can travel as views. A kept text never moves. The
// texts are written one after another into the arena's own buffer, which
// holds those of any condition of ordinary length; beyond it, into blocks of
// their own.
class ValueArena {
public:
    ValueArena() = default;
    ValueArena(const ValueArena&) = delete;
    ValueArena& operator=(const ValueArena&) = delete;

    std::string_view Keep(std::string_view text);
    // `left` followed by `right`. Where `left` is the text kept last, as in a
    // chain of joins, `right` is written on after it.
    std::string_view Join(std::string_view left, std::string_view right);
    std::string_view KeepNumberText(double value);

private:
    // Room for `size` characters at the top.
    char* Take(std::size_t size);

    std::array<char, 4096> m_buffer;
    char* m_top = m_buffer.data();
    char* m_end = m_buffer.data() + m_buffer.size();
    std::vector<std::unique_ptr<char[]>> m_blocks;
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

// The three-way comparison of two numbers: -1, 0 or 1. A pair neither below
// nor above the other is equal.
inline int NumberOrder(double a, double b) {
    return static_cast<int>(a > b) - static_cast<int>(a < b);
}

// Whether a three-way comparison's result (negative, zero, positive) stands
// in the relation of comparison production `production` (7 to 12 between
// numbers, 15 to 20 between texts: >, <, =, >=, <=, <> in that order).
bool ComparisonHolds(int order, int production);

// Whether texts `a` and `b`, compared ignoring case in `order`, stand in the
// relation of text comparison production `production` (15 to 20).
bool TextsHold(std::string_view a, std::string_view b, int production, TextOrder order);

}  // namespace vornel
