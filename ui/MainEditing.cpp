// Formula editing: keypad, examples and the Edit menu's clipboard commands.
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>

#include "ControlTable.h"
#include "Examples.h"
#include "FormulaBox.h"
#include "Main.h"

namespace vornel {

namespace {

const QString kFormulaName = QStringLiteral("Text_Formula");
const QString kResultName = QStringLiteral("Text_CalResult");

void SetClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

}  // namespace

void Main::Button_Num_Click(int index) {
    m_formula->ReplaceSelection(KeypadInsertText(index));
}

void Main::Combo1_Click(int row) {
    if (const auto example = ExampleExpression(row)) {
        m_formula->SetText(*example);
    }
}

// Menu commands leave the focus where it was, so the focused control tells
// which box a clipboard command works on.
QString Main::ActiveControlName() const {
    const QWidget* active = focusWidget();
    return active != nullptr ? active->objectName() : QString();
}

void Main::MenuEdit_Cut_Click() {
    const QString active = ActiveControlName();
    if (active == kFormulaName) {
        SetClipboardText(m_formula->SelectedText());
        m_formula->ReplaceSelection(QString());
    } else if (active == kResultName) {
        SetClipboardText(m_result->selectedText());
        m_result->insert(QString());
    }
}

void Main::MenuEdit_Copy_Click() {
    const QString active = ActiveControlName();
    if (active == kFormulaName) {
        SetClipboardText(m_formula->SelectedText());
    } else if (active == kResultName) {
        SetClipboardText(m_result->selectedText());
    }
}

void Main::MenuEdit_Paste_Click() {
    if (ActiveControlName() == kFormulaName) {
        m_formula->ReplaceSelection(QGuiApplication::clipboard()->text());
    }
}

void Main::MenuEdit_Delete_Click() {
    if (ActiveControlName() == kFormulaName) {
        DeleteSelection();
    }
}

void Main::DeleteSelection() {
    m_formula->DeleteSelection();
}

}  // namespace vornel
