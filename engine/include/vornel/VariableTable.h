#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

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
// A slot never stored reads as empty. A new table costs nothing to make: its
// storage is made at the first Store.
class VariableTable {
public:
    VariableTable() noexcept;
    VariableTable(const VariableTable& other);
    VariableTable& operator=(const VariableTable& other);
    VariableTable(VariableTable&& other) noexcept;
    VariableTable& operator=(VariableTable&& other) noexcept;
    ~VariableTable();

    // Slot `index` (below size()); an empty slot when it was never stored.
    [[nodiscard]] const VariableSlot& operator[](std::size_t index) const noexcept;

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

    // Stores a copy of `name` (unchanged) and `value` in slot `index`, which
    // must be below size(). Storing a new value under the name a slot already
    // holds, as a program that evaluates one formula many times does, copies
    // nothing and allocates nothing.
    //
    // Inline: once a slot has been stored again under the name it holds with
    // a whole value below 10^15, further such stores into it are done in the
    // caller. Such a value is kept as it is, and formulas read it as itself
    // (zero without its sign): nothing else about the slot changes. Every
    // other store goes through the library.
    void Store(std::size_t index, std::string_view name, double value) {
        double read = 0;
        if (Last::Key(index, name.size()) != m_last.key ||
            std::char_traits<char>::compare(name.data(), m_last.name, name.size()) != 0 ||
            !ReadsBackWhole(value, read)) [[unlikely]] {
            StoreOther(index, name, value);
            return;
        }
        *m_last.value = value;
        *m_last.read = read;
    }

    // Whether `value` is whole and below 10^15 in magnitude. Such a value is
    // written as its digits, and formulas read it as itself, zero without
    // its sign: then `read` is set to what they read.
    // Raises no floating-point flag.
    [[nodiscard]] static bool ReadsBackWhole(double value, double& read) noexcept {
        // Worked out on the value's bits alone, which keeps a store that
        // precedes every evaluation off the floating-point unit.
        const auto bits = std::bit_cast<std::uint64_t>(value);
        const std::uint64_t magnitude = bits << 1;  // without the sign bit
        // Not a number and the infinities compare above 10^15 too.
        constexpr std::uint64_t kLimit = std::bit_cast<std::uint64_t>(1e15) << 1;
        constexpr std::uint64_t kOne = std::bit_cast<std::uint64_t>(1.0) << 1;
        if (magnitude >= kLimit) {
            return false;
        }
        if (magnitude < kOne) {  // below 1, only a zero is whole
            read = 0;            // -0 becomes +0
            return magnitude == 0;
        }
        // From 1 to 10^15 the last 52 - e bits of the fraction lie below the
        // binary point, for the exponent e (0 to 49): they must be zero.
        constexpr int kBias = 1023;
        const int exponent = static_cast<int>(magnitude >> 53) - kBias;
        if ((bits << (12 + exponent)) != 0) {
            return false;
        }
        read = value;
        return true;
    }

    // The engine's own view of the table; its layout is private to the engine.
    // Null until something is stored.
    struct Storage;
    [[nodiscard]] const Storage* Data() const noexcept { return m_storage.get(); }
    // What a compiled formula reads of the table, in a layout private to the
    // engine: never null, also before anything is stored.
    [[nodiscard]] const void* Values() const noexcept { return m_values; }

private:
    // Store, for any store but the one done inline.
    void StoreOther(std::size_t index, std::string_view name, double value);
    // Makes slot `index` hold `name`, setting up the storage and the slots
    // below it when they are not yet.
    void Name(std::size_t index, std::string_view name);
    // Store in any case.
    void StoreAny(std::size_t index, std::string_view name, double value);

    // The slot last stored again under the name it held, with a whole value:
    // where the inline Store puts a value. Its name points into the storage,
    // which keeps that name until a store into the slot goes through the
    // library without a whole value under the same name, which forgets it.
    struct Last {
        // The slot and the length of its name as one number, compared at once.
        static constexpr int kSlotBits = 8;
        static constexpr std::size_t Key(std::size_t index, std::size_t size) noexcept {
            return size << kSlotBits | index;
        }
        static constexpr std::size_t SlotOf(std::size_t key) noexcept {
            return key & ((std::size_t{1} << kSlotBits) - 1);
        }
        std::size_t key = static_cast<std::size_t>(-1);  // none: no slot is 255
        const char* name = nullptr;
        double* value = nullptr;
        double* read = nullptr;
    };

    // Sets the storage, and m_values with it.
    void Keep(std::unique_ptr<Storage> storage) noexcept;

    std::unique_ptr<Storage> m_storage;
    const void* m_values;  // the storage's values, or those of an empty table
    Last m_last;
};

}  // namespace vornel
