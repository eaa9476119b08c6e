#include "Normalizer.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "Failure.h"
#include "Text.h"

namespace vornel {

namespace {

enum CharClass : std::uint8_t { kPlain, kBlank, kNameStart, kNameRest };

// What each byte is to the normaliser: a blank (space, tab, CR, LF), a
// character that starts a name, one that only continues it, or plain.
constexpr auto kCharClasses = [] {
    std::array<CharClass, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        classes[static_cast<std::size_t>(c)] = (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n')
                                                   ? kBlank
                                               : IsNameStart(ch) ? kNameStart
                                               : IsNameChar(ch)  ? kNameRest
                                                                 : kPlain;
    }
    return classes;
}();

CharClass ClassOf(char c) {
    return kCharClasses[static_cast<unsigned char>(c)];
}

// Names are the only runs that hold letters, so for a plain ASCII text
// upper-casing the names that are not variables upper-cases the whole text.
// The output is written through a pointer into a buffer that only a value
// can outgrow: everything else is at most as long as the text it comes from.
template <bool kUpperCaseNames>
std::string Normalize(std::string_view text, const VariableLookup& variables) {
    if (text.size() >= kPositionLimit && CharCount(text) >= kPositionLimit) {
        Fail(EvaluationFailure::kOverflow);
    }
    std::string out(text.size(), '\0');
    std::size_t w = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        switch (ClassOf(c)) {
            case kBlank:
                ++i;
                continue;
            case kPlain:
            case kNameRest: {
                // Everything up to the next blank or name passes as it is.
                const std::size_t start = i;
                while (++i < text.size() && ClassOf(text[i]) != kBlank &&
                       ClassOf(text[i]) != kNameStart) {
                }
                text.copy(out.data() + w, i - start, start);
                w += i - start;
                continue;
            }
            case kNameStart:
                break;
        }
        const std::size_t start = i;
        while (++i < text.size() && ClassOf(text[i]) >= kNameStart) {
        }
        const std::string_view name = text.substr(start, i - start);
        if (const int entry = variables.Find(name); entry >= 0) {
            const std::string_view value = variables.ValueText(entry);
            const std::size_t needed = w + value.size() + 2 + (text.size() - i);
            if (needed > out.size()) {
                out.resize(std::max(needed, 2 * out.size()));
            }
            out[w++] = '(';
            value.copy(out.data() + w, value.size());
            w += value.size();
            out[w++] = ')';
        } else if constexpr (kUpperCaseNames) {
            for (const char n : name) {
                out[w++] = (n >= 'a' && n <= 'z') ? static_cast<char>(n - 'a' + 'A') : n;
            }
        } else {
            name.copy(out.data() + w, name.size());
            w += name.size();
        }
    }
    out.resize(w);
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
