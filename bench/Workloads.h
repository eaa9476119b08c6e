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

// `unit` repeated and joined with "+", as many times as fit in `maxLength`
// characters (at least once).
std::string RepeatJoined(const std::string& unit, std::size_t maxLength);

// The expressions the benchmark measures: the four examples, a short sum, and
// long flat sums of several sizes.
std::vector<Workload> AllWorkloads();

// The longest text muparser accepts: its expressions are limited in length.
inline constexpr std::size_t kMuparserMaxLength = 20000;

}  // namespace vornel::bench
