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
        if (IsAscii(slot.name)) {
            m_names[m_count] = slot.name;
        } else {
            m_names[m_count] = m_upperNames[m_count].emplace(ToUpper(slot.name));
        }
        m_values[m_count++] = slot.value;
    }
}

}  // namespace vornel
