// Start-up and exit, the evaluation command, clear and close, the keypad, the
// examples and the Edit menu.
#include <vornel/model/MainModel.h>

#include <algorithm>
#include <charconv>
#include <sstream>

#include <vornel/Display.h>

#include "ModelParts.h"
#include "TextTools.h"

namespace vornel {

namespace {

const std::string kFormulaAtExitKey = "formula/atExit";
const std::string kPlacementKey = "window/placement";

TextRange WholeText(std::string_view text) {
    return {0, text::CharacterCount(text)};
}

}  // namespace

MainModel::MainModel(WindowPort& port) : m_port(port) {}

MainModel::~MainModel() = default;

void MainModel::Form_Load() {
    m_port.ShowProductInformation();
    FillVariables();
    LoadHistory();
    // The formula left at the last exit is one undo step behind example 1.
    const std::optional<std::string> left = m_port.ReadSetting(kFormulaAtExitKey);
    if (left && !left->empty() && left != ExampleExpression(0)) {
        ReplaceFormula(*left);
    }
    Combo1_Click(0);
    // Typing right away replaces the example.
    m_port.SelectInBox(Box::Formula, WholeText(m_port.BoxText(Box::Formula)));
    m_port.Focus(Control::Formula);
}

void MainModel::Form_Unload() {
    m_port.StopTimer();
    m_port.WriteSetting(kFormulaAtExitKey, m_port.BoxText(Box::Formula));
}

std::optional<Placement> MainModel::KeptPlacement(const Placement& minimum) {
    Placement kept;
    std::istringstream saved(m_port.ReadSetting(kPlacementKey).value_or(""));
    int maximized = 0;
    if (!(saved >> kept.x >> kept.y >> kept.width >> kept.height >> maximized)) {
        return std::nullopt;
    }
    kept.width = std::max(kept.width, minimum.width);
    kept.height = std::max(kept.height, minimum.height);
    kept.maximized = maximized != 0;
    return kept;
}

void MainModel::SavePlacement(const Placement& placement) {
    m_port.WriteSetting(kPlacementKey, std::to_string(placement.x) + ' ' +
                                           std::to_string(placement.y) + ' ' +
                                           std::to_string(placement.width) + ' ' +
                                           std::to_string(placement.height) + ' ' +
                                           (placement.maximized ? "1" : "0"));
}

Exp MainModel::EngineWithVariables(MessageSink* messages) const {
    Exp engine = messages != nullptr ? Exp(*messages) : Exp();
    const int rows = std::min(int(m_rows.size()), kFirstVariableRow + kVariableSlots);
    for (int row = kFirstVariableRow; row < rows; ++row) {
        engine.SetVariable(std::int16_t(row - kFirstVariableRow),
                           text::Upper(text::Trimmed(m_rows[std::size_t(row)].name)),
                           ValueFromText(m_rows[std::size_t(row)].value));
    }
    return engine;
}

void MainModel::SetResult(const std::string& result) {
    m_port.ReplaceInBox(Box::Result, WholeText(m_port.BoxText(Box::Result)), result);
}

// The engine shows a failure in its own box; once that is dismissed the
// result line keeps the sentence and the formula points at the place.
void MainModel::Button_result_Click() {
    m_port.StopTimer();
    const std::string formulaText = m_port.BoxText(Box::Formula);
    if (formulaText.empty()) {
        SetResult("0");
        ShowNothing();
        return;
    }
    PortMessageSink messages(m_port);
    Exp engine = EngineWithVariables(&messages);
    const Outcome outcome = engine.CalculateOutcome(formulaText);
    const std::string shown = ResultText(outcome.value, m_port.UserNumberFormat());
    SetResult(shown);
    const Formula formula = engine.Compile(formulaText);
    ShowOutcome(formulaText, formula, outcome);
    AddToHistory({formulaText, outcome.Succeeded() ? shown : Explanation(outcome),
                  outcome.Succeeded() ? NumberText(outcome.value) : std::string()});
    if (!outcome.Succeeded()) {
        m_port.SelectInBox(Box::Formula, {outcome.begin, outcome.end});
        m_port.Focus(Control::Formula);
    }
}

void MainModel::Button_ClearFormula_Click() {
    ReplaceFormula("");
    SetResult("0");
}

void MainModel::Button_Close_Click() {
    m_port.CloseWindow();
}

void MainModel::ReplaceFormula(const std::string& formula) {
    m_port.ReplaceInBox(Box::Formula, WholeText(m_port.BoxText(Box::Formula)), formula);
}

void MainModel::Button_Num_Click(int member) {
    m_port.ReplaceInBox(Box::Formula, m_port.BoxSelection(Box::Formula), KeypadInsertText(member));
}

void MainModel::Combo1_Click(int row) {
    if (const std::optional<std::string> example = ExampleExpression(row)) {
        ReplaceFormula(*example);
    }
}

// Menu commands leave the focus where it was, so the focused control tells
// which box a clipboard command works on.
void MainModel::MenuEdit_Cut_Click() {
    const Control focused = m_port.FocusedControl();
    if (focused == Control::Formula || focused == Control::Result) {
        const Box box = focused == Control::Formula ? Box::Formula : Box::Result;
        const TextRange selection = m_port.BoxSelection(box);
        m_port.SetClipboardText(std::string(text::Slice(m_port.BoxText(box), selection)));
        m_port.ReplaceInBox(box, selection, "");
    }
}

void MainModel::MenuEdit_Copy_Click() {
    const Control focused = m_port.FocusedControl();
    if (focused == Control::Formula || focused == Control::Result) {
        const Box box = focused == Control::Formula ? Box::Formula : Box::Result;
        m_port.SetClipboardText(
            std::string(text::Slice(m_port.BoxText(box), m_port.BoxSelection(box))));
    }
}

void MainModel::MenuEdit_Paste_Click() {
    if (m_port.FocusedControl() == Control::Formula) {
        m_port.ReplaceInBox(Box::Formula, m_port.BoxSelection(Box::Formula),
                            WithLineEnds(m_port.ClipboardText(), LineEnds::CrLf));
    }
}

void MainModel::MenuEdit_Delete_Click() {
    switch (m_port.FocusedControl()) {
        case Control::Formula:
            DeleteSelection();
            break;
        case Control::Names:
        case Control::Values:
            RemoveVariable();
            break;
        default:
            break;
    }
}

// Forward delete: the selection, or the character behind the caret, where a
// CR LF line break goes whole; nothing with the caret at the very end.
void MainModel::DeleteSelection() {
    const std::string formula = m_port.BoxText(Box::Formula);
    TextRange selection = m_port.BoxSelection(Box::Formula);
    const std::size_t length = text::CharacterCount(formula);
    if (selection.begin >= length) {
        return;
    }
    if (selection.Empty()) {
        const bool lineBreak = formula[CharacterOffset(formula, selection.begin)] == '\r';
        selection.end = std::min(length, selection.begin + (lineBreak ? 2 : 1));
    }
    m_port.ReplaceInBox(Box::Formula, selection, "");
}

void MainModel::MenuEdit_Undo_Click() {
    m_port.UndoInBox(m_port.FocusedControl() == Control::Result ? Box::Result : Box::Formula);
}

void MainModel::MenuEdit_Redo_Click() {
    m_port.RedoInBox(m_port.FocusedControl() == Control::Result ? Box::Result : Box::Formula);
}

void MainModel::MenuHelp_about_Click() {
    m_port.ShowAbout();
}

void MainModel::ShowWarning(const std::string& prompt) {
    m_port.ShowMessage(prompt, kApplicationTitle, MessageIcon::Exclamation);
}

}  // namespace vornel
