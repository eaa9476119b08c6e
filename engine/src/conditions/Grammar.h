#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The grammar of conditions, as constant tables: the terminals, the
// nonterminals with their type categories, the productions with their handle
// lengths and type patterns, and the operator-precedence relations.
namespace vornel::grammar {

// The nineteen terminals, in the order that indexes the relation table,
// followed by the nine nonterminals.
enum class Symbol : std::uint8_t {
    Or,
    And,
    Plus,
    Minus,
    Times,
    Divide,
    Open,
    Close,
    Greater,
    Less,
    Equal,
    GreaterEqual,
    LessEqual,
    NotEqual,
    Number,
    Text,
    True,
    False,
    End,
    S,
    L,
    R,
    M,
    E,
    T,
    F,
    D,
    C,
};

inline constexpr int kTerminalCount = 19;
inline constexpr int kProductionCount = 32;

inline constexpr bool IsTerminal(Symbol s) {
    return static_cast<int>(s) < kTerminalCount;
}

// The text a symbol is written as ("|", ">=", "n", "TRUE", "$", "E", ...).
std::string_view SymbolText(Symbol s);

struct Production {
    Symbol left;
    std::string_view right;    // as the grammar writes it
    int handleLength;          // 1 or 3
    std::string_view pattern;  // right side with nonterminals as categories
};

// Production `number`, 1 to 32.
const Production& GetProduction(int number);

// Relations between the terminal on top of the parse stack and the incoming one.
inline constexpr int kYield = -1;  // shift
inline constexpr int kEqual = 0;   // shift; "$" against "$" accepts
inline constexpr int kTakes = 1;   // reduce
inline constexpr int kNoRelation = 10;

int Relation(Symbol top, Symbol incoming);

// The production a handle reduces by: the first whose type pattern contains
// the key made of the category of `leftSymbol` ("0" boolean, "1" number,
// "2" text, "" for a terminal) followed by `topTerminal`; -1 when none does.
int FindProduction(std::string_view topTerminal, std::string_view leftSymbol);
int FindProduction(Symbol topTerminal, Symbol leftSymbol);

}  // namespace vornel::grammar
