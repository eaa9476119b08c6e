// The result line: what the formula gives while it is typed, its notes and
// their marks in the formula, and the explanation of an If block.
#include <vornel/model/MainModel.h>

#include <algorithm>

#include "TextTools.h"

namespace vornel {

namespace {

// How long a piece of the formula quoted in the result line may be.
constexpr std::size_t kQuotedCharacters = 40;

bool IsLineBreak(std::string_view formula, std::size_t index) {
    const std::size_t at = CharacterOffset(formula, index);
    return at >= formula.size() || formula[at] == '\r' || formula[at] == '\n';
}

// An empty place (something missing) is shown on the character behind it,
// or at the end of a line on the one before it.
TextRange ShownRange(std::string_view formula, TextRange place) {
    if (!place.Empty()) {
        return place;
    }
    if (!IsLineBreak(formula, place.begin)) {
        return {place.begin, place.begin + 1};
    }
    if (place.begin > 0 && !IsLineBreak(formula, place.begin - 1)) {
        return {place.begin - 1, place.begin};
    }
    return place;
}

std::string Quoted(std::string_view formula, std::size_t begin, std::size_t end) {
    return text::Shortened(text::OnOneLine(text::Slice(formula, {begin, end})), kQuotedCharacters);
}

std::string VerdictText(Verdict verdict, const Outcome& outcome) {
    switch (verdict) {
        case Verdict::True:
            return "true";
        case Verdict::False:
            return "false";
        case Verdict::Failed:
            return "failed: " + Explanation(outcome);
        case Verdict::NotTested:
            break;
    }
    return "not tested";
}

}  // namespace

void MainModel::FormulaEdited() {
    m_port.StartTimer(kTypingPause);
    // The marks stand where the text was; they come back with the new line.
    if (!m_marks.empty()) {
        m_marks.clear();
        m_port.Refresh(kResultLine);
    }
}

void MainModel::TimerElapsed() {
    const std::string formulaText = m_port.BoxText(Box::Formula);
    if (formulaText.empty()) {
        ShowNothing();
        return;
    }
    const Exp engine = EngineWithVariables(nullptr);
    const Formula formula = engine.Compile(formulaText);
    ShowOutcome(formulaText, formula, formula.Evaluate(engine));
}

void MainModel::ShowNothing() {
    m_line.clear();
    m_marks.clear();
    m_port.Refresh(kResultLine);
}

void MainModel::AddMessage(std::string_view formula, MessageKind kind, std::string message,
                           std::optional<TextRange> place) {
    m_line.push_back({kind, std::move(message), place});
    if (place && (kind == MessageKind::Failure || kind == MessageKind::Note)) {
        const MarkKind mark = kind == MessageKind::Failure ? MarkKind::Failure : MarkKind::Note;
        m_marks.push_back({mark, *place, ShownRange(formula, *place)});
    }
}

// The value as "=" shows it, or the failure's sentence; then every note.
void MainModel::ShowOutcome(std::string_view formulaText, const Formula& formula,
                            const Outcome& outcome) {
    m_line.clear();
    m_marks.clear();
    if (outcome.Succeeded()) {
        AddMessage(formulaText, MessageKind::Value,
                   "= " + ResultText(outcome.value, m_port.UserNumberFormat()), std::nullopt);
    } else {
        AddMessage(formulaText, MessageKind::Failure, Explanation(outcome),
                   TextRange{outcome.begin, outcome.end});
    }
    for (const Note& note : formula.Notes()) {
        AddMessage(formulaText, MessageKind::Note, note.message, TextRange{note.begin, note.end});
    }
    m_port.Refresh(kResultLine);
}

void MainModel::ResultLineClicked(std::size_t index) {
    if (index < m_line.size() && m_line[index].place) {
        m_port.SelectInBox(Box::Formula, *m_line[index].place);
        m_port.Focus(Control::Formula);
    }
}

// Each condition with its verdict, in order, then the chosen branch (marked
// in the formula) and what the block gives.
void MainModel::ExplainIfBlock() {
    m_port.StopTimer();
    const std::string formulaText = m_port.BoxText(Box::Formula);
    const Exp engine = EngineWithVariables(nullptr);
    const Formula formula = engine.Compile(formulaText);
    const Trace trace = formula.TraceEvaluation(engine);
    m_line.clear();
    m_marks.clear();
    if (!trace.isBlock) {
        AddMessage(formulaText, MessageKind::Condition,
                   "There is no If block to explain: the formula does not begin with If",
                   std::nullopt);
    }
    const TextRange failurePlace{trace.outcome.begin, trace.outcome.end};
    for (std::size_t i = 0; i < trace.conditions.size(); ++i) {
        const ConditionTrace& condition = trace.conditions[i];
        const bool failed = condition.verdict == Verdict::Failed;
        AddMessage(formulaText, failed ? MessageKind::Failure : MessageKind::Condition,
                   (i == 0 ? "If " : "ElseIf ") +
                       Quoted(formulaText, condition.begin, condition.end) + ": " +
                       VerdictText(condition.verdict, trace.outcome),
                   failed ? failurePlace : TextRange{condition.begin, condition.end});
    }
    if (trace.branchChosen) {
        const TextRange branch{trace.branchBegin, trace.branchEnd};
        AddMessage(formulaText, MessageKind::Condition,
                   "Chosen: " + Quoted(formulaText, branch.begin, branch.end), branch);
        m_marks.push_back({MarkKind::Branch, branch, ShownRange(formulaText, branch)});
    }
    const bool conditionFailed =
        std::any_of(trace.conditions.begin(), trace.conditions.end(),
                    [](const ConditionTrace& c) { return c.verdict == Verdict::Failed; });
    if (trace.outcome.Succeeded()) {
        AddMessage(formulaText, MessageKind::Value,
                   "= " + ResultText(trace.outcome.value, m_port.UserNumberFormat()), std::nullopt);
    } else if (!conditionFailed) {
        AddMessage(formulaText, MessageKind::Failure, Explanation(trace.outcome), failurePlace);
    }
    m_port.Refresh(kResultLine);
}

}  // namespace vornel
