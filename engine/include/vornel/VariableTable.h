#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

namespace vornel {

// One entry of the variable table. An empty name marks an empty slot.
struct VariableSlot {
    std::string name;
    double value = 0.0;
};

// The number of slots of a variable table, index 0 to 32.
inline constexpr int kVariableSlots = 33;

// The variables an expression can use, slot 0 to 32. Names are matched
// ignoring letter case; of two slots with the same name the lower index wins.
// A slot never stored reads as empty. Only the slots up to the highest one
// stored are ever set up, so a new table costs nothing to make.
class VariableTable {
public:
    VariableTable() noexcept {}
    VariableTable(const VariableTable& other);
    VariableTable& operator=(const VariableTable& other);
    ~VariableTable();

    // Slot `index` (below size()); an empty slot when it was never stored.
    const VariableSlot& operator[](std::size_t index) const noexcept {
        return index < m_used ? m_slots[index].slot : EmptySlot();
    }

    static constexpr std::size_t size() noexcept { return kVariableSlots; }

    // Walks all size() slots in order, empty ones included.
    class const_iterator {
    public:
        using value_type = VariableSlot;
        using difference_type = std::ptrdiff_t;
        using pointer = const VariableSlot*;
        using reference = const VariableSlot&;
        using iterator_category = std::forward_iterator_tag;

        const_iterator() noexcept = default;
        reference operator*() const noexcept { return (*m_table)[m_index]; }
        pointer operator->() const noexcept { return &(*m_table)[m_index]; }
        const_iterator& operator++() noexcept {
            ++m_index;
            return *this;
        }
        const_iterator operator++(int) noexcept {
            const_iterator before = *this;
            ++m_index;
            return before;
        }
        bool operator==(const const_iterator&) const noexcept = default;

    private:
        friend class VariableTable;
        const_iterator(const VariableTable* table, std::size_t index) noexcept
            : m_table(table), m_index(index) {}
        const VariableTable* m_table = nullptr;
        std::size_t m_index = 0;
    };
    const_iterator begin() const noexcept { return {this, 0}; }
    const_iterator end() const noexcept { return {this, size()}; }

    // The highest slot stored, plus one: every slot from there on is empty.
    std::size_t SlotsInUse() const noexcept { return m_used; }

    // Stores `name` (unchanged, taken over) and `value` in slot `index`, which must be
    // below size().
    void Store(std::size_t index, std::string&& name, double value);

    // One bit per slot (bit k for slot k): set when the slot's name holds a
    // byte outside ASCII.
    std::uint64_t NonAsciiNames() const noexcept { return m_nonAscii; }

private:
    static_assert(kVariableSlots <= 64, "one bit per slot");
    static const VariableSlot& EmptySlot() noexcept;

    // Raw storage: a slot is set up only when a slot at or above it is stored.
    union Storage {
        Storage() noexcept {}
        ~Storage() {}
        VariableSlot slot;
    };

    std::array<Storage, kVariableSlots> m_slots;
    std::size_t m_used = 0;
    std::uint64_t m_nonAscii = 0;
};

}  // namespace vornel
