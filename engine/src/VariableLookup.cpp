#include "VariableLookup.h"

#include <bit>
#include <charconv>

#include "ArithmeticEvaluator.h"
#include "NumberText.h"

namespace vornel {

VariableLookup::VariableLookup(const VariableTable& variables, TextOrder textOrder)
    : m_table(variables), m_textOrder(textOrder) {
    for (std::uint64_t names = m_table.NonAsciiNames(); names != 0; names &= names - 1) {
        const auto k = static_cast<std::size_t>(std::countr_zero(names));
        new (&m_upperNames[k].text) std::string(ToUpper(m_table[k].name));
    }
}

void VariableLookup::MakeEntries() const {
    m_oneLetter.fill(-1);
    for (std::size_t k = 0; k < m_table.SlotsInUse(); ++k) {
        const std::string& name =
            (m_table.NonAsciiNames() & Bit(k)) ? m_upperNames[k].text : m_table[k].name;
        if (!name.empty()) {  // an empty slot never matches
            m_entries[m_entryCount++] = {name.data(), name.size(), static_cast<int>(k)};
        }
        if (name.size() == 1 && static_cast<unsigned char>(name[0]) < 0x80) {
            std::int8_t& slot = m_oneLetter[static_cast<unsigned char>(AsciiUpper(name[0]))];
            if (slot < 0) {
                slot = static_cast<std::int8_t>(k);  // the lowest slot wins
            }
        }
    }
    m_entriesMade = true;
}

void VariableLookup::CheckMark(std::size_t k) const {
    const double whole = m_table[k].value;
    if (IsWrittenWhole(whole)) {
        char digits[24];
        const auto written =
            std::to_chars(digits, digits + sizeof digits, static_cast<long long>(whole));
        m_markValues[k] = whole + 0.0;
        m_markTextSizes[k] = static_cast<std::size_t>(written.ptr - digits);
        m_markable |= Bit(k);
    } else {
        const std::string_view text = ValueText(static_cast<int>(k));
        if (const auto value = ReadWholeNumber(text)) {
            m_markValues[k] = *value;
            m_markTextSizes[k] = text.size();
            m_markable |= Bit(k);
        }
    }
    m_marksChecked |= Bit(k);
}

VariableLookup::~VariableLookup() {
    for (std::uint64_t names = m_table.NonAsciiNames(); names != 0; names &= names - 1) {
        m_upperNames[static_cast<std::size_t>(std::countr_zero(names))].text.~basic_string();
    }
    for (std::uint64_t texts = m_textsMade; texts != 0; texts &= texts - 1) {
        m_texts[static_cast<std::size_t>(std::countr_zero(texts))].text.~basic_string();
    }
}

}  // namespace vornel
