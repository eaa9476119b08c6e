#include "Exp.h"

#include "ArithmeticEvaluator.h"
#include "Failure.h"
#include "Normalizer.h"
#include "NumberText.h"
#include "SelectBranch.h"
#include "Text.h"

namespace vornel {

namespace {

constexpr std::string_view kInvalidExpression = "Invalid Expression!";

// Upper-cases the text, lets an If block choose its branch, and replaces the
// variables by their values.
std::string PrepareExpression(std::string_view text, const VariableTable& variables) {
    std::string upper = ToUpper(TrimSpaces(text));
    if (upper.starts_with("IF")) {
        upper = SelectBranch(upper, variables);
    }
    return NormalizeExpression(upper, variables);
}

}  // namespace

Exp::Exp(MessageSink& messages) : m_messages(messages) {}

std::int16_t Exp::SetVariable(std::int16_t index, std::string name, double value) {
    if (index > MaxFactor()) {
        m_messages.ShowMessage("Max number is" + std::to_string(MaxFactor()), "",
                               MessageIcon::None);
        return 0;
    }
    if (index < 0) {
        constexpr int kFailure = EvaluationFailure::kSubscriptOutOfRange;
        m_messages.ShowMessage(FailureDescription(kFailure), FailureTitle(kFailure),
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

double Exp::CalculateResult(const std::string& expressionString) {
    try {
        return EvaluateArithmetic(PrepareExpression(TrimSpaces(expressionString), m_variables));
    } catch (const EvaluationFailure& failure) {
        m_messages.ShowMessage(kInvalidExpression, FailureTitle(failure.number),
                               MessageIcon::Exclamation);
        return 0;
    }
}

}  // namespace vornel
