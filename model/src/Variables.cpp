// The variables list: two lists read row by row as one table of names and
// values below two heading rows; variables added, their values edited,
// renamed and removed.
#include <vornel/Names.h>
#include <vornel/model/MainModel.h>

#include <algorithm>

#include "ModelParts.h"
#include "TextTools.h"

namespace vornel {

namespace {

const std::vector<VariableRow> kStartRows = {
    {" Variable ", " Value"}, {"-----------------", "-----------------"},
    {" A    ", " 100.00"},    {" B    ", " 200.00"},
    {" C    ", " 300.00"},    {" D    ", " 400.00"},
    {" E    ", " 500.00"},
};

const std::string kNotNumber = "The inputed value is not number.";

std::string Quoted(std::string_view text) {
    return '"' + std::string(text) + '"';
}

// A changed row keeps the indent its text had, so rows made at start-up stay
// lined up with their neighbours.
void ReplaceKeepingIndent(std::string& row, std::string_view text) {
    row = std::string(text::Indent(row)) + std::string(text);
}

}  // namespace

void MainModel::FillVariables() {
    m_rows = kStartRows;
    m_selectedRow = -1;
    m_port.Refresh(kVariables);
}

std::vector<std::string> MainModel::VariableNames() const {
    std::vector<std::string> names;
    for (std::size_t row = kFirstVariableRow; row < m_rows.size(); ++row) {
        names.emplace_back(text::Trimmed(m_rows[row].name));
    }
    return names;
}

bool MainModel::VariableSelected() const {
    return m_selectedRow >= kFirstVariableRow && m_selectedRow < int(m_rows.size());
}

void MainModel::SelectVariableRow(int row) {
    m_selectedRow = row >= 0 && row < int(m_rows.size()) ? row : -1;
    m_port.Refresh(kVariableSelection);
}

// Selecting the row in one list selects it in the other.
void MainModel::List_Var_Click(int row) {
    SelectVariableRow(row);
}

void MainModel::List3_Click(int row) {
    SelectVariableRow(row);
}

void MainModel::List_Var_DblClick(int row) {
    if (row < kFirstVariableRow || row >= int(m_rows.size())) {
        return;
    }
    m_port.ReplaceInBox(Box::Formula, m_port.BoxSelection(Box::Formula),
                        std::string(text::Trimmed(m_rows[std::size_t(row)].name)));
    m_port.Focus(Control::Formula);
}

void MainModel::List3_DblClick(int row) {
    if (row >= kFirstVariableRow && row < int(m_rows.size())) {
        SelectVariableRow(row);
        EditValue();
    }
}

// Asks for the new variable's name (the next number after the rows present,
// passing over names already taken) and value. The engine has 33 slots, so a
// 34th variable is refused before the dialog opens.
void MainModel::Command2_Click() {
    const int variables = int(m_rows.size()) - kFirstVariableRow;
    if (variables >= kVariableSlots) {
        m_port.ShowMessage("Max number is" + std::to_string(kVariableSlots - 1), kApplicationTitle,
                           MessageIcon::None);
        return;
    }
    const std::vector<std::string> names = VariableNames();
    int number = int(m_rows.size()) + 1;
    const auto taken = [&names](const std::string& name) {
        return std::any_of(names.begin(), names.end(), [&name](const std::string& other) {
            return text::EqualIgnoringCase(other, name);
        });
    };
    while (taken("Var" + std::to_string(number))) {
        ++number;
    }
    const NumberFormat format = m_port.UserNumberFormat();
    const std::optional<std::vector<std::string>> typed = m_port.GetInput(
        {"Add Variable",
         {{"Name:", "Var" + std::to_string(number)}, {"Value:", "0.00"}},
         [this, &format](const std::vector<std::string>& lines) {
             const std::string refusal = NameRefusal(text::Trimmed(lines.at(0)), -1);
             if (!refusal.empty()) {
                 return refusal;
             }
             return ValueFromInput(lines.at(1), format) ? std::string() : kNotNumber;
         }});
    if (!typed) {
        return;
    }
    m_rows.push_back({std::string(text::Trimmed(typed->at(0))),
                      ValueRowText(*ValueFromInput(typed->at(1), format))});
    m_selectedRow = int(m_rows.size()) - 1;
    m_port.Refresh(kVariables);
}

// A value row always holds a number text with "." (the evaluation reads it
// so): a number in that form or in the user's own is stored in it, anything
// else is refused.
void MainModel::EditValue() {
    if (!VariableSelected()) {
        return;
    }
    VariableRow& row = m_rows[std::size_t(m_selectedRow)];
    const NumberFormat format = m_port.UserNumberFormat();
    const std::optional<std::vector<std::string>> typed = m_port.GetInput(
        {"Edit Value",
         {{"Value of " + std::string(text::Trimmed(row.name)) + ":",
           std::string(text::Trimmed(row.value))}},
         [&format](const std::vector<std::string>& lines) {
             return ValueFromInput(lines.at(0), format) ? std::string() : kNotNumber;
         }});
    if (typed) {
        ReplaceKeepingIndent(row.value, ValueRowText(*ValueFromInput(typed->at(0), format)));
        m_port.Refresh(kVariables);
    }
}

void MainModel::RenameVariable() {
    if (!VariableSelected()) {
        return;
    }
    const int selected = m_selectedRow;
    const std::string old(text::Trimmed(m_rows[std::size_t(selected)].name));
    const std::optional<std::vector<std::string>> typed =
        m_port.GetInput({"Rename Variable",
                         {{"New name for " + old + ":", old}},
                         [this, &old, selected](const std::vector<std::string>& lines) {
                             const std::string_view name = text::Trimmed(lines.at(0));
                             return name == old ? std::string() : NameRefusal(name, selected);
                         }});
    if (typed && text::Trimmed(typed->at(0)) != old) {
        ReplaceKeepingIndent(m_rows[std::size_t(selected)].name, text::Trimmed(typed->at(0)));
        m_port.Refresh(kVariables);
    }
}

// Why `name` cannot be given to the variable in `row` (-1: a new one), or "".
std::string MainModel::NameRefusal(std::string_view name, int row) const {
    // The reason goes on a line of its own, so that no line breaks inside the
    // quoted name.
    const std::string cannot = Quoted(name) + " cannot be a variable name:\n";
    switch (CheckVariableName(name)) {
        case NameProblem::None:
            break;
        case NameProblem::Empty:
            return "A variable needs a name.";
        case NameProblem::BadStart:
            return cannot + "a name begins with a letter (A to Z) or \"_\".";
        case NameProblem::BadCharacter:
            return cannot + "a name holds only letters (A to Z), digits and \"_\".";
        case NameProblem::FunctionName:
            return cannot + "it is the name of a function.";
        case NameProblem::TruthValue:
            return cannot + "conditions read it as a truth value.";
        case NameProblem::Keyword:
            return cannot + "it is a keyword of If blocks.";
        case NameProblem::HoldsKeyword:
            return cannot + "it holds THEN, ELSE or ENDIF, which would break If blocks.";
        case NameProblem::BeginsWithIf:
            return cannot + "a formula beginning with it would be read as an If block.";
    }
    for (int other = kFirstVariableRow; other < int(m_rows.size()); ++other) {
        const std::string_view taken = text::Trimmed(m_rows[std::size_t(other)].name);
        if (other != row && text::EqualIgnoringCase(taken, name)) {
            return cannot + "the variable " + Quoted(taken) + " has it already.";
        }
    }
    return {};
}

// The rows below a removed one move up, and so reach the engine one slot
// lower. The user is asked first.
void MainModel::RemoveVariable() {
    if (!VariableSelected()) {
        return;
    }
    const auto row = std::size_t(m_selectedRow);
    if (!m_port.Ask("Remove the variable " + std::string(text::Trimmed(m_rows[row].name)) + "?",
                    "Remove Variable")) {
        return;
    }
    m_rows.erase(m_rows.begin() + std::ptrdiff_t(row));
    const int next = std::min(int(row), int(m_rows.size()) - 1);
    m_selectedRow = next >= kFirstVariableRow ? next : -1;
    m_port.Refresh(kVariables);
}

}  // namespace vornel
