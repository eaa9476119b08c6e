#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "Grammar.h"
#include "VariableLookup.h"

namespace vornel {

inline constexpr int kTokenListSize = 128;  // 127 tokens and the end marker
inline constexpr int kParseStackTop = 128;  // positions 0 to 128

// Decides one condition of an If block (upper-cased): true when it parses to
// the truth value TRUE. Malformed conditions of some kinds are quietly false
// (a character that starts no token, a function name without "(", an
// unclosed string literal, an unknown name); the rest fail: 9 for more than
// 127 tokens, a pair of symbols with no relation, a handle without a
// production or a stack underrun; 6 for a condition longer than 32,767
// characters (32,767 itself is allowed); and whatever evaluating a function
// call or a reduction raises. A failure carries its range in `condition`.
// Texts compare in the order `variables` carries.
bool ParseCondition(std::string_view condition, const VariableLookup& variables);

// What a condition's text alone says, read as ParseCondition reads it but
// evaluating nothing: the variables it names, and, when it is quietly false,
// why and where (bytes of the condition).
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
ConditionScan ScanCondition(std::string_view condition, const VariableLookup& variables);

// A symbol with its value, as the token list and the parse stack hold them.
// The value views text that outlasts the parse (the condition, the variable
// table, or the texts reductions made). Trivially constructible on purpose:
// both arrays are written before they are read, and clearing their entries
// at every condition used to cost more than parsing it.
// `token` is the position in the token list of the token a terminal came
// from, so that a failure can name its place in the condition.
struct StackEntry {
    grammar::Symbol symbol;
    std::uint8_t token;
    const char* valueData;
    std::size_t valueSize;

    static StackEntry Of(grammar::Symbol s, std::string_view value, int token) {
        return {s, static_cast<std::uint8_t>(token), value.data(), value.size()};
    }
    // An entry that stands for no token of its own.
    static StackEntry Of(grammar::Symbol s, std::string_view value) {
        return {s, std::uint8_t{}, value.data(), value.size()};
    }
    std::string_view Value() const { return {valueData, valueSize}; }
};

// The position of the topmost terminal at or below `top`; failure 9 when
// there is none down to position 0.
int FindTopTerminal(const StackEntry* stack, int top);

}  // namespace vornel
