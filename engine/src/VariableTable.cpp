#include <vornel/VariableTable.h>

#include <atomic>
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
    static std::atomic<std::uint64_t> last{0};
    return ++last;
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

VariableTable::VariableTable() noexcept = default;
VariableTable::~VariableTable() = default;
VariableTable::VariableTable(VariableTable&& other) noexcept = default;
VariableTable& VariableTable::operator=(VariableTable&& other) noexcept = default;

VariableTable::VariableTable(const VariableTable& other)
    : m_storage(other.m_storage ? std::make_unique<Storage>(*other.m_storage) : nullptr) {}

VariableTable& VariableTable::operator=(const VariableTable& other) {
    if (this != &other) {
        m_storage = other.m_storage ? std::make_unique<Storage>(*other.m_storage) : nullptr;
    }
    return *this;
}

const VariableSlot& VariableTable::operator[](std::size_t index) const noexcept {
    static const VariableSlot empty;
    return m_storage && index < m_storage->used ? m_storage->slots[index] : empty;
}

void VariableTable::Store(std::size_t index, std::string&& name, double value) {
    if (!m_storage) {
        m_storage = std::make_unique<Storage>();
    }
    Storage& s = *m_storage;
    VariableSlot& slot = s.slots[index];
    if (index >= s.used || slot.name != name) {
        const std::uint64_t bit = std::uint64_t{1} << index;
        s.nonAscii = IsAscii(name) ? (s.nonAscii & ~bit) : (s.nonAscii | bit);
        slot.name = std::move(name);
        s.namesVersion = NewNamesVersion();
        s.used = std::max(s.used, index + 1);
    }
    slot.value = value;
    const ReadValue read = ReadBack(value);
    s.readValues[index] = read.value;
    s.textSizes[index] = read.textSize;
    const std::uint64_t bit = std::uint64_t{1} << index;
    s.unreadable = read.readable ? (s.unreadable & ~bit) : (s.unreadable | bit);
}

}  // namespace vornel
