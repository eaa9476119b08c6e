// The libFuzzer entry for compiled formulas: arbitrary bytes become variables
// and an expression (see DecodeFuzzInput), which is compiled once and
// evaluated over several tables of values (see RunCompiledFuzzCase).

#include <cstddef>
#include <cstdint>

#include "FuzzCase.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vornel::fuzz::RunCompiledFuzzCase(vornel::fuzz::DecodeFuzzInput(data, size));
    return 0;
}
