#pragma once

#include <array>
#include <string>

namespace vornel {

// One entry of the variable table. An empty name marks an empty slot.
struct VariableSlot {
    // Written out so that a new table sets only the members' own fields: the
    // implicit one zeroes every whole slot first, and a new Exp (one per
    // evaluation) spent most of its time doing that.
    VariableSlot() noexcept {}

    std::string name;
    double value = 0.0;
};

// The number of slots of a variable table, index 0 to 32.
inline constexpr int kVariableSlots = 33;

// The variables an expression can use. Names are matched ignoring letter case;
// of two slots with the same name the lower index wins.
using VariableTable = std::array<VariableSlot, kVariableSlots>;

}  // namespace vornel
