// The libFuzzer entry: arbitrary bytes become variables and an expression
// (see DecodeFuzzInput), and the engine's contract is checked on each.

#include <cstddef>
#include <cstdint>

#include "FuzzCase.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vornel::fuzz::RunFuzzCase(vornel::fuzz::DecodeFuzzInput(data, size));
    return 0;
}
