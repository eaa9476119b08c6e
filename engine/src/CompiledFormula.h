#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <vornel/Formula.h>
#include <vornel/Outcome.h>
#include <vornel/VariableTable.h>

#include "Failure.h"
#include "Normalizer.h"
#include "Program.h"
#include "VariableLookup.h"

namespace vornel::detail {

// Compiles `text` into memory on the stack, with no note, and evaluates it once.
Outcome EvaluateOnce(std::string_view text, const VariableTable& table) noexcept;

// One arithmetic text of a formula compiled: the whole formula, or one branch
// of an If block.
struct CompiledArithmetic {
    explicit CompiledArithmetic(std::pmr::memory_resource* memory)
        : normal(memory), program(memory) {}

    std::size_t offset = 0;  // where its text starts in the upper-cased text (bytes)
    std::size_t size = 0;    // its length in bytes
    bool tooLong = false;    // the text itself reaches the position limit
    MarkedText normal;
    Program program;
};

// What a Formula shares between its copies: everything that depends only on
// the text and on the names of the variables. Never changes once made.
struct CompiledFormula {
    // Compiles `text` against the names `table` holds now, with its memory
    // from `memory`; notes and the names read are gathered when `explain`.
    CompiledFormula(std::string_view text, const VariableTable& table,
                    std::pmr::memory_resource* memory, bool explain);

    // The outcome over the values `table` holds; `trace` (when given) learns
    // how each condition fared.
    Outcome Evaluate(const VariableTable& table, Trace* trace = nullptr) const noexcept;

    std::pmr::memory_resource* memory;
    std::pmr::string text;  // as given
    std::size_t lead = 0;   // the spaces before the trimmed text (bytes, and characters)
    std::size_t trimmedSize = 0;
    std::pmr::string upper;  // the trimmed text, upper-cased
    std::uint64_t namesVersion = 0;
    bool isBlock = false;
    bool layoutFails = false;  // the block cannot be cut into its pieces
    EvaluationFailure layout{failure::kNone};
    // Byte ranges of the conditions in `upper`.
    std::pmr::vector<std::pair<std::size_t, std::size_t>> conditions;
    // A plain formula: its arithmetic. A block: each condition's branch, then
    // the Else branch.
    std::pmr::vector<CompiledArithmetic> arithmetic;
    std::vector<std::string> variables;
    std::vector<Note> notes;

    std::string_view Trimmed() const { return std::string_view(text).substr(lead, trimmedSize); }

    // The outcome of a failure whose range lies in `upper` (bytes).
    Outcome Failed(EvaluationFailure fault) const;
    // The characters that the bytes [begin, end) of `upper` are.
    std::pair<std::size_t, std::size_t> Characters(std::size_t begin, std::size_t end) const;

private:
    Outcome Run(const CompiledArithmetic& a, const VariableTable& table) const noexcept;
    Outcome RunWrittenOut(const CompiledArithmetic& a, const VariableTable& table) const;
};

}  // namespace vornel::detail
