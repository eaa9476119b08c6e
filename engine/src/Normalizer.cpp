#include "Normalizer.h"

#include "Failure.h"
#include "Text.h"

namespace vornel {

namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Names are the only runs that hold letters, so for a plain ASCII text
// upper-casing the names that are not variables upper-cases the whole text.
template <bool kUpperCaseNames>
std::string Normalize(std::string_view text, const VariableLookup& variables) {
    if (text.size() >= kPositionLimit && CharCount(text) >= kPositionLimit) {
        Fail(EvaluationFailure::kOverflow);
    }
    std::string out;
    out.reserve(text.size() + 16);
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (IsWhiteSpace(c)) {
            ++i;
            continue;
        }
        if (!IsNameStart(c)) {
            // Everything up to the next blank or name passes as it is.
            const std::size_t start = i;
            while (++i < text.size() && !IsWhiteSpace(text[i]) && !IsNameStart(text[i])) {
            }
            out += text.substr(start, i - start);
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && IsNameChar(text[i])) {
            ++i;
        }
        const std::string_view name = text.substr(start, i - start);
        if (const int entry = variables.Find(name); entry >= 0) {
            out += '(';
            out += variables.ValueText(entry);
            out += ')';
        } else if constexpr (kUpperCaseNames) {
            for (const char n : name) {
                out += (n >= 'a' && n <= 'z') ? static_cast<char>(n - 'a' + 'A') : n;
            }
        } else {
            out += name;
        }
    }
    return out;
}

}  // namespace

std::string NormalizeExpression(std::string_view text, const VariableLookup& variables) {
    return Normalize<false>(text, variables);
}

std::string NormalizeAsciiExpression(std::string_view text, const VariableLookup& variables) {
    return Normalize<true>(text, variables);
}

}  // namespace vornel
