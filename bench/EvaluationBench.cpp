// Measures the evaluation command as the calculator window performs it (a new
// Exp, five SetVariable calls, one Evaluate) against the same one-shot
// work done by muparser, and prints a summary table with the ratios.

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <new>
#include <string>
#include <vector>

#include <vornel/Display.h>
#include <vornel/Exp.h>

#include "MuparserOneShot.h"
#include "Workloads.h"

// Every heap allocation of the program is counted, so that the summary can say
// how many one evaluation command makes.
namespace {
std::size_t g_allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace vornel::bench {

namespace {

// The heap allocations one call of `work` makes.
template <class Work>
std::size_t AllocationsOf(Work&& work) {
    const std::size_t before = g_allocations;
    work();
    return g_allocations - before;
}

// One evaluation command as the window runs it: a new engine, the variables
// stored, one evaluation.
Outcome VornelOneShot(const std::string& expression) {
    Exp engine;
    for (std::size_t k = 0; k < std::size(kVariableValues); ++k) {
        engine.SetVariable(static_cast<std::int16_t>(k), kVariableNames[k], kVariableValues[k]);
    }
    return engine.Evaluate(expression);
}

void SetPerCharCounter(benchmark::State& state, std::size_t chars) {
    state.counters["per_char"] = benchmark::Counter(
        static_cast<double>(chars),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Vornel(benchmark::State& state, const std::string& expression) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(VornelOneShot(expression));
    }
    SetPerCharCounter(state, expression.size());
}

void BM_Muparser(benchmark::State& state, const std::string& expression) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(MuparserOneShot(expression));
    }
    SetPerCharCounter(state, expression.size());
}

// The floor under any evaluator: a loop that does nothing but read each
// character once.
void BM_ReadEachChar(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        for (const char c : text) {
            benchmark::DoNotOptimize(c);
        }
    }
    SetPerCharCounter(state, text.size());
}

// Both evaluators must agree on every workload before anything is timed.
bool CheckValues(const std::vector<Workload>& workloads) {
    bool agree = true;
    for (const auto& w : workloads) {
        const Outcome outcome = VornelOneShot(w.vornel);
        if (!outcome.Succeeded()) {
            std::fprintf(stderr, "%s: the engine failed (%d)\n", w.name.c_str(), outcome.failure);
            agree = false;
            continue;
        }
        const double vornel = outcome.value;
        if (w.muparser.empty()) {
            continue;
        }
        const double muparser = MuparserOneShot(w.muparser);
        if (vornel != muparser) {
            std::fprintf(stderr, "%s: the engine gives %.17g, muparser %.17g\n", w.name.c_str(),
                         vornel, muparser);
            agree = false;
        }
    }
    return agree;
}

// The engine's outcome as text: the value's number text, or "#N".
std::string VornelOutcome(const std::string& expression) {
    const Outcome outcome = VornelOneShot(expression);
    return outcome.Succeeded() ? NumberText(outcome.value) : "#" + std::to_string(outcome.failure);
}

// Every limit case must end as it is meant to before it is timed.
bool CheckLimits(const std::vector<LimitCase>& cases) {
    bool asMeant = true;
    for (const auto& c : cases) {
        const std::string outcome = VornelOutcome(c.text);
        if (outcome != c.expected) {
            std::fprintf(stderr, "%s: expected %s, the engine gives %s\n", c.name.c_str(),
                         c.expected.c_str(), outcome.c_str());
            asMeant = false;
        }
    }
    return asMeant;
}

// muparser's length limit, seen from outside: the longest accepted text and
// one character more.
void ReportMuparserLimit() {
    for (const std::size_t length : {kMuparserMaxLength, kMuparserMaxLength + 1}) {
        std::string text = RepeatJoined("1", length);
        if (text.size() < length) {
            text.insert(0, "1");  // "11+1+...": any length
        }
        try {
            MuparserOneShot(text);
            std::printf("muparser accepts a text of %zu characters\n", length);
        } catch (const mu::Parser::exception_type& e) {
            std::printf("muparser refuses a text of %zu characters: %.60s\n", length,
                        e.GetMsg().c_str());
        }
    }
}

struct Timing {
    double ns = 0;
    std::size_t chars = 0;
};

// The console output, followed by a table of both evaluators side by side.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter(std::vector<Workload> workloads, std::vector<LimitCase> limits)
        : m_workloads(std::move(workloads)), m_limits(std::move(limits)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        // With repetitions, the fastest run is the one least disturbed by
        // whatever else the machine was doing.
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
        PrintSummary();
        PrintLimits();
    }

