#include <vornel/VariableTable.h>

#include <new>
#include <utility>

#include "Text.h"

namespace vornel {

VariableTable::VariableTable(const VariableTable& other)
    : m_used(other.m_used), m_nonAscii(other.m_nonAscii) {
    for (std::size_t k = 0; k < m_used; ++k) {
        new (&m_slots[k].slot) VariableSlot(other.m_slots[k].slot);
    }
}

VariableTable& VariableTable::operator=(const VariableTable& other) {
    for (std::size_t k = 0; k < other.m_used; ++k) {
        Store(k, std::string(other.m_slots[k].slot.name), other.m_slots[k].slot.value);
    }
    for (std::size_t k = other.m_used; k < m_used; ++k) {
        m_slots[k].slot = VariableSlot{};
    }
    m_nonAscii = other.m_nonAscii;
    return *this;
}

VariableTable::~VariableTable() {
    for (std::size_t k = 0; k < m_used; ++k) {
        m_slots[k].slot.~VariableSlot();
    }
}

const VariableSlot& VariableTable::EmptySlot() noexcept {
    static const VariableSlot empty;
    return empty;
}

void VariableTable::Store(std::size_t index, std::string&& name, double value) {
    const std::uint64_t bit = std::uint64_t{1} << index;
    m_nonAscii = IsAscii(name) ? (m_nonAscii & ~bit) : (m_nonAscii | bit);
    if (index < m_used) {
        VariableSlot& slot = m_slots[index].slot;
        slot.name = std::move(name);
        slot.value = value;
        return;
    }
    for (; m_used < index; ++m_used) {
        new (&m_slots[m_used].slot) VariableSlot();
    }
    // A short name is copied: its characters live in the string itself, and
    // moving them costs more than constructing them afresh.
    new (&m_slots[index].slot) VariableSlot{
        name.size() < 16 ? std::string(name.data(), name.size()) : std::move(name), value};
    ++m_used;
}

}  // namespace vornel
