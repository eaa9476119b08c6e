#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

// The exprtk side of the compiled-evaluation benchmark, built only when the
// build is given exprtk's header (VORNEL_BENCH_EXPRTK_DIR). exprtk lives in
// its own translation unit, so nothing else pays for compiling it.
namespace vornel::bench {

// exprtk's value of `text` with A to E holding 100 to 500 and the
// calculator's functions (Max, Min, Round, Exp, Ceil, Floor) computed by the
// muparser side's routines. Throws std::runtime_error with exprtk's message
// when exprtk rejects the text.
double ExprtkValue(const std::string& text);

// Compiles `text` once; each iteration writes a(i) into A, then evaluates.
void BM_Exprtk(benchmark::State& state, const std::string& text, double (*a)(std::size_t));

}  // namespace vornel::bench
