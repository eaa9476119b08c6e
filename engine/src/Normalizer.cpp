#include "Normalizer.h"

#include "Failure.h"
#include "Text.h"

namespace vornel {

namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The slots that a name can match, lowest index first: an empty slot never
// matches, and most of the 33 are empty. Gathered once per text, so that each
// name is compared with the few slots in use only.
class UsedSlots {
public:
    explicit UsedSlots(const VariableTable& variables) {
        for (const auto& slot : variables) {
            if (!slot.matchName.empty()) {
                m_slots[m_count++] = &slot;
            }
        }
    }

    // The same answer as FindVariable.
    const VariableSlot* Find(std::string_view name) const {
        for (std::size_t k = 0; k < m_count; ++k) {
            const VariableSlot* slot = m_slots[k];
            if (slot->matchName.size() == name.size() &&
                EqualsIgnoringAsciiCase(slot->matchName, name)) {
                return slot;
            }
        }
        return nullptr;
    }

private:
    std::array<const VariableSlot*, kVariableSlots> m_slots;
    std::size_t m_count = 0;
};

}  // namespace

std::string MatchName(std::string_view name) {
    return ToUpper(name);
}

const VariableSlot* FindVariable(std::string_view name, const VariableTable& variables) {
    // Slot names are kept upper-cased in matchName, and names read from an
    // expression are plain ASCII, so folding A-Z is all the matching needs.
    for (const auto& slot : variables) {
        if (!slot.matchName.empty() && EqualsIgnoringAsciiCase(slot.matchName, name)) {
            return &slot;
        }
    }
    return nullptr;
}

std::string NormalizeExpression(std::string_view text, const VariableTable& variables) {
    if (text.size() >= kPositionLimit && CharCount(text) >= kPositionLimit) {
        Fail(EvaluationFailure::kOverflow);
    }
    const UsedSlots slots(variables);
    std::string out;
    out.reserve(text.size() + 16);
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (IsWhiteSpace(c)) {
            ++i;
            continue;
        }
        if (!IsNameStart(c)) {
            // Everything up to the next blank or name passes as it is.
            const std::size_t start = i;
            while (++i < text.size() && !IsWhiteSpace(text[i]) && !IsNameStart(text[i])) {
            }
            out += text.substr(start, i - start);
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && IsNameChar(text[i])) {
            ++i;
        }
        const std::string_view name = text.substr(start, i - start);
        if (const VariableSlot* slot = slots.Find(name)) {
            out += '(';
            out += slot->valueText;
            out += ')';
        } else {
            out += name;
        }
    }
    return out;
}

}  // namespace vornel
