// Measures a formula compiled once and evaluated many times while one
// variable changes, as a program that embeds the engine does it: the engine
// (SetVariable, then Formula::Evaluate) against muparser (write the double,
// then Eval), exprtk when the build has it (write the double, then value())
// and the same formula compiled by the C++ compiler. Prints a table of them
// side by side with the ratios.

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <vornel/Exp.h>
#include <vornel/Formula.h>

#include "MuparserOneShot.h"
#include "Workloads.h"
#ifdef VORNEL_BENCH_EXPRTK
#include "ExprtkCompiled.h"
#endif

namespace vornel::bench {

namespace {

// A changes at every evaluation: whole values, or values with a fraction.
constexpr std::size_t kSteps = 1024;
double WholeA(std::size_t i) {
    return 100.0 + static_cast<double>(i % kSteps);
}
double FractionA(std::size_t i) {
    return 100.25 + 0.37 * static_cast<double>(i % kSteps);
}

struct Row {
    std::string name;
    std::string vornel;
    std::string muparser;
    std::string exprtk;
    // The same formula compiled by the C++ compiler, over A to E.
    std::function<double(double, double, double, double, double)> native;
    double (*a)(std::size_t) = WholeA;
};

double Row1(double a, double b, double c, double d, double e) {
    return a * b + b / c - d + (e - 3.25) * 2;
}

const std::string kExample1Exprtk =
    "if((A>100) and (B<200), B*C-Max(D,E-100), "
    "if((A<100) or (B>=100), Ceil(B/5)+20*B-Min(E*10,A), "
    "if(A==100, Round(B/5,3)*C-Min(E*20,D), A*C-Round(E/12,2))))";

const std::string kExample2Exprtk =
    "if(B+C>=300, A*100+Round(B/C,3)-Exp(D,2), B*10+Floor(B/C)+Exp(A,3))";

std::vector<Row> Rows() {
    std::vector<Row> rows;
    const std::string unit = "A*B+B/C-D+(E-3.25)*2";
    rows.push_back({"arith", unit, unit, unit, Row1});
    rows.push_back({"a_plus_1", "A+1", "A+1", "A+1",
                    [](double a, double, double, double, double) { return a + 1; }});
    const std::string functions = "A*B+B/C-D+Max(E,300)/B+Ceil(5000/A*3.2)+Exp(2,8)";
    rows.push_back({"functions", functions, functions, functions,
                    [](double a, double b, double c, double d, double e) {
                        return a * b + b / c - d + MuparserMax(e, 300) / b +
                               MuparserCeil(5000 / a * 3.2) + MuparserExp(2, 8);
                    }});
    const std::string example4 = "B*10+Floor(B/C)+Exp(A,3)";
    rows.push_back({"example4", example4, example4, example4,
                    [](double a, double b, double c, double, double) {
                        return b * 10 + MuparserFloor(b / c) + MuparserExp(a, 3);
                    }});
    const std::string sum = RepeatJoined(unit, 986);
    rows.push_back({"sum986", sum, sum, sum, [](double a, double b, double c, double d, double e) {
                        double total = 0;
                        for (int k = 0; k < 47; ++k) {
                            total += Row1(a, b, c, d, e);
                        }
                        return total;
                    }});
    rows.push_back({"arith_fraction", unit, unit, unit, Row1, FractionA});
    // The If blocks of the window's first two examples, as muparser's "?:"
    // and exprtk's if(condition, then, else).
    for (const Workload& w : AllWorkloads()) {
        if (w.name == "example1") {
            rows.push_back({w.name, w.vornel, w.muparser, kExample1Exprtk,
                            [](double a, double b, double c, double d, double e) {
                                if (a > 100 && b < 200) {
                                    return b * c - MuparserMax(d, e - 100);
                                }
                                if (a < 100 || b >= 100) {
                                    return MuparserCeil(b / 5) + 20 * b - MuparserMin(e * 10, a);
                                }
                                if (a == 100) {
                                    return MuparserRound(b / 5, 3) * c - MuparserMin(e * 20, d);
                                }
                                return a * c - MuparserRound(e / 12, 2);
                            }});
        } else if (w.name == "example2") {
            rows.push_back({w.name, w.vornel, w.muparser, kExample2Exprtk,
                            [](double a, double b, double c, double d, double) {
                                return b + c >= 300
                                           ? a * 100 + MuparserRound(b / c, 3) - MuparserExp(d, 2)
                                           : b * 10 + MuparserFloor(b / c) + MuparserExp(a, 3);
                            }});
        }
    }
    return rows;
}

void BM_Vornel(benchmark::State& state, const Row& row) {
    Exp engine;
    for (std::size_t k = 0; k < std::size(kVariableValues); ++k) {
        engine.SetVariable(static_cast<std::int16_t>(k), kVariableNames[k], kVariableValues[k]);
    }
    const Formula formula = engine.Compile(row.vornel);
    const auto a = row.a;  // kept at hand, as BM_Exprtk is given it
    std::size_t i = 0;
    for (auto _ : state) {
        engine.SetVariable(0, "A", a(i++));
        const Outcome outcome = formula.Evaluate(engine);
        benchmark::DoNotOptimize(outcome.value);
        benchmark::DoNotOptimize(outcome.failure);
    }
}

void BM_Muparser(benchmark::State& state, const Row& row) {
    double values[std::size(kVariableValues)];
    mu::Parser parser;
    DefineCalculator(parser, values);
    parser.SetExpr(row.muparser);
    const auto a = row.a;
    std::size_t i = 0;
    for (auto _ : state) {
        values[0] = a(i++);
        benchmark::DoNotOptimize(parser.Eval());
    }
}

void BM_Native(benchmark::State& state, const Row& row) {
    double values[std::size(kVariableValues)];
    for (std::size_t k = 0; k < std::size(kVariableValues); ++k) {
        values[k] = kVariableValues[k];
    }
    const auto a = row.a;
    std::size_t i = 0;
    for (auto _ : state) {
        values[0] = a(i++);
        benchmark::DoNotOptimize(values);
        benchmark::DoNotOptimize(row.native(values[0], values[1], values[2], values[3], values[4]));
    }
}

#ifdef VORNEL_BENCH_EXPRTK
constexpr bool kWithExprtk = true;
#else
constexpr bool kWithExprtk = false;
#endif

// The console output, then one table with the evaluators side by side.
class Summary : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) {
                continue;
            }
            const auto [it, added] =
                m_ns.try_emplace(run.run_name.function_name, run.GetAdjustedCPUTime());
            it->second = std::min(it->second, run.GetAdjustedCPUTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n| row | Vornel ns | muparser ns |%s C++ ns | muparser / Vornel |%s\n",
                    kWithExprtk ? " exprtk ns |" : "", kWithExprtk ? " exprtk / Vornel |" : "");
        std::printf("|---|---:|---:|%s---:|---:|%s\n", kWithExprtk ? "---:|" : "",
                    kWithExprtk ? "---:|" : "");
        for (const Row& row : Rows()) {
            const double v = Find("compiled/vornel/" + row.name);
            const double m = Find("compiled/muparser/" + row.name);
            const double x = Find("compiled/exprtk/" + row.name);
            const double n = Find("compiled/native/" + row.name);
            std::printf("| %s | %.1f | %.1f |", row.name.c_str(), v, m);
            if (kWithExprtk) {
                std::printf(" %.1f |", x);
            }
            std::printf(" %.1f | %.2fx |", n, Ratio(m, v));
            if (kWithExprtk) {
                std::printf(" %.2fx |", Ratio(x, v));
            }
            std::printf("\n");
        }
    }

