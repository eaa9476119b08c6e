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

// The general registers holding the three arrays, as the system's calling
// convention passes a function's first three arguments.
#if defined(_WIN32)
constexpr int kBaseRegister[] = {1, 2, 8};  // rcx, rdx, r8
#else
constexpr int kBaseRegister[] = {7, 6, 2};  // rdi, rsi, rdx
#endif

// The second opcode byte of addsd, subsd, mulsd and divsd.
constexpr std::uint8_t kOpcode[] = {0x58, 0x5C, 0x59, 0x5E};

constexpr std::uint8_t kScalarDouble = 0xF2;  // the prefix of the sd instructions
constexpr std::uint8_t kLoad = 0x10;          // movsd xmm, m64
constexpr std::uint8_t kStore = 0x11;         // movsd m64, xmm

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

// An instruction on xmm `xmm` and base[index]: the prefix, the register
// extension when the base is r8 to r15, the two opcode bytes, then the
// operand as the base plus a 32-bit displacement.
void MachineCode::Writer::Memory(std::uint8_t prefix, std::uint8_t opcode, int xmm, Base base,
                                 std::uint16_t index) {
    const int reg = kBaseRegister[static_cast<int>(base)];
    m_bytes.push_back(prefix);
    if (reg >= 8) {
        m_bytes.push_back(0x41);  // REX.B
    }
    m_bytes.push_back(0x0F);
    m_bytes.push_back(opcode);
    // (None of the base registers is rsp or r12, which would need one more
    // byte here.)
    m_bytes.push_back(static_cast<std::uint8_t>(0x80 | (xmm << 3) | (reg & 7)));
    const std::uint32_t displacement = std::uint32_t{index} * sizeof(double);
    for (int k = 0; k < 4; ++k) {
        m_bytes.push_back(static_cast<std::uint8_t>(displacement >> (8 * k)));
    }
}

void MachineCode::Writer::Load(int to, Base base, std::uint16_t index) {
    Memory(kScalarDouble, kLoad, to, base, index);
}

void MachineCode::Writer::Store(Base base, std::uint16_t index, int from) {
    Memory(kScalarDouble, kStore, from, base, index);
}

void MachineCode::Writer::Move(int to, int from) {
    // movapd: the whole register, so that nothing waits for its upper half.
    m_bytes.insert(m_bytes.end(),
                   {0x66, 0x0F, 0x28, static_cast<std::uint8_t>(0xC0 | (to << 3) | from)});
}

void MachineCode::Writer::Apply(Op op, int to, Base base, std::uint16_t index) {
    Memory(kScalarDouble, kOpcode[static_cast<int>(op)], to, base, index);
}

void MachineCode::Writer::Apply(Op op, int to, int from) {
    m_bytes.insert(m_bytes.end(), {kScalarDouble, 0x0F, kOpcode[static_cast<int>(op)],
                                   static_cast<std::uint8_t>(0xC0 | (to << 3) | from)});
}

void MachineCode::Writer::Return() {
    m_bytes.push_back(0xC3);
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
    return std::shared_ptr<const MachineCode>(new MachineCode(memory, bytes.size()));
}

MachineCode::MachineCode(void* memory, std::size_t size) noexcept
    : m_memory(memory), m_size(size), m_entry(reinterpret_cast<Entry>(memory)) {}

MachineCode::~MachineCode() {
    Free(m_memory, m_size);
}

}  // namespace vornel