private:
    const double* Find(const std::string& name) const {
        const auto it = m_ns.find(name);
        return it == m_ns.end() ? nullptr : &it->second;
    }

    // For a text muparser refuses, the longest muparser run of the same family.
    const Workload* NearestMuparser(const Workload& w) const {
        const auto family = w.name.substr(0, w.name.find('/'));
        const Workload* nearest = nullptr;
        for (const auto& other : m_workloads) {
            if (!other.muparser.empty() && other.name.starts_with(family + "/") &&
                Find("muparser/" + other.name)) {
                nearest = &other;
            }
        }
        return nearest;
    }

    void PrintSummary() const {
        std::printf("\n%-16s %8s %12s %12s %9s %8s %8s %8s\n", "expression", "chars", "Vornel ns",
                    "muparser ns", "ratio", "ns/char", "V alloc", "mu alloc");
        for (const auto& w : m_workloads) {
            const double* vornel = Find("vornel/" + w.name);
            if (!vornel) {
                continue;
            }
            const double perChar = *vornel / static_cast<double>(w.vornel.size());
            const double* muparser = w.muparser.empty() ? nullptr : Find("muparser/" + w.name);
            const std::size_t vornelAllocations = AllocationsOf([&] { VornelOneShot(w.vornel); });
            if (muparser) {
                const std::size_t muparserAllocations =
                    AllocationsOf([&] { MuparserOneShot(w.muparser); });
                std::printf("%-16s %8zu %12.0f %12.0f %9.1f %8.2f %8zu %8zu\n", w.name.c_str(),
                            w.vornel.size(), *vornel, *muparser, *muparser / *vornel, perChar,
                            vornelAllocations, muparserAllocations);
            } else if (const Workload* near = NearestMuparser(w)) {
                // Compared per character against the longest text muparser takes.
                const double nearPerChar =
                    *Find("muparser/" + near->name) / static_cast<double>(near->muparser.size());
                std::printf("%-16s %8zu %12.0f %12s %8.1f* %8.2f %8zu %8s\n", w.name.c_str(),
                            w.vornel.size(), *vornel, "refused", nearPerChar / perChar, perChar,
                            vornelAllocations, "-");
            } else {
                std::printf("%-16s %8zu %12.0f %12s %9s %8.2f %8zu %8s\n", w.name.c_str(),
                            w.vornel.size(), *vornel, "-", "-", perChar, vornelAllocations, "-");
            }
        }
        std::printf(
            "ratio = muparser time / Vornel time (how many times faster Vornel is);\n"
            "* per character, against muparser's longest accepted text;\n"
            "V alloc, mu alloc = heap allocations of one evaluation command.\n");
        if (const double* floor = Find("floor/read_each_char")) {
            std::printf("reading each character alone: %.2f ns/char\n",
                        *floor / static_cast<double>(m_workloads.back().vornel.size()));
        }
    }

    void PrintLimits() const {
        std::printf("\n%-16s %8s %10s %12s\n", "limit case", "chars", "outcome", "Vornel ns");
        for (const auto& c : m_limits) {
            if (const double* ns = Find("limits/" + c.name)) {
                std::printf("%-16s %8zu %10s %12.0f\n", c.name.c_str(), c.text.size(),
                            c.expected.c_str(), *ns);
            }
        }
    }

    std::vector<Workload> m_workloads;
    std::vector<LimitCase> m_limits;
    std::map<std::string, double> m_ns;
};

void RegisterAll(const std::vector<Workload>& workloads, const std::vector<LimitCase>& limits) {
    for (const auto& w : workloads) {
        benchmark::RegisterBenchmark(("vornel/" + w.name).c_str(), BM_Vornel, w.vornel)
            ->Unit(benchmark::kNanosecond);
        if (!w.muparser.empty()) {
            benchmark::RegisterBenchmark(("muparser/" + w.name).c_str(), BM_Muparser, w.muparser)
                ->Unit(benchmark::kNanosecond);
        }
    }
    for (const auto& c : limits) {
        benchmark::RegisterBenchmark(("limits/" + c.name).c_str(), BM_Vornel, c.text)
            ->Unit(benchmark::kNanosecond);
    }
    benchmark::RegisterBenchmark("floor/read_each_char", BM_ReadEachChar, workloads.back().vornel)
        ->Unit(benchmark::kNanosecond);
}

}  // namespace

}  // namespace vornel::bench

int main(int argc, char** argv) {
    using namespace vornel::bench;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return EXIT_FAILURE;
    }
    const std::vector<Workload> workloads = AllWorkloads();
    const std::vector<LimitCase> limits = LimitCases();
    if (!CheckValues(workloads)) {
        std::fprintf(stderr, "the two evaluators disagree: nothing timed\n");
        return EXIT_FAILURE;
    }
    if (!CheckLimits(limits)) {
        std::fprintf(stderr, "a limit case ends otherwise than meant: nothing timed\n");
        return EXIT_FAILURE;
    }
    ReportMuparserLimit();
    RegisterAll(workloads, limits);
    SummaryReporter reporter(workloads, limits);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
