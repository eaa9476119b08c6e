#pragma once

#include <string>
#include <vector>

namespace vornel::bench {

// One expression as the calculator window holds it, and the same computation
// written for muparser (lower-level operators, "?:" for an If block). An
// empty muparser text means muparser has no counterpart of that size.
struct Workload {
    std::string name;
    std::string vornel;
    std::string muparser;
};

// The five variables the window starts with: A to E holding 100 to 500.
inline constexpr const char* kVariableNames[] = {"A", "B", "C", "D", "E"};
inline constexpr double kVariableValues[] = {100, 200, 300, 400, 500};

// `unit` repeated and joined with `separator`, as many times as fit in
// `maxLength` characters (at least once).
std::string RepeatJoined(const std::string& unit, std::size_t maxLength, char separator = '+');

// The expressions the benchmark measures: the four examples, a short sum, and
// long flat sums of several sizes.
std::vector<Workload> AllWorkloads();

// A text at one of the engine's limits and the outcome it must have: the
// value's number text, or "#N" for failure number N.
struct LimitCase {
    std::string name;
    std::string text;
    std::string expected;
};

// The deepest and longest inputs the engine takes, and one step beyond each:
// text length, nesting, condition tokens, conditions per block, file size.
std::vector<LimitCase> LimitCases();

// The longest text muparser accepts: it refuses 20,000 characters or more.
inline constexpr std::size_t kMuparserMaxLength = 19999;

}  // namespace vornel::bench
