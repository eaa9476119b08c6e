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

std::uint32_t DigitCount(unsigned long long n) {
    std::uint32_t digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

}  // namespace

ReadValue ReadBack(double value) {
    if (IsWrittenWhole(value)) {
        const double whole = value + 0.0;  // without the sign of -0
        const auto magnitude = static_cast<unsigned long long>(whole < 0 ? -whole : whole);
        return {whole, DigitCount(magnitude) + (whole < 0 ? 1U : 0U), true};
    }
    const std::string text = NumberText(value);
    const auto size = static_cast<std::uint32_t>(text.size());
    try {
        return {ReadNumberToken(text), size, true};
    } catch (const EvaluationFailure&) {
        return {0, size, false};
    }
}

VariableTable::Storage::Storage(const Storage& other)
    : nonAscii(other.nonAscii),
      readValues(other.readValues),
      textSizes(other.textSizes),
      unreadable(other.unreadable),
      namesVersion(other.namesVersion) {
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

VariableTable::VariableTable() noexcept = default;
VariableTable::~VariableTable() = default;
VariableTable::VariableTable(VariableTable&& other) noexcept = default;
VariableTable& VariableTable::operator=(VariableTable&& other) noexcept = default;

VariableTable::VariableTable(const VariableTable& other)
    : m_storage(other.m_storage ? new Storage(*other.m_storage) : nullptr) {}

VariableTable& VariableTable::operator=(const VariableTable& other) {
    if (this != &other) {
        m_storage.reset(other.m_storage ? new Storage(*other.m_storage) : nullptr);
    }
    return *this;
}

const VariableSlot& VariableTable::operator[](std::size_t index) const noexcept {
    static const VariableSlot empty;
    return m_storage && index < m_storage->used ? m_storage->Slot(index) : empty;
}

void VariableTable::Store(std::size_t index, std::string&& name, double value) {
    if (!m_storage) {
        m_storage.reset(new Storage);
    }
    Storage& s = *m_storage;
    s.Use(index + 1);
    VariableSlot& slot = s.Slot(index);
    if (slot.name != name) {
        const std::uint64_t bit = std::uint64_t{1} << index;
        s.nonAscii = IsAscii(name) ? (s.nonAscii & ~bit) : (s.nonAscii | bit);
        slot.name = std::move(name);
        s.namesVersion = NewNamesVersion();
    }
    slot.value = value;
    const ReadValue read = ReadBack(value);
    s.readValues[index] = read.value;
    s.textSizes[index] = read.textSize;
    const std::uint64_t bit = std::uint64_t{1} << index;
    s.unreadable = read.readable ? (s.unreadable & ~bit) : (s.unreadable | bit);
}

}  // namespace vornel
