#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

#include <vornel/TextOrder.h>
#include <vornel/VariableTable.h>

#include "NumberText.h"
#include "Text.h"

namespace vornel {

// The variables one evaluation can reach: the slots in use, lowest index
// first. A name is matched as the engine reads names, upper-cased, and a
// value's number text is worked out the first time a text uses it, so
// variables a formula never names cost nothing. Lives no longer than the
// table it was made from; the texts it gives live as long as it does. It also
// carries the order in which conditions compare texts.
class VariableLookup {
public:
    // Implicit, so that a table can stand wherever a lookup is asked for.
    VariableLookup(const VariableTable& variables,  // NOLINT(google-explicit-constructor)
                   TextOrder textOrder = TextOrder::UserLocale);
    ~VariableLookup();

    // The table it looks up.
    const VariableTable& Table() const { return m_table; }

    // How conditions order texts.
    TextOrder GetTextOrder() const { return m_textOrder; }

    VariableLookup(const VariableLookup&) = delete;
    VariableLookup& operator=(const VariableLookup&) = delete;

    // The slot whose name, upper-cased, is `name` ignoring the case of A-Z
    // (names in an upper-cased text are plain ASCII), lowest slot first; -1
    // when none is.
    [[gnu::always_inline]] int Find(std::string_view name) const {
        if (m_entriesMade && name.size() == 1 && static_cast<unsigned char>(name[0]) < 0x80) {
            return m_oneLetter[static_cast<unsigned char>(name[0])];
        }
        return FindMade(name);
    }

    // Find, for a name of one ASCII character.
    [[gnu::always_inline]] int FindLetter(char c) const {
        if (m_entriesMade) {
            return m_oneLetter[static_cast<unsigned char>(c) & 0x7F];
        }
        return FindMade(std::string_view(&c, 1));
    }

    // The length of the name that Find matches to slot `entry` (bytes).
    std::size_t NameSize(int entry) const {
        const auto k = static_cast<std::size_t>(entry);
        return (NonAsciiNames() & Bit(k)) ? m_upperNames[k].text.size() : m_table[k].name.size();
    }

private:
    [[gnu::noinline]] int FindMade(std::string_view name) const {
        if (!m_entriesMade) {
            MakeEntries();
        }
        if (name.size() == 1 && static_cast<unsigned char>(name[0]) < 0x80) {
            return m_oneLetter[static_cast<unsigned char>(name[0])];
        }
        for (std::size_t k = 0; k < m_entryCount; ++k) {
            const Entry& entry = m_entries[k];
            if (entry.nameSize == name.size() &&
                (entry.name[0] | kAsciiCaseBit) == (name[0] | kAsciiCaseBit) &&
                EqualsIgnoringAsciiCase(std::string_view(entry.name, entry.nameSize), name)) {
                return entry.slot;
            }
        }
        return -1;
    }

public:
    // The value of slot `entry`.
    double Value(int entry) const { return m_table[static_cast<std::size_t>(entry)].value; }

    // The number text of slot `entry`'s value.
    std::string_view ValueText(int entry) const {
        const auto k = static_cast<std::size_t>(entry);
        if (!(m_textsMade & Bit(k))) {
            new (&m_texts[k].text) std::string(NumberText(Value(entry)));
            m_textsMade |= Bit(k);
        }
        return m_texts[k].text;
    }

private:
    std::uint64_t NonAsciiNames() const;
    static std::uint64_t Bit(std::size_t k) { return std::uint64_t{1} << k; }
    static char AsciiUpper(char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }

    // The slots with a name, in order, made at the first Find: a formula
    // without names never needs them.
    void MakeEntries() const;

    // Trivial, so that only the entries in use are ever written.
    struct Entry {
        const char* name;  // the slot's name if ASCII, else its upper case
        std::size_t nameSize;
        int slot;
    };

    // A text made only when needed: the storage is set up by hand.
    union LazyText {
        LazyText() {}
        ~LazyText() {}
        std::string text;
    };

    const VariableTable& m_table;
    TextOrder m_textOrder;
    mutable std::array<Entry, kVariableSlots> m_entries;
    mutable std::size_t m_entryCount = 0;
    // The slot of each one-character ASCII name, under both its cases, or
    // -1: a letter is found without being upper-cased first.
    mutable std::array<std::int8_t, 128> m_oneLetter;
    mutable bool m_entriesMade = false;
    // Names outside ASCII, upper-cased once: their upper case can be another
    // length, or ASCII ("ı" is "I").
    std::array<LazyText, kVariableSlots> m_upperNames;
    mutable std::array<LazyText, kVariableSlots> m_texts;
    mutable std::uint64_t m_textsMade = 0;
};

}  // namespace vornel
