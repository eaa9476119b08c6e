#include "VariableLookup.h"

namespace vornel {

VariableLookup::VariableLookup(const VariableTable& variables, std::size_t slotsInUse) {
    for (std::size_t s = 0; s < slotsInUse; ++s) {
        const VariableSlot& slot = variables[s];
        if (slot.name.empty()) {
            continue;  // an empty slot never matches
        }
        Entry& entry = m_entries[m_count];
        if (IsAscii(slot.name)) {
            entry.name = slot.name.data();
            entry.nameSize = slot.name.size();
        } else {
            const std::string& upper =
                *new (&m_upperNames[m_count].text) std::string(ToUpper(slot.name));
            m_upperNamesMade |= Bit(m_count);
            entry.name = upper.data();
            entry.nameSize = upper.size();
        }
        entry.value = slot.value;
        ++m_count;
    }
}

VariableLookup::~VariableLookup() {
    for (std::size_t k = 0; k < m_count; ++k) {
        if (m_upperNamesMade & Bit(k)) {
            m_upperNames[k].text.~basic_string();
        }
        if (m_textsMade & Bit(k)) {
            m_texts[k].text.~basic_string();
        }
    }
}

}  // namespace vornel
