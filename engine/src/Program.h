#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <vector>

#include <vornel/Outcome.h>

#include "Operations.h"

namespace vornel {

// The stacks of the arithmetic hold 256 entries, at positions 1 to 256; the
// variant inside conditions also uses position 0.
inline constexpr int kStackSize = 256;
inline constexpr int kRegisters = kStackSize + 1;

// What one step of a compiled arithmetic does. Registers are the positions
// of the evaluator's operand stack: the program is the evaluator's run with
// every position worked out in advance, so only the values are left to
// compute.
enum class Code : std::uint8_t {
    Constant,  // r[dst] = constant
    Variable,  // r[dst] = the value of slot `a` (fails when it does not read back)
    Binary,    // r[dst] = r[a] op r[b]
    Unary,     // r[dst] = op(r[dst])
    Fail,      // the evaluation fails here: number, cause
    Return,    // the value is r[a]
};

// Whether numbers and variables enter as whole numbers and ceil and floor
// keep to 16 bits: the arithmetic of a function call inside a condition.
enum class Whole : std::uint8_t { No, Yes };

// Where a step's failure is placed: bytes [begin, end) of the normalised text
// the program was compiled from.
struct Place {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
};

struct Step {
    Code code;
    OpKind op = OpKind::Other;
    failure::Number number = failure::kNone;  // Fail
    Cause cause = Cause::None;                // Fail
    std::int16_t dst = 0;
    std::int16_t a = 0;
    std::int16_t b = 0;
    std::uint16_t place = 0;  // into Program::places
    double constant = 0;
};

// The values a program reads: each variable's value as a formula sees it
// (its number text read back), and whether it reads back at all (a value
// whose text is beyond the range of a double does not).
struct SlotValues {
    const double* values;
    std::uint64_t unreadable;  // bit k: slot k does not read back
};

// What running a program gives: the value, or the failure and its place.
struct RunResult {
    double value = 0;
    failure::Number number = failure::kNone;
    Cause cause = Cause::None;
    Place place;
};

// One arithmetic compiled: the steps in the order the evaluator takes them.
struct Program {
    explicit Program(std::pmr::memory_resource* memory = std::pmr::get_default_resource())
        : steps(memory), places(memory) {}

    std::pmr::vector<Step> steps;
    std::pmr::vector<Place> places;
    int registers = 0;        // registers 0 to registers - 1 are used
    std::uint64_t slots = 0;  // bit k: the program reads slot k
    Whole whole = Whole::No;

    // The value, or the first failure with its place.
    [[nodiscard]] RunResult Run(const SlotValues& variables) const noexcept;
};

}  // namespace vornel
