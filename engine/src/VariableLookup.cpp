#include "VariableLookup.h"

#include <bit>
#include <charconv>

#include "NumberText.h"
#include "VariableStorage.h"

namespace vornel {

VariableLookup::VariableLookup(const VariableTable& variables, TextOrder textOrder)
    : m_table(variables), m_textOrder(textOrder) {
    for (std::uint64_t names = NonAsciiNames(); names != 0; names &= names - 1) {
        const auto k = static_cast<std::size_t>(std::countr_zero(names));
        new (&m_upperNames[k].text) std::string(ToUpper(m_table[k].name));
    }
}

void VariableLookup::MakeEntries() const {
    m_oneLetter.fill(-1);
    const std::size_t used = m_table.Data() != nullptr ? m_table.Data()->used : 0;
    for (std::size_t k = 0; k < used; ++k) {
        const std::string& name =
            (NonAsciiNames() & Bit(k)) ? m_upperNames[k].text : m_table[k].name;
        if (!name.empty()) {  // an empty slot never matches
            m_entries[m_entryCount++] = {name.data(), name.size(), static_cast<int>(k)};
        }
        if (name.size() == 1 && static_cast<unsigned char>(name[0]) < 0x80) {
            const char upper = AsciiUpper(name[0]);
            const char lower = upper >= 'A' && upper <= 'Z' ? static_cast<char>(upper + 32) : upper;
            for (const char c : {upper, lower}) {
                std::int8_t& slot = m_oneLetter[static_cast<unsigned char>(c)];
                if (slot < 0) {
                    slot = static_cast<std::int8_t>(k);  // the lowest slot wins
                }
            }
        }
    }
    m_entriesMade = true;
}

std::uint64_t VariableLookup::NonAsciiNames() const {
    return m_table.Data() != nullptr ? m_table.Data()->nonAscii : 0;
}

VariableLookup::~VariableLookup() {
    for (std::uint64_t names = NonAsciiNames(); names != 0; names &= names - 1) {
        m_upperNames[static_cast<std::size_t>(std::countr_zero(names))].text.~basic_string();
    }
    for (std::uint64_t texts = m_textsMade; texts != 0; texts &= texts - 1) {
        m_texts[static_cast<std::size_t>(std::countr_zero(texts))].text.~basic_string();
    }
}

}  // namespace vornel
