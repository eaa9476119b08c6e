#include <vornel/Exp.h>
#include <vornel/Formula.h>

#include <utility>

#include "CompiledFormula.h"

namespace vornel {

namespace detail {

CompiledFormula::CompiledFormula(std::string source, const VariableTable&)
    : text(std::move(source)) {}

}  // namespace detail

namespace {

const std::shared_ptr<const detail::CompiledFormula>& EmptyFormula() {
    static const auto empty =
        std::make_shared<const detail::CompiledFormula>(std::string(), VariableTable());
    return empty;
}

}  // namespace

std::string_view NoteText(NoteKind kind) noexcept {
    switch (kind) {
        case NoteKind::UnknownWord:
            return "A name that is neither a variable nor a function is skipped";
        case NoteKind::SkippedCharacter:
            return "A character that arithmetic does not use is skipped";
        case NoteKind::UnclosedParenthesis:
            return "The end of the formula closes this parenthesis";
        case NoteKind::SkippedClose:
            return "There is nothing for this to close, so it is passed over";
        case NoteKind::UnusedArgument:
            return "This argument is beyond the function's count and takes no part";
        case NoteKind::TextAfterEndIf:
            return "Text after EndIf is ignored";
        case NoteKind::IfNotAtStart:
            return "An If block must start the formula: here it is read as arithmetic";
        case NoteKind::UnknownNameInCondition:
            return "A name in a condition that is no variable makes the condition false";
        case NoteKind::InvalidCondition:
            return "A character that starts no part of a condition makes it false";
        case NoteKind::JoinedNumbers:
            return "White space between digits joins them into one number";
    }
    return "";
}

Formula::Formula() : m_compiled(EmptyFormula()) {}
Formula::Formula(std::shared_ptr<const detail::CompiledFormula> compiled) noexcept
    : m_compiled(std::move(compiled)) {}
Formula::~Formula() = default;
Formula::Formula(const Formula&) = default;
Formula& Formula::operator=(const Formula&) = default;
Formula::Formula(Formula&&) noexcept = default;
Formula& Formula::operator=(Formula&&) noexcept = default;

Outcome Formula::Evaluate(const Exp& variables) const noexcept {
    return EvaluateText(m_compiled->text, variables.Variables());
}

Trace Formula::TraceEvaluation(const Exp& variables) const {
    Trace trace;
    trace.outcome = Evaluate(variables);
    return trace;
}

const std::vector<std::string>& Formula::Variables() const noexcept {
    return m_compiled->variables;
}

const std::vector<Note>& Formula::Notes() const noexcept {
    return m_compiled->notes;
}

const std::string& Formula::Text() const noexcept {
    return m_compiled->text;
}

}  // namespace vornel
