#include <vornel/Exp.h>

#include <memory>
#include <string>

#include "CompiledFormula.h"
#include "Failure.h"

namespace vornel {

namespace {

constexpr std::string_view kInvalidExpression = "Invalid Expression!";

// The sink of an engine made without one.
class DiscardingSink final : public MessageSink {
public:
    void ShowMessage(std::string_view, std::string_view, MessageIcon) override {}
};

DiscardingSink g_discardingSink;

}  // namespace

Exp::Exp() noexcept : m_messages(&g_discardingSink) {}

Exp::Exp(MessageSink& messages) noexcept : m_messages(&messages) {}

std::int16_t Exp::RefuseSlot(std::int16_t index) const {
    if (index > MaxFactor()) {
        m_messages->ShowMessage("Max number is" + std::to_string(MaxFactor()), "",
                                MessageIcon::None);
        return 0;
    }
    constexpr int kFailure = failure::kSubscriptOutOfRange;
    m_messages->ShowMessage(FailureDescription(kFailure), FailureTitle(kFailure),
                            MessageIcon::Critical);
    return 0;
}

Outcome Exp::Evaluate(std::string_view expression) const noexcept {
    return detail::EvaluateOnce(expression, m_variables, m_textOrder);
}

Formula Exp::Compile(std::string_view text) const {
    const VariableLookup names(m_variables, m_textOrder);
    return Formula(std::make_shared<const detail::CompiledFormula>(
        text, m_variables, names, std::pmr::get_default_resource(), true));
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
