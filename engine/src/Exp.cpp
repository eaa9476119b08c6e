#include <vornel/Exp.h>

#include "ArithmeticEvaluator.h"
#include "Failure.h"
#include "Normalizer.h"
#include "NumberText.h"
#include "SelectBranch.h"
#include "Text.h"

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
std::string_view PrepareExpression(std::string_view upper, const VariableTable& variables) {
    return upper.starts_with(kKeywordIf) ? SelectBranch(upper, variables) : upper;
}

// The outcome of a failure whose range lies in `upper`, the upper-cased form
// of `trimmed`, which is `expression` without its outer spaces. Upper-casing
// keeps every character one character, so character counts carry over.
Outcome FailedOutcome(const EvaluationFailure& fault, std::string_view expression,
                      std::string_view trimmed, std::string_view upper) {
    Outcome outcome{0.0, fault.number};
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
    VariableSlot& slot = m_variables[static_cast<std::size_t>(index)];
    slot.matchName = MatchName(name);
    slot.valueText = NumberText(value);
    slot.name = std::move(name);
    slot.value = value;
    return 1;
}

Outcome Exp::Evaluate(std::string_view expression) const noexcept {
    const std::string_view trimmed = TrimSpaces(expression);
    const std::string upper = ToUpper(trimmed);
    std::string_view chosen = upper;
    std::string normal;
    bool normalized = false;
    try {
        chosen = PrepareExpression(upper, m_variables);
        normal = NormalizeExpression(chosen, m_variables);
        normalized = true;
        return {EvaluateArithmetic(normal), failure::kNone};
    } catch (EvaluationFailure& fault) {
        if (normalized) {
            PlaceInSource(fault, chosen, m_variables);  // from the normalised text
        }
        if (fault.Placed() && chosen.data() != upper.data()) {
            fault.Shift(static_cast<std::size_t>(chosen.data() - upper.data()));  // in the branch
        }
        return FailedOutcome(fault, expression, trimmed, upper);
    }
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
