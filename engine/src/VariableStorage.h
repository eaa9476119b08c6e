#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include <vornel/VariableTable.h>

#include "NumberText.h"

namespace vornel {

// What an evaluation reads of the variables, apart from the names: kept
// together at the start of the storage, in a layout the machine code made
// for a formula knows (see MachineCode.h).
struct VariableValues {
    std::uint64_t namesVersion = 0;  // changes whenever a name does
    std::uint64_t unreadable = 0;    // bit k: slot k's number text is beyond a double
    // Not a number where slot k does not read back.
    std::array<double, kVariableSlots> readValues{};
};

// The values of a table that holds nothing.
extern const VariableValues kNoVariables;

// What evaluations read of `table` (kNoVariables when it holds nothing).
inline const VariableValues& StoredValues(const VariableTable& table) noexcept {
    return *static_cast<const VariableValues*>(table.Values());
}

// What the engine keeps of each variable. Besides the name and the value as
// stored, a value is kept as formulas read it: its number text (15
// significant digits), read back as a number. That is worked out once, when
// the value is stored, not at every evaluation.
struct VariableTable::Storage : VariableValues {
    Storage() noexcept {}
    Storage(const Storage& other);
    Storage& operator=(const Storage&) = delete;
    ~Storage();

    // Slot k, for k below `used`.
    VariableSlot& Slot(std::size_t k) noexcept { return slots[k].slot; }
    const VariableSlot& Slot(std::size_t k) const noexcept { return slots[k].slot; }
    // Sets up the slots below `count` that are not yet.
    void Use(std::size_t count);
    // Keeps slot k's value as formulas read it. A value that does not read
    // back is kept as not a number, which any arithmetic on it passes on.
    void Read(std::size_t k, const ReadValue& read) noexcept {
        readValues[k] = read.readable ? read.value : std::numeric_limits<double>::quiet_NaN();
        const std::uint64_t bit = std::uint64_t{1} << k;
        unreadable = read.readable ? (unreadable & ~bit) : (unreadable | bit);
    }

    // A slot is set up only when a slot at or above it is stored: a table
    // with a few variables does not pay for all 33.
    union Lazy {
        Lazy() noexcept {}
        ~Lazy() {}
        VariableSlot slot;
    };
    std::array<Lazy, kVariableSlots> slots;
    std::size_t used = 0;        // the highest slot stored, plus one
    std::uint64_t nonAscii = 0;  // bit k: slot k's name holds a byte outside ASCII
};

// The names a table holds, as one number: two tables with the same number
// hold the same names in the same slots. An empty table gives 0.
inline std::uint64_t NamesVersion(const VariableTable& table) {
    return StoredValues(table).namesVersion;
}

}  // namespace vornel
