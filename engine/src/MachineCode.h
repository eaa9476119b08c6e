#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <vector>

namespace vornel {

// Scalar double arithmetic written as x86-64 instructions while a formula is
// compiled, then run as a function. Only + - * / on values in memory and in
// two processor registers are written: nothing that can branch, call, or
// reach memory other than the three arrays the function is given.
class MachineCode {
public:
    // The function: `values` are the variables' read values, `constants` the
    // numbers of the formula, `registers` the scratch memory of the steps.
    // It returns the value it worked out.
    using Entry = double (*)(const double* values, const double* constants, double* registers);

    // Whether this build and processor can run such code at all.
    static bool Supported() noexcept;

    // The three arrays a function reads, and its two processor registers.
    enum class Base : std::uint8_t { Values, Constants, Registers };
    enum class Op : std::uint8_t { Plus, Minus, Times, Divide };

    // Writing a function, instruction by instruction.
    class Writer {
    public:
        explicit Writer(std::pmr::memory_resource* memory) : m_bytes(memory) {}
        // xmm `to` = base[index]
        void Load(int to, Base base, std::uint16_t index);
        // base[index] = xmm `from`
        void Store(Base base, std::uint16_t index, int from);
        // xmm `to` = xmm `from`
        void Move(int to, int from);
        // xmm `to` = xmm `to` op base[index]
        void Apply(Op op, int to, Base base, std::uint16_t index);
        // xmm `to` = xmm `to` op xmm `from`
        void Apply(Op op, int to, int from);
        // Returns xmm 0.
        void Return();

        const std::pmr::vector<std::uint8_t>& Bytes() const noexcept { return m_bytes; }

    private:
        void Memory(std::uint8_t prefix, std::uint8_t opcode, int xmm, Base base,
                    std::uint16_t index);
        std::pmr::vector<std::uint8_t> m_bytes;
    };

    // The written function made runnable: in memory of its own that can be
    // run and no longer written. Empty when the system refuses such memory.
    static std::shared_ptr<const MachineCode> Load(const Writer& writer);

    MachineCode(const MachineCode&) = delete;
    MachineCode& operator=(const MachineCode&) = delete;
    ~MachineCode();

    Entry Function() const noexcept { return m_entry; }

private:
    MachineCode(void* memory, std::size_t size) noexcept;

    void* m_memory;
    std::size_t m_size;
    Entry m_entry;
};

}  // namespace vornel
