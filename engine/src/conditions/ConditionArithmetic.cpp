#include "ConditionArithmetic.h"

#include <array>
#include <cstddef>
#include <memory_resource>

#include "ArithmeticCompiler.h"
#include "Failure.h"

namespace vornel {

double EvaluateConditionArithmetic(std::string_view text) {
    alignas(std::max_align_t) std::array<std::byte, 4096> scratch;
    std::pmr::monotonic_buffer_resource arena(scratch.data(), scratch.size());
    Program program(&arena);
    ArithmeticCompiler<WholeRules>(text, false, program, nullptr).Compile();
    const RunResult result = program.Run({nullptr, 0});
    if (result.number != failure::kNone) {
        EvaluationFailure fault{result.number, result.cause};
        fault.Place(result.place.begin, result.place.end);
        throw fault;
    }
    return result.value;
}

}  // namespace vornel
