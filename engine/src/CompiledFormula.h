#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <vornel/Formula.h>
#include <vornel/Outcome.h>
#include <vornel/VariableTable.h>

namespace vornel {

// Evaluates `expression` over `table`: the whole pipeline in one call.
Outcome EvaluateText(std::string_view expression, const VariableTable& table) noexcept;

namespace detail {

// What a Formula shares between its copies. Never changes once made.
struct CompiledFormula {
    CompiledFormula(std::string text, const VariableTable& table);

    std::string text;
    std::vector<std::string> variables;
    std::vector<Note> notes;
};

}  // namespace detail
}  // namespace vornel
