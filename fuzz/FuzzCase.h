#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vornel::fuzz {

struct FuzzVariable {
    std::int16_t index = 0;
    std::string name;
    double value = 0;
};

// What one fuzz input asks the engine to do: store a few variables, then
// evaluate an expression.
struct FuzzCase {
    std::vector<FuzzVariable> variables;
    std::string expression;
};

// The layout of an input, every field read only while bytes remain:
//   1 byte   variable count, modulo 6
//   per variable:
//     1 byte   slot index: byte % 36 - 1, so -1 to 34 (both refusals included)
//     1 byte   name length, modulo 8, then that many bytes of name
//     1 byte   value: below 0xF0 picks an entry of a table of telling values,
//              otherwise the next 8 bytes are the double's bits
//   the rest  the expression
FuzzCase DecodeFuzzInput(const std::uint8_t* data, std::size_t size);

// Runs a case through a new engine object and returns the outcome: the
// value's number text ("7", "-0.5"), or "#N" for failure number N. Aborts
// when the engine breaks its contract: a failure number other than the
// defined ones, a failure that does not return 0 or whose place lies outside
// the text, a wrong SetVariable result, or two evaluations of the same text
// with different outcomes.
std::string RunFuzzCase(const FuzzCase& input);

// How many tables of values RunCompiledFuzzCase evaluates one formula over.
inline constexpr int kCompiledRounds = 8;

// Compiles the case's expression once, with an engine that holds the case's
// variables and is gone before the formula is evaluated. Then evaluates the
// formula over kCompiledRounds tables: the case's own, then tables of values
// drawn from the case (the same input always draws the same ones), now and
// then with a variable renamed. Each time the formula must give exactly what
// Exp::Evaluate of the text gives over the same table, else the run aborts,
// as it does for the contract RunFuzzCase checks. Returns the outcome over
// the case's own table, written as RunFuzzCase writes it.
std::string RunCompiledFuzzCase(const FuzzCase& input);

}  // namespace vornel::fuzz
