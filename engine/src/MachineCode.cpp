#include "MachineCode.h"

#include <cstring>
#include <new>

#if defined(__x86_64__) && defined(_WIN32)
#define VORNEL_MACHINE_CODE 1
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#elif defined(__x86_64__) && defined(__linux__)
#define VORNEL_MACHINE_CODE 1
#include <sys/mman.h>
#endif

namespace vornel {

namespace {

// The general register that passes a function's first argument.
#if defined(_WIN32)
constexpr int kArgument = 1;  // rcx
#else
constexpr int kArgument = 7;  // rdi
#endif

// The second opcode byte of addsd, subsd, mulsd and divsd.
constexpr std::uint8_t kOpcode[] = {0x58, 0x5C, 0x59, 0x5E};

constexpr std::uint8_t kLoad = 0x10;   // movsd xmm, m64
constexpr std::uint8_t kStore = 0x11;  // movsd m64, xmm
// The conditions of jumps.
constexpr std::uint8_t kIfNotEqual = 0x5;
constexpr std::uint8_t kIfUnordered = 0xA;  // parity: a comparison with not a number

void* Allocate(std::size_t size) {
#if defined(VORNEL_MACHINE_CODE) && defined(_WIN32)
    return VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
#elif defined(VORNEL_MACHINE_CODE)
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return memory == MAP_FAILED ? nullptr : memory;
#else
    (void)size;
    return nullptr;
#endif
}

// Makes the memory runnable and no longer writable.
bool Seal(void* memory, std::size_t size) {
#if defined(VORNEL_MACHINE_CODE) && defined(_WIN32)
    DWORD before = 0;
    return VirtualProtect(memory, size, PAGE_EXECUTE_READ, &before) != 0 &&
           FlushInstructionCache(GetCurrentProcess(), memory, size) != 0;
#elif defined(VORNEL_MACHINE_CODE)
    return mprotect(memory, size, PROT_READ | PROT_EXEC) == 0;
#else
    (void)memory;
    (void)size;
    return false;
#endif
}

void Free(void* memory, std::size_t size) {
#if defined(VORNEL_MACHINE_CODE) && defined(_WIN32)
    (void)size;
    VirtualFree(memory, 0, MEM_RELEASE);
#elif defined(VORNEL_MACHINE_CODE)
    munmap(memory, size);
#else
    (void)memory;
    (void)size;
#endif
}

}  // namespace

bool MachineCode::Supported() noexcept {
#if defined(VORNEL_MACHINE_CODE)
    return true;
#else
    return false;
#endif
}

MachineCode::Writer::Writer(const Layout& layout, const std::pmr::vector<double>& constants)
    : m_layout(layout),
      m_constants(constants),
      m_bytes(constants.get_allocator()),
      m_numbers(constants.get_allocator()) {
    // The failure comes first, so that every jump to it goes back by a
    // distance known when the jump is written: pcmpeqd xmm0, xmm0 (not a
    // number); ret.
    Bytes({0x66, 0x0F, 0x76, 0xC0, 0xC3});
    m_entry = m_bytes.size();
}

void MachineCode::Writer::Bytes(std::initializer_list<std::uint8_t> bytes) {
    m_bytes.insert(m_bytes.end(), bytes);
}

// `size` bytes of `value`, lowest first.
void MachineCode::Writer::Number(std::uint64_t value, int size) {
    for (int k = 0; k < size; ++k) {
        m_bytes.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
    }
}

void MachineCode::Writer::JumpToFailure(std::uint8_t condition) {
    // The distance counts from the end of the jump: two bytes when it fits
    // in one, six otherwise.
    const auto back = static_cast<std::int64_t>(m_bytes.size());
    if (back + 2 <= 128) {
        Bytes(
            {static_cast<std::uint8_t>(0x70 | condition), static_cast<std::uint8_t>(-(back + 2))});
    } else {
        Bytes({0x0F, static_cast<std::uint8_t>(0x80 | condition)});
        Number(static_cast<std::uint64_t>(-(back + 6)), 4);
    }
}

void MachineCode::Writer::Begin(std::uint64_t mask, int registers) {
    constexpr auto arg = static_cast<std::uint8_t>(kArgument);
    if (m_layout.version <= 0x7FFFFFFF) {
        // cmp qword [arg + versionAt], version (a 32-bit number, widened)
        Bytes({0x48, 0x81, static_cast<std::uint8_t>(0xB8 | arg)});
        Number(m_layout.versionAt, 4);
        Number(m_layout.version, 4);
    } else {
        // mov rax, version; cmp [arg + versionAt], rax
        Bytes({0x48, 0xB8});
        Number(m_layout.version, 8);
        Bytes({0x48, 0x39, static_cast<std::uint8_t>(0x80 | arg)});
        Number(m_layout.versionAt, 4);
    }
    JumpToFailure(kIfNotEqual);
    if (mask != 0) {
        // mov rax, mask; test [arg + maskAt], rax
        Bytes({0x48, 0xB8});
        Number(mask, 8);
        Bytes({0x48, 0x85, static_cast<std::uint8_t>(0x80 | arg)});
        Number(m_layout.maskAt, 4);
        JumpToFailure(kIfNotEqual);
    }
    if (registers > 0) {
        m_frame = static_cast<std::uint32_t>(registers) * sizeof(double);
        Bytes({0x48, 0x81, 0xEC});  // sub rsp, frame
        Number(m_frame, 4);
    }
}

// An sd instruction on xmm `xmm` and base[index]: the variables' values are
// reached from the argument, the scratch memory from the stack pointer, and
// the numbers from the instruction itself (they follow the code).
void MachineCode::Writer::Memory(std::uint8_t opcode, int xmm, Base base, std::uint16_t index) {
    Bytes({0xF2, 0x0F, opcode});
    const auto reg = static_cast<std::uint8_t>(xmm << 3);
    switch (base) {
        case Base::Values:
            m_bytes.push_back(static_cast<std::uint8_t>(0x80 | reg | kArgument));
            Number(m_layout.valuesAt + std::uint32_t{index} * sizeof(double), 4);
            break;
        case Base::Registers:
            Bytes({static_cast<std::uint8_t>(0x84 | reg), 0x24});  // [rsp + disp32]
            Number(std::uint32_t{index} * sizeof(double), 4);
            break;
        case Base::Constants:
            m_bytes.push_back(static_cast<std::uint8_t>(0x05 | reg));  // [rip + disp32]
            m_numbers.emplace_back(m_bytes.size(), index);
            Number(0, 4);
            break;
    }
}

void MachineCode::Writer::Load(int to, Base base, std::uint16_t index) {
    Memory(kLoad, to, base, index);
}

void MachineCode::Writer::Store(Base base, std::uint16_t index, int from) {
    Memory(kStore, from, base, index);
}

void MachineCode::Writer::Move(int to, int from) {
    // movapd: the whole register, so that nothing waits for its upper half.
    Bytes({0x66, 0x0F, 0x28, static_cast<std::uint8_t>(0xC0 | (to << 3) | from)});
}

void MachineCode::Writer::Apply(Op op, int to, Base base, std::uint16_t index) {
    Memory(kOpcode[static_cast<int>(op)], to, base, index);
}

void MachineCode::Writer::Apply(Op op, int to, int from) {
    Bytes({0xF2, 0x0F, kOpcode[static_cast<int>(op)],
           static_cast<std::uint8_t>(0xC0 | (to << 3) | from)});
}

void MachineCode::Writer::End(bool checkFinite) {
    if (m_frame > 0) {
        Bytes({0x48, 0x81, 0xC4});  // add rsp, frame
        Number(m_frame, 4);
    }
    if (checkFinite) {
        // x - x is not a number exactly when x is not finite: movapd xmm1,
        // xmm0; subsd xmm1, xmm0; ucomisd xmm1, xmm1.
        Bytes({0x66, 0x0F, 0x28, 0xC8, 0xF2, 0x0F, 0x5C, 0xC8, 0x66, 0x0F, 0x2E, 0xC9});
        JumpToFailure(kIfUnordered);
    }
    m_bytes.push_back(0xC3);  // ret
    while (m_bytes.size() % sizeof(double) != 0) {
        m_bytes.push_back(0xCC);  // int3: never reached
    }
    const std::size_t numbers = m_bytes.size();
    for (const double number : m_constants) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &number, sizeof bits);
        Number(bits, 8);
    }
    // Each displacement counts from the end of its instruction, where its
    // four bytes end.
    for (const auto& [at, index] : m_numbers) {
        const auto distance =
            static_cast<std::uint32_t>(numbers + std::size_t{index} * sizeof(double) - (at + 4));
        for (std::size_t k = 0; k < 4; ++k) {
            m_bytes[at + k] = static_cast<std::uint8_t>(distance >> (8 * k));
        }
    }
}

std::shared_ptr<const MachineCode> MachineCode::Load(const Writer& writer) {
    const auto& bytes = writer.Bytes();
    if (!Supported() || bytes.empty()) {
        return nullptr;
    }
    void* memory = Allocate(bytes.size());
    if (memory == nullptr) {
        return nullptr;
    }
    std::memcpy(memory, bytes.data(), bytes.size());
    if (!Seal(memory, bytes.size())) {
        Free(memory, bytes.size());
        return nullptr;
    }
    return std::shared_ptr<const MachineCode>(
        new MachineCode(memory, bytes.size(), writer.Entry()));
}

MachineCode::MachineCode(void* memory, std::size_t size, std::size_t entry) noexcept
    : m_memory(memory),
      m_size(size),
      m_entry(reinterpret_cast<Entry>(static_cast<char*>(memory) + entry)) {}

MachineCode::~MachineCode() {
    Free(m_memory, m_size);
}

}  // namespace vornel