private:
    static double Ratio(double peer, double vornel) { return vornel > 0 ? peer / vornel : 0.0; }
    double Find(const std::string& name) const {
        const auto it = m_ns.find(name);
        return it == m_ns.end() ? 0.0 : it->second;
    }
    std::map<std::string, double> m_ns;
};

// Whether every evaluator gives the engine's double for the row with A to E
// at 100 to 500; says which does not.
bool Agrees(const Row& row) {
    Exp engine;
    for (std::size_t k = 0; k < std::size(kVariableValues); ++k) {
        engine.SetVariable(static_cast<std::int16_t>(k), kVariableNames[k], kVariableValues[k]);
    }
    const double vornel = engine.Compile(row.vornel).Evaluate(engine).value;
    const std::pair<const char*, double> peers[] = {
        {"C++", row.native(100, 200, 300, 400, 500)},
        {"muparser", MuparserOneShot(row.muparser)},
#ifdef VORNEL_BENCH_EXPRTK
        {"exprtk", ExprtkValue(row.exprtk)},
#endif
    };
    bool agrees = true;
    for (const auto& [peer, value] : peers) {
        if (value != vornel) {
            std::fprintf(stderr, "%s: the engine gives %.17g, %s %.17g\n", row.name.c_str(), vornel,
                         peer, value);
            agrees = false;
        }
    }
    return agrees;
}

}  // namespace

}  // namespace vornel::bench

int main(int argc, char** argv) {
    using namespace vornel::bench;
    static const std::vector<Row> rows = Rows();
    // Every formula must give the same value in all of them before it is timed.
    for (const Row& row : rows) {
        if (!Agrees(row)) {
            return 1;
        }
    }
    for (const Row& row : rows) {
        benchmark::RegisterBenchmark(("compiled/vornel/" + row.name).c_str(), BM_Vornel, row);
        benchmark::RegisterBenchmark(("compiled/muparser/" + row.name).c_str(), BM_Muparser, row);
#ifdef VORNEL_BENCH_EXPRTK
        benchmark::RegisterBenchmark(("compiled/exprtk/" + row.name).c_str(), BM_Exprtk, row.exprtk,
                                     row.a);
#endif
        benchmark::RegisterBenchmark(("compiled/native/" + row.name).c_str(), BM_Native, row);
    }
    benchmark::Initialize(&argc, argv);
    Summary summary;
    benchmark::RunSpecifiedBenchmarks(&summary);
    benchmark::Shutdown();
    return 0;
}
