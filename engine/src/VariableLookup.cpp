#include "VariableLookup.h"

#include <algorithm>

namespace vornel {

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

VariableLookup::VariableLookup(const VariableTable& variables) {
    for (const auto& slot : variables) {
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
