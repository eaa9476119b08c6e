#include "ConditionArithmetic.h"

#include "ArithmeticCompiler.h"
#include "Failure.h"

namespace vornel {

double EvaluateConditionArithmetic(std::string_view text, EvaluationFailure& fault) {
    RunSink sink({nullptr, 0}, Whole::Yes);
    ArithmeticCompiler<WholeRules, RunSink>(text, false, sink, nullptr).Compile();
    const RunResult result = sink.Result();
    if (result.number != failure::kNone) {
        fault = {result.number, result.cause};
        fault.Place(result.place.begin, result.place.end);
    }
    return result.value;
}

}  // namespace vornel
