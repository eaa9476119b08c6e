#pragma once

#include <array>
#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <vector>

#include "Failure.h"
#include "Grammar.h"
#include "VariableLookup.h"

namespace vornel {

class ValueArena;

inline constexpr int kTokenListSize = 128;  // 127 tokens and the end marker
inline constexpr int kParseStackTop = 128;  // positions 0 to 128

// What a condition's text alone says: the variables it names, and, when it
// is quietly false, why and where (bytes of the condition).
struct ConditionScan {
    enum class Why { None, Character, UnclosedText, FunctionWithoutCall, UnknownName };
    Why why = Why::None;
    std::size_t begin = 0;
    std::size_t end = 0;
    // The slots named, each once, in the order the text names them, up to
    // where reading stopped.
    std::array<std::int8_t, kVariableSlots> named{};
    int namedCount = 0;
};

// How deciding a condition ended: whether it holds, or the failure that
// stopped it, with its range in the condition (bytes).
struct ConditionOutcome {
    bool holds = false;
    EvaluationFailure fault{failure::kNone};

    bool Failed() const { return fault.number != failure::kNone; }
};

// One condition of an If block (upper-cased), compiled against the names a
// table holds. Its tokens and every step of its operator-precedence parse
// (which symbols are shifted, which handles reduced by which production,
// and where a pair without a relation stops it) depend only on the text and
// the names, so they are worked out once; deciding it works out the values.
//
// A condition is true when it parses to the truth value TRUE. Some malformed
// conditions are quietly false (a character that starts no token, a function
// name without "(", an unclosed string literal, an unknown name); the rest
// fail: 9 for more than 127 tokens, a pair of symbols with no relation, a
// handle without a production or a stack underrun; 6 for a condition longer
// than 32,767 characters (32,767 itself is allowed); and whatever evaluating
// a function call or a reduction raises. Failures come in the order the
// condition is read: function calls as their tokens are read, then the
// reductions in the parse's order.
//
// The condition's text must outlive it. Deciding changes nothing, so one
// compiled condition may be decided from several threads at once.
class CompiledCondition {
public:
    CompiledCondition(std::string_view condition, const VariableLookup& names,
                      std::pmr::memory_resource* memory = std::pmr::get_default_resource());

    // Decides the condition over the values `variables` holds; it must hold
    // the names the condition was compiled with. Texts compare in the order
    // it carries.
    ConditionOutcome Decide(const VariableLookup& variables) const;

    const ConditionScan& Scan() const { return m_scan; }

    // A token as the tokenizer leaves it: its terminal, where it stands in
    // the condition (bytes), and its value's text, a variable's slot or a
    // function call's index.
    struct Token {
        grammar::Symbol symbol;
        std::int8_t slot;
        std::int16_t call;
        std::uint32_t begin;
        std::uint32_t end;
        std::string_view text;
        double number;  // what a number or truth value reads as, when typed (below)
    };
    // A function call: its name and everything from its "(" on (bytes of the
    // condition; the blanks between the two are not part of the call).
    struct Call {
        std::uint32_t nameBegin;
        std::uint32_t nameEnd;
        std::uint32_t openBegin;
        std::uint32_t openEnd;
    };
    // One step of the parse: a shift of token `token` (production 0), or a
    // reduction of the top `length` stack entries by `production`, whose
    // operator is token `token`.
    struct Step {
        std::uint8_t production;
        std::uint8_t length;
        std::uint8_t token;
    };

    // Where a step on doubles finds a value: a number or truth value of the
    // condition (token `index`), a variable's read value (slot `index`), the
    // result of step `index`, or nowhere (an operator or parenthesis).
    struct Source {
        enum Kind : std::uint8_t { kNowhere, kToken, kVariable, kStep };
        Kind kind;
        std::uint8_t index;
    };
    // A step on doubles: a reduction of three entries that works something
    // out. The parse's other reductions only pass a value on, and are left out.
    struct TypedStep {
        std::uint8_t production;
        Source left;
        Source right;
    };

private:
    // How reading the condition ends, before any value is worked out.
    enum class Ending : std::uint8_t { Parsed, QuietlyFalse, Failed };

    bool DecideTyped(const VariableLookup& variables, bool& holds) const;
    ConditionOutcome DecideByText(const VariableLookup& variables) const;
    // Works out the steps over the token values `values`, the end marker at 0.
    ConditionOutcome RunSteps(std::string_view* values, const VariableLookup& variables,
                              ValueArena& arena) const;
    friend class ConditionCompiler;

    std::string_view m_condition;
    std::pmr::vector<Token> m_tokens;
    std::pmr::vector<Call> m_calls;
    std::pmr::vector<Step> m_steps;
    std::pmr::vector<TypedStep> m_typedSteps;  // when typed (below)
    ConditionScan m_scan;
    // Reading stops quietly or with `m_fault` before the parse; otherwise
    // the parse ends with `m_fault` when it meets a step it cannot take.
    Ending m_reading = Ending::Parsed;
    Ending m_parse = Ending::Parsed;
    EvaluationFailure m_fault{failure::kNone};
    // Every step works on numbers or truth values as the rules expect them
    // (no text, no function call): then the steps can be worked out on
    // doubles, and the parse over texts is needed only when that fails.
    bool m_typed = false;
    std::uint8_t m_resultKind = 0;
    Source m_result{};  // where the steps on doubles leave the condition's value
};

// Compiles `condition` and decides it once.
ConditionOutcome DecideCondition(std::string_view condition, const VariableLookup& variables);

}  // namespace vornel
