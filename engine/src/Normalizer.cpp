#include "Normalizer.h"

#include "Failure.h"
#include "Text.h"

namespace vornel {

namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::string NormalizeExpression(std::string_view text, const VariableLookup& variables) {
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
        } else {
            out += name;
        }
    }
    return out;
}

}  // namespace vornel
