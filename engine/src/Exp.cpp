#include <vornel/Exp.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory_resource>
#include <string>

#include "ArithmeticEvaluator.h"
#include "CompiledFormula.h"
#include "Failure.h"
#include "Normalizer.h"
#include "NumberText.h"
#include "SelectBranch.h"
#include "Text.h"
#include "VariableLookup.h"

namespace vornel {

namespace {

constexpr std::string_view kInvalidExpression = "Invalid Expression!";

// The sink of an engine made without one.
class DiscardingSink final : public MessageSink {
public:
    void ShowMessage(std::string_view, std::string_view, MessageIcon) override {}
};

DiscardingSink g_discardingSink;

// Lets an If block choose its branch from the upper-cased text: the text to
// evaluate, a view of `upper`.
std::string_view PrepareExpression(std::string_view upper, const VariableLookup& variables) {
    return upper.starts_with(kKeywordIf) ? SelectBranch(upper, variables) : upper;
}

// The outcome of a failure whose range lies in `upper`, the upper-cased form
// of `trimmed`, which is `expression` without its outer spaces. Upper-casing
// keeps every character one character, so character counts carry over.
Outcome FailedOutcome(const EvaluationFailure& fault, std::string_view expression,
                      std::string_view trimmed, std::string_view upper) {
    Outcome outcome{0.0, static_cast<failure::Number>(fault.number)};
    outcome.cause = fault.cause;
    if (upper.empty() || !fault.Placed()) {
        outcome.begin = 0;
        outcome.end = CharCount(expression);
        return outcome;
    }
    const auto lead = static_cast<std::size_t>(trimmed.data() - expression.data());  // spaces
    outcome.begin = lead + CharCount(upper.substr(0, fault.begin));
    outcome.end = outcome.begin + CharCount(upper.substr(fault.begin, fault.end - fault.begin));
    return outcome;
}

// Evaluates `trimmed`, the text of `expression` without its outer spaces,
// through the normaliser: in one pass upper-casing as it goes when `direct`
// (plain ASCII and no If block). With kMark, the variables the formula uses
// are read once rather than from their text; a text that then fails is
// evaluated again written out, which places the failure.
template <bool kMark>
Outcome EvaluateNormalized(std::string_view expression, std::string_view trimmed,
                           const VariableLookup& variables, bool direct) {
    // The texts an evaluation makes live on the stack unless they are long.
    alignas(std::max_align_t) std::array<std::byte, 1024> scratch;
    std::pmr::monotonic_buffer_resource arena(scratch.data(), scratch.size());
    std::pmr::string upper(&arena);
    std::string_view source = trimmed;  // the upper-cased text, as far as places go
    std::string_view chosen = trimmed;
    bool normalized = false;
    bool marked = false;
    try {
        std::pmr::string normal(&arena);
        if (direct) {
            marked = NormalizeAsciiExpression(trimmed, variables, normal, kMark);
        } else {
            ToUpper(trimmed, upper);
            source = chosen = upper;
            chosen = PrepareExpression(upper, variables);
            marked = NormalizeExpression(chosen, variables, normal, kMark);
        }
        normalized = true;
        return {EvaluateArithmetic(normal, marked ? variables.MarkValues() : nullptr)};
    } catch (EvaluationFailure& fault) {
        if constexpr (kMark) {
            if (marked) {
                return EvaluateNormalized<false>(expression, trimmed, variables, direct);
            }
        }
        if (normalized) {
            PlaceInSource(fault, chosen, variables);  // from the normalised text
        }
        if (fault.Placed() && chosen.data() != source.data()) {
            fault.Shift(static_cast<std::size_t>(chosen.data() - source.data()));  // in the branch
        }
        return FailedOutcome(fault, expression, trimmed, source);
    }
}

// Whether the text holds white space that the normaliser would remove.
// Blanks are among the bytes up to ' ', which a vectorised pass finds first.
bool HasBlank(std::string_view text) {
    unsigned char low = 0;
    for (const char c : text) {
        low |= static_cast<unsigned char>(static_cast<unsigned char>(c) <= ' ');
    }
    return low != 0 && std::any_of(text.begin(), text.end(), [](char c) {
               return c == ' ' || c == '\t' || c == '\r' || c == '\n';
           });
}

}  // namespace

Exp::Exp() noexcept : m_messages(&g_discardingSink) {}

Exp::Exp(MessageSink& messages) noexcept : m_messages(&messages) {}

std::int16_t Exp::SetVariable(std::int16_t index, std::string name, double value) {
    if (index > MaxFactor()) {
        m_messages->ShowMessage("Max number is" + std::to_string(MaxFactor()), "",
                                MessageIcon::None);
        return 0;
    }
    if (index < 0) {
        constexpr int kFailure = failure::kSubscriptOutOfRange;
        m_messages->ShowMessage(FailureDescription(kFailure), FailureTitle(kFailure),
                                MessageIcon::Critical);
        return 0;
    }
    m_variables.Store(static_cast<std::size_t>(index), std::move(name), value);
    return 1;
}

Outcome EvaluateText(std::string_view expression, const VariableTable& table) noexcept {
    const std::string_view trimmed = TrimSpaces(expression);
    const VariableLookup variables(table);
    // A plain ASCII formula that is no If block is upper-cased while it is
    // normalised; upper-casing keeps its characters where they are, so it is
    // its own upper-cased form for placing a failure.
    const bool startsWithIf = trimmed.size() >= 2 && (trimmed[0] == 'I' || trimmed[0] == 'i') &&
                              (trimmed[1] == 'F' || trimmed[1] == 'f');
    const bool direct = !startsWithIf && IsAscii(trimmed);
    if (direct && !NeedsNormalizing(trimmed)) {
        // Nothing to remove, upper-case or put in: the text is its own
        // normal form.
        bool checked = false;
        try {
            CheckLength(trimmed);
            checked = true;
            return {EvaluateArithmetic(trimmed)};
        } catch (EvaluationFailure& fault) {
            if (checked) {
                PlaceInSource(fault, trimmed, variables);
            }
            return FailedOutcome(fault, expression, trimmed, trimmed);
        }
    }
    if (direct && !HasBlank(trimmed)) {
        // Nothing to remove: the names are read where they stand.
        if (const auto value = EvaluateWithNames(trimmed, variables)) {
            return {*value};
        }
    }
    return EvaluateNormalized<true>(expression, trimmed, variables, direct);
}

Outcome Exp::Evaluate(std::string_view expression) const noexcept {
    return EvaluateText(expression, m_variables);
}

Formula Exp::Compile(std::string_view text) const {
    return Formula(std::make_shared<const detail::CompiledFormula>(std::string(text), m_variables));
}

double Exp::CalculateResult(const std::string& expressionString) {
    return CalculateOutcome(expressionString).value;
}

Outcome Exp::CalculateOutcome(std::string_view expression) {
    const Outcome outcome = Evaluate(expression);
    if (!outcome.Succeeded()) {
        m_messages->ShowMessage(kInvalidExpression, FailureTitle(outcome.failure),
                                MessageIcon::Exclamation);
    }
    return outcome;
}

}  // namespace vornel
