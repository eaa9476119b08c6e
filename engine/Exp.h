#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "MessageSink.h"

namespace vornel {

// One entry of the variable table. An empty name marks an empty slot.
struct VariableSlot {
    // Written out so that a new table sets only the members' own fields: the
    // implicit one zeroes every whole slot first, and a new Exp (one per
    // evaluation) spent most of its time doing that.
    VariableSlot() noexcept {}

    std::string name;
    double value = 0.0;
    // Derived when the slot is stored, so an evaluation never recomputes them:
    // the name upper-cased for matching, the value as number text.
    std::string matchName;
    std::string valueText = "0";
};

inline constexpr int kVariableSlots = 33;
using VariableTable = std::array<VariableSlot, kVariableSlots>;

// The calculating engine. Create one object per evaluation, store the
// variables with SetVariable, then call CalculateResult.
//
// Failures never cross this interface: they are shown through the MessageSink
// given to the constructor (which must outlive the object) and the call
// returns 0.
class Exp {
public:
    explicit Exp(MessageSink& messages);

    // Stores `name` (unchanged) and `value` in slot `index` (0 to 32) and
    // returns 1. An index above 32 shows "Max number is32" (no icon, no title)
    // and returns 0; a negative index shows a critical box titled
    // "Error Number-9" and returns 0. The table is unchanged when 0 is returned.
    std::int16_t SetVariable(std::int16_t index, std::string name, double value);

    // The highest valid slot index: always 32.
    std::int16_t MaxFactor() const { return kVariableSlots - 1; }

    // Evaluates an arithmetic expression or an If block over the stored
    // variables. On failure shows "Invalid Expression!" titled
    // "Error Number-N" (exclamation icon) and returns 0. The text is UTF-8.
    double CalculateResult(const std::string& expressionString);

    const VariableTable& Variables() const { return m_variables; }

private:
    MessageSink& m_messages;
    VariableTable m_variables;
};

}  // namespace vornel
