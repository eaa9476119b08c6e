#include <vornel/VariableTable.h>

#include <atomic>
#include <new>
#include <utility>

#include "Failure.h"
#include "NumberText.h"
#include "Operations.h"
#include "Text.h"
#include "VariableStorage.h"

namespace vornel {

namespace {

// Every change of a name takes a number never used before, so that a formula
// can tell whether a table still holds the names it was compiled with.
std::uint64_t NewNamesVersion() {
    // Each thread takes numbers from a block of its own, so that storing a
    // name costs no atomic step.
    constexpr std::uint64_t kBlock = std::uint64_t{1} << 20;
    static std::atomic<std::uint64_t> blocks{0};
    thread_local std::uint64_t next = 0;
    thread_local std::uint64_t end = 0;
    if (next == end) {
        next = (blocks.fetch_add(1, std::memory_order_relaxed) + 1) * kBlock;
        end = next + kBlock;
    }
    return next++;
}

// Most names are short and stored again unchanged with a new value.
bool SameName(const std::string& a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (a[k] != b[k]) {
            return false;
        }
    }
    return true;
}

}  // namespace

VariableTable::Storage::Storage(const Storage& other)
    : VariableValues(other), nonAscii(other.nonAscii) {
    for (; used < other.used; ++used) {
        new (&slots[used].slot) VariableSlot(other.Slot(used));
    }
}

VariableTable::Storage::~Storage() {
    for (std::size_t k = 0; k < used; ++k) {
        slots[k].slot.~VariableSlot();
    }
}

void VariableTable::Storage::Use(std::size_t count) {
    for (; used < count; ++used) {
        new (&slots[used].slot) VariableSlot();
    }
}

constinit const VariableValues kNoVariables{};

VariableTable::VariableTable() noexcept : m_values(&kNoVariables) {}
VariableTable::~VariableTable() = default;

void VariableTable::Keep(std::unique_ptr<Storage> storage) noexcept {
    m_storage = std::move(storage);
    m_values = m_storage ? static_cast<const VariableValues*>(m_storage.get()) : &kNoVariables;
}

// The storage moves with its pointer, so what was stored last stays where it
// was; the table moved from has none.
VariableTable::VariableTable(VariableTable&& other) noexcept : VariableTable() {
    *this = std::move(other);
}

VariableTable& VariableTable::operator=(VariableTable&& other) noexcept {
    if (this != &other) {
        Keep(std::move(other.m_storage));
        other.Keep(nullptr);
        m_last = std::exchange(other.m_last, Last{});
    }
    return *this;
}

VariableTable::VariableTable(const VariableTable& other) : VariableTable() {
    *this = other;
}

VariableTable& VariableTable::operator=(const VariableTable& other) {
    if (this != &other) {
        Keep(other.m_storage ? std::make_unique<Storage>(*other.m_storage) : nullptr);
        m_last = Last{};
    }
    return *this;
}

const VariableSlot& VariableTable::operator[](std::size_t index) const noexcept {
    static const VariableSlot empty;
    return m_storage && index < m_storage->used ? m_storage->Slot(index) : empty;
}

void VariableTable::StoreOther(std::size_t index, std::string_view name, double value) {
    // A whole value under the name the slot holds calls nothing. Such a value
    // reads back as itself (zero without its sign), written as its digits.
    // The slot is then remembered, to be stored inline from now on.
    Storage* s = m_storage.get();
    double read = 0;
    if (s == nullptr || index >= s->used || !ReadsBackWhole(value, read) ||
        !SameName(s->Slot(index).name, name)) [[unlikely]] {
        if (index == Last::SlotOf(m_last.key)) {
            m_last = Last{};  // its name or the way it reads back may change
        }
        return StoreAny(index, name, value);
    }
    s->Slot(index).value = value;
    s->readValues[index] = read;
    s->unreadable &= ~(std::uint64_t{1} << index);
    const std::string& stored = s->Slot(index).name;
    m_last = Last{Last::Key(index, stored.size()), stored.data(), &s->Slot(index).value,
                  &s->readValues[index]};
}

void VariableTable::StoreAny(std::size_t index, std::string_view name, double value) {
    Name(index, name);
    Storage& s = *m_storage;
    s.Slot(index).value = value;
    s.Read(index, ReadBack(value));
}

void VariableTable::Name(std::size_t index, std::string_view name) {
    if (!m_storage) {
        Keep(std::make_unique<Storage>());
    }
    Storage& s = *m_storage;
    s.Use(index + 1);
    VariableSlot& slot = s.Slot(index);
    if (!SameName(slot.name, name)) {
        const std::uint64_t bit = std::uint64_t{1} << index;
        s.nonAscii = IsAscii(name) ? (s.nonAscii & ~bit) : (s.nonAscii | bit);
        slot.name = name;
        s.namesVersion = NewNamesVersion();
    }
}

}  // namespace vornel
