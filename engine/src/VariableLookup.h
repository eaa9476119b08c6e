#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <vornel/VariableTable.h>

#include "NumberText.h"
#include "Text.h"

namespace vornel {

// The variables one evaluation can reach: the slots in use, lowest index
// first. A name is matched as the engine reads names, upper-cased, and a
// value's number text is worked out the first time a text uses it, so
// variables a formula never names cost nothing. Lives no longer than the
// table it was made from; the texts it gives live as long as it does.
class VariableLookup {
public:
    // Implicit, so that a table can stand wherever a lookup is asked for.
    VariableLookup(const VariableTable& variables);  // NOLINT(google-explicit-constructor)

    VariableLookup(const VariableLookup&) = delete;
    VariableLookup& operator=(const VariableLookup&) = delete;

    // The entry whose name, upper-cased, is `name` (plain ASCII, as names in
    // an upper-cased text are), lowest slot first; -1 when none is.
    int Find(std::string_view name) const {
        for (std::size_t k = 0; k < m_count; ++k) {
            const std::string_view candidate = m_names[k];
            if (candidate.size() == name.size() && EqualsIgnoringAsciiCase(candidate, name)) {
                return static_cast<int>(k);
            }
        }
        return -1;
    }

    // The number text of entry `entry`'s value.
    std::string_view ValueText(int entry) const {
        std::optional<std::string>& text = m_valueTexts[static_cast<std::size_t>(entry)];
        if (!text) {
            text = NumberText(m_values[static_cast<std::size_t>(entry)]);
        }
        return *text;
    }

private:
    // The names as they are matched: the slot's own name when it is ASCII
    // (matching ignores the case of A-Z), else its upper case.
    std::array<std::string_view, kVariableSlots> m_names;
    std::array<double, kVariableSlots> m_values;
    std::size_t m_count = 0;
    // Names outside ASCII, upper-cased once: their upper case can be another
    // length, or ASCII ("ı" is "I").
    std::array<std::optional<std::string>, kVariableSlots> m_upperNames;
    mutable std::array<std::optional<std::string>, kVariableSlots> m_valueTexts;
};

}  // namespace vornel
