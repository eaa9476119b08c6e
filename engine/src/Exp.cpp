#include <vornel/Exp.h>

#include <algorithm>

#include "ArithmeticEvaluator.h"
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

// Upper-cases the text, lets an If block choose its branch, and replaces the
// variables by their values.
std::string PrepareExpression(std::string_view text, const VariableLookup& variables) {
    const bool startsWithIf = text.size() >= 2 && (text[0] == 'I' || text[0] == 'i') &&
                              (text[1] == 'F' || text[1] == 'f');
    if (!startsWithIf && IsAscii(text)) {
        return NormalizeAsciiExpression(text, variables);
    }
    std::string upper = ToUpper(text);
    if (upper.starts_with(kKeywordIf)) {
        upper = SelectBranch(upper, variables);
    }
    return NormalizeExpression(upper, variables);
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
    slot.name = std::move(name);
    slot.value = value;
    m_slotsInUse = std::max<std::int16_t>(m_slotsInUse, index + 1);
    return 1;
}

Outcome Exp::Evaluate(std::string_view expression) const noexcept {
    try {
        const VariableLookup variables(m_variables, static_cast<std::size_t>(m_slotsInUse));
        return {EvaluateArithmetic(PrepareExpression(TrimSpaces(expression), variables)),
                failure::kNone};
    } catch (const EvaluationFailure& fault) {
        return {0.0, fault.number};
    }
}

double Exp::CalculateResult(const std::string& expressionString) {
    const Outcome outcome = Evaluate(expressionString);
    if (!outcome.Succeeded()) {
        m_messages->ShowMessage(kInvalidExpression, FailureTitle(outcome.failure),
                                MessageIcon::Exclamation);
    }
    return outcome.value;
}

}  // namespace vornel
