#pragma once

#include <array>
#include <cstdint>
#include <memory_resource>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "VariableLookup.h"

#include "Failure.h"

namespace vornel {

// Removes white space (space, tab, CR, LF) and replaces every name that a
// variable slot holds (compared ignoring case, lowest slot first) by "(" +
// its number text + ")". Everything else passes through in order. The text
// must not reach the position limit: such a text fails with 6 before it is
// read.
std::string NormalizeExpression(std::string_view text, const VariableLookup& variables);

// Whether a text has 32,767 characters or more: read as a formula, it fails
// with 6 on its whole length.
bool ReachesPositionLimit(std::string_view text);

// What normalising a text for compiling tells beside its result; offsets in
// the text given.
class NormalizeObserver {
public:
    virtual void UnknownName(std::size_t begin, std::size_t end) = 0;
    virtual void JoinedNumbers(std::size_t begin, std::size_t end) = 0;
    virtual void Variable(int slot) = 0;

protected:
    ~NormalizeObserver() = default;
};

// The normalised text a formula is compiled from: NormalizeExpression's text
// with each variable marked (kVariableMark and its slot, two bytes standing
// for "(" + its number text + ")") rather than written out, and the way back
// from its bytes to the text it came from.
struct MarkedText {
    explicit MarkedText(std::pmr::memory_resource* memory) : text(memory), segments(memory) {}

    // A run of the text copied as it is from `source` on, or one variable's
    // mark, standing for the name [source, sourceEnd).
    struct Segment {
        std::uint32_t out;
        std::uint32_t source;
        std::uint32_t sourceEnd;
        bool variable;
    };

    std::pmr::string text;
    std::pmr::vector<Segment> segments;
    std::size_t chars = 0;  // characters, a mark counted as its two parentheses
    std::size_t marks = 0;
    std::array<std::uint16_t, kVariableSlots> occurrences{};  // marks of each slot
    std::size_t sourceSize = 0;

    // The range of the source text that the bytes [begin, end) come from: a
    // place inside a variable's mark is the variable's name; an empty range
    // lies right after the character before it.
    std::pair<std::size_t, std::size_t> Source(std::size_t begin, std::size_t end) const;
};

// Normalises `text` into `out` with its variables marked. Does not check the
// length: the caller does, with the values written out.
void NormalizeMarked(std::string_view text, const VariableLookup& variables, MarkedText& out,
                     NormalizeObserver* observer);

// Carries the range of a failure found in NormalizeExpression(text) back into
// `text`: a place inside a variable's value becomes the variable's name, and
// a text grown too long blames the variable whose value made it so. For the
// failure path only: it walks the text again.
void PlaceInSource(EvaluationFailure& fault, std::string_view text,
                   const VariableLookup& variables);

}  // namespace vornel
