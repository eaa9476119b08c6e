#include <vornel/Names.h>

#include <algorithm>
#include <array>
#include <string>

#include "Text.h"

namespace vornel {

namespace {

// The words that cut an If block wherever they stand; "ELSEIF" holds "ELSE".
constexpr std::array<std::string_view, 3> kCuttingWords = {kKeywordThen, kKeywordElse,
                                                           kKeywordEndIf};

std::string AsciiUpper(std::string_view name) {
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return upper;
}

}  // namespace

bool IsFunctionName(std::string_view word) {
    return std::any_of(kFunctionNames.begin(), kFunctionNames.end(), [word](std::string_view name) {
        return EqualsIgnoringAsciiCase(word, name);
    });
}

NameProblem CheckVariableName(std::string_view name) {
    if (name.empty()) {
        return NameProblem::Empty;
    }
    if (!IsNameStart(name.front())) {
        return NameProblem::BadStart;
    }
    if (!std::all_of(name.begin(), name.end(), IsNameChar)) {
        return NameProblem::BadCharacter;
    }
    if (IsFunctionName(name)) {
        return NameProblem::FunctionName;
    }
    const std::string upper = AsciiUpper(name);
    if (upper == kTrue || upper == kFalse) {
        return NameProblem::TruthValue;
    }
    if (std::find(kKeywords.begin(), kKeywords.end(), upper) != kKeywords.end()) {
        return NameProblem::Keyword;
    }
    const auto holds = [&upper](std::string_view word) {
        return upper.find(word) != std::string::npos;
    };
    if (std::any_of(kCuttingWords.begin(), kCuttingWords.end(), holds)) {
        return NameProblem::HoldsKeyword;
    }
    if (upper.starts_with(kKeywordIf)) {
        return NameProblem::BeginsWithIf;
    }
    return NameProblem::None;
}

}  // namespace vornel
