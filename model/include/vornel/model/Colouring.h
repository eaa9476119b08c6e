#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// How the formula box colours a formula: keywords of If blocks and the truth
// values, the built-in functions, numbers, string literals, operators and the
// names of known variables. A view paints each stretch in the colour of its
// kind; what a stretch is comes from here and from the engine's vornel/Names.h.
namespace vornel {

enum class Colouring { Keyword, Function, Number, String, Operator, Variable };

// Characters [begin, end) of a formula, counted as the engine counts them
// (one per UTF-8 character, two for CR LF), and their kind.
struct ColouredStretch {
    std::size_t begin = 0;
    std::size_t end = 0;
    Colouring kind = Colouring::Operator;
    bool operator==(const ColouredStretch&) const = default;
};

// The coloured stretches of `formula` in order; characters of no kind (spaces,
// unknown names, other symbols) are in none. `variableNames` are the trimmed
// names of the window's variables: a name in the formula equal to one of them,
// ignoring case, is a variable, even when it is also a function's name, since
// its value replaces the name; keywords come first. A number is a digit, or a
// point before a digit, then digits and points; a string literal left open
// ends with its line.
std::vector<ColouredStretch> ColourFormula(std::string_view formula,
                                           const std::vector<std::string>& variableNames);

}  // namespace vornel
