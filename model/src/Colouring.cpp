#include <vornel/model/Colouring.h>

#include <algorithm>
#include <cctype>

#include <vornel/Names.h>

namespace vornel {

namespace {

bool IsOperator(char c) {
    return std::string_view("+-*/(),<>=&|^").find(c) != std::string_view::npos;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) ==
               std::toupper(static_cast<unsigned char>(y));
    });
}

bool IsKeyword(std::string_view word) {
    return std::any_of(kKeywords.begin(), kKeywords.end(),
                       [word](std::string_view k) { return SameIgnoringCase(word, k); }) ||
           SameIgnoringCase(word, kTrue) || SameIgnoringCase(word, kFalse);
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::vector<ColouredStretch> ColourFormula(std::string_view formula,
                                           const std::vector<std::string>& variableNames) {
    std::vector<ColouredStretch> stretches;
    std::size_t characters = 0;  // characters before `at`
    const auto count = [&formula](std::size_t from, std::size_t to) {
        return std::size_t(std::count_if(formula.begin() + std::ptrdiff_t(from),
                                         formula.begin() + std::ptrdiff_t(to),
                                         [](char c) { return !IsContinuationByte(c); }));
    };
    const auto runOf = [&formula](std::size_t from, bool (*test)(char)) {
        while (from < formula.size() && test(formula[from])) {
            ++from;
        }
        return from;
    };
    for (std::size_t at = 0; at < formula.size();) {
        const char c = formula[at];
        std::size_t end = at + 1;
        bool coloured = true;
        Colouring kind = Colouring::Operator;
        if (IsNameStart(c)) {
            end = runOf(at + 1, IsNameChar);
            const std::string_view word = formula.substr(at, end - at);
            const bool variable = std::any_of(
                variableNames.begin(), variableNames.end(),
                [word](const std::string& name) { return SameIgnoringCase(word, name); });
            if (IsKeyword(word)) {
                kind = Colouring::Keyword;
            } else if (variable) {
                kind = Colouring::Variable;
            } else if (IsFunctionName(word)) {
                kind = Colouring::Function;
            } else {
                coloured = false;
            }
        } else if (IsAsciiDigit(c) ||
                   (c == '.' && at + 1 < formula.size() && IsAsciiDigit(formula[at + 1]))) {
            end = runOf(at + 1, IsNumberChar);
            kind = Colouring::Number;
        } else if (c == '"') {
            const std::size_t close = formula.find_first_of("\"\r\n", at + 1);
            end = close == std::string_view::npos ? formula.size()
                  : formula[close] == '"'         ? close + 1
                                                  : close;
            kind = Colouring::String;
        } else {
            coloured = IsOperator(c);
            while (end < formula.size() && IsContinuationByte(formula[end])) {
                ++end;
            }
        }
        const std::size_t length = count(at, end);
        if (coloured) {
            stretches.push_back({characters, characters + length, kind});
        }
        characters += length;
        at = end;
    }
    return stretches;
}

}  // namespace vornel
