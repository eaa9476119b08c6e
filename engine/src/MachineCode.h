#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <memory_resource>
#include <utility>
#include <vector>

namespace vornel {

// Scalar double arithmetic written as x86-64 instructions while a formula is
// compiled, then run as a function. Only + - * / on values in memory and in
// two processor registers are written, with the checks around them: nothing
// that calls, loops, or reaches memory other than the variables it is given,
// its own numbers and its own stack.
class MachineCode {
public:
    // The function: given the variables (never null), the value it works
    // out, or not a number when a check fails.
    using Entry = double (*)(const void* variables);

    // Whether this build and system can run such code at all.
    static bool Supported() noexcept;

    // Where an operand is: the variables' values, the function's own numbers,
    // or its scratch memory, each counted in doubles.
    enum class Base : std::uint8_t { Values, Constants, Registers };
    enum class Op : std::uint8_t { Plus, Minus, Times, Divide };

    // Where the function finds what it checks and reads, in bytes from the
    // start of the variables, and what it checks.
    struct Layout {
        std::uint32_t versionAt = 0;  // a 64-bit number that must be `version`
        std::uint64_t version = 0;
        std::uint32_t maskAt = 0;    // a 64-bit number: see Begin
        std::uint32_t valuesAt = 0;  // the values, doubles one after another
    };

    // Writing a function, instruction by instruction: Begin, the steps, End.
    class Writer {
    public:
        Writer(const Layout& layout, const std::pmr::vector<double>& constants);

        // The checks of the variables (the version; no bit of `mask` set in
        // the number at maskAt, unless `mask` is 0), then room for
        // `registers` doubles of scratch memory.
        void Begin(std::uint64_t mask, int registers);
        // xmm `to` = base[index]
        void Load(int to, Base base, std::uint16_t index);
        // base[index] = xmm `from` (Registers only)
        void Store(Base base, std::uint16_t index, int from);
        // xmm `to` = xmm `from`
        void Move(int to, int from);
        // xmm `to` = xmm `to` op base[index]
        void Apply(Op op, int to, Base base, std::uint16_t index);
        // xmm `to` = xmm `to` op xmm `from`
        void Apply(Op op, int to, int from);
        // Returns xmm 0; with `checkFinite`, not a number instead when xmm 0
        // is not finite.
        void End(bool checkFinite);

        // Where the function starts in Bytes().
        std::size_t Entry() const noexcept { return m_entry; }

        const std::pmr::vector<std::uint8_t>& Bytes() const noexcept { return m_bytes; }

    private:
        void Memory(std::uint8_t opcode, int xmm, Base base, std::uint16_t index);
        void Bytes(std::initializer_list<std::uint8_t> bytes);
        void Number(std::uint64_t value, int size);
        // A jump back to the function's failure, which comes before it, on
        // `condition` (the low four bits of the conditional jump's opcode).
        void JumpToFailure(std::uint8_t condition);

        const Layout m_layout;
        const std::pmr::vector<double>& m_constants;
        std::uint32_t m_frame = 0;  // bytes of scratch memory
        std::pmr::vector<std::uint8_t> m_bytes;
        std::size_t m_entry = 0;
        // Places of 32-bit displacements to a number, yet to be written.
        std::pmr::vector<std::pair<std::size_t, std::uint16_t>> m_numbers;
    };

    // The written function made runnable: in memory of its own that can be
    // run and no longer written. Null when the system refuses such memory.
    static std::shared_ptr<const MachineCode> Load(const Writer& writer);

    MachineCode(const MachineCode&) = delete;
    MachineCode& operator=(const MachineCode&) = delete;
    ~MachineCode();

    Entry Function() const noexcept { return m_entry; }

private:
    MachineCode(void* memory, std::size_t size, std::size_t entry) noexcept;

    void* m_memory;
    std::size_t m_size;
    Entry m_entry;
};

}  // namespace vornel
