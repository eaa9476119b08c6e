#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include <vornel/MessageSink.h>
#include "ExpressionFile.h"
#include "WindowServices.h"

class QAction;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace vornel {

class Exp;
class FormulaBox;
struct ControlSpec;

// The engine's messages shown as the window's modal boxes; a message without
// a title of its own carries the application title.
class WindowMessageSink : public MessageSink {
public:
    WindowMessageSink(WindowServices& services, QWidget* parent);
    void ShowMessage(std::string_view prompt, std::string_view title, MessageIcon icon) override;

private:
    WindowServices& m_services;
    QWidget* m_parent;
};

// A number text of the variables list as a double. The text is written with
// "." whatever the user's locale; spaces around it are allowed. A text that is
// not a number gives 0.
double ValueFromText(const QString& text);

// A value typed by the user: a number written with "." or in the user's
// locale's own form, spaces around it allowed. Nothing for any other text,
// and for numbers beyond the range of a double.
std::optional<double> ValueFromInput(const QString& text);

// `value` as a value row holds it: written with "." and at least two
// decimals, without an exponent and without losing a digit (0.125 stays
// 0.125, 100 becomes 100.00).
QString ValueRowText(double value);

// `value` in the result box's form "#,###,##0.000000000000000" with the
// separators of the user's locale.
QString ResultText(double value);

// The calculator window: formula, examples, variables, keypad and result.
// Controls carry their names as objectName; the window's state is the
// contents of its controls.
class Main : public QMainWindow {
    Q_OBJECT

public:
    // `services` must outlive the window.
    explicit Main(WindowServices& services, QWidget* parent = nullptr);
    ~Main() override;

    // Start-up, to run once before the window is shown: the product
    // information window first, then the examples (example 1 goes into the
    // formula box) and the variables A to E.
    void Form_Load();

    // Folders searched by the Help command, best first (set by Form_Load).
    void SetHelpDocumentCandidates(const QStringList& candidates);

protected:
    // Keeps the text boxes and lists from claiming the keys of the window's
    // own commands (Ctrl+X, Ctrl+C, Ctrl+V, Delete and the rest).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The control table names the handlers its controls run.
    friend std::vector<ControlSpec> BuildMainControls();

    void BuildClientArea();
    QWidget* CreateControl(const ControlSpec& spec, QWidget* parent);
    void ConnectControl(const ControlSpec& spec, QWidget* control);
    void BuildMenus();
    void AddMenuAction(QMenu* menu, const char* name, const QString& text,
                       const QKeySequence& shortcut, void (Main::*handler)());
    bool IsWindowShortcut(const QKeyEvent& key) const;

    // Evaluation, clear and close.
    void Button_result_Click(int index);
    void Evaluate_Shortcut();
    void Button_ClearFormula_Click();
    void Button_Close_Click(int index);
    void MenuOpen_Exit_Click();

    // Formula editing.
    void Button_Num_Click(int index);
    void Combo1_Click(int row);
    void MenuEdit_Cut_Click();
    void MenuEdit_Copy_Click();
    void MenuEdit_Paste_Click();
    void MenuEdit_Delete_Click();
    void DeleteSelection();
    QString ActiveControlName() const;

    // Variables list.
    void FillVariables();
    void StoreVariables(Exp& engine) const;
    void List_Var_Click(int row);
    void List3_Click(int row);
    void List_Var_DblClick(int row);
    void List3_DblClick(int row);
    void Command2_Click();
    void AddValueRow();

    // Changing the variables: the lists' context menus and F2.
    void BuildVariableCommands();
    void ShowVariableMenu(QListWidget* list, const QPoint& position);
    void UpdateVariableCommands();
    int SelectedVariableRow() const;
    void SelectVariableRow(int row);
    void EditValue();
    void List3_ItemCheck(int row, const QString& text);
    void RenameVariable();
    QString NameRefusal(const QString& name, int row) const;
    void RemoveVariable();
    QStringList VariableNames() const;
    void VariablesChanged();

    // Expression files.
    void FileOpenProc();
    void MenuFile_Save_Click();
    QString GetFileName(const QString& fileName);
    void OpenFile(const QString& fileName);
    void SaveFileAs(const QString& fileName);

    // Help and About.
    void MenuHelp_Help_Click();
    void MenuHelp_about_Click();

    // A modal box with an exclamation icon titled with the application title.
    void ShowWarning(const QString& prompt);

    WindowServices& m_services;
    WindowMessageSink m_messages;
    QStringList m_helpCandidates;
    QList<QAction*> m_commands;
    QAction* m_editValue = nullptr;
    QAction* m_rename = nullptr;
    QAction* m_remove = nullptr;
    QAction* m_addVariable = nullptr;
    FormulaBox* m_formula = nullptr;
    QLineEdit* m_result = nullptr;
    QListWidget* m_names = nullptr;
    QListWidget* m_values = nullptr;
    QComboBox* m_examples = nullptr;
    // The encoding of the file the formula was last opened from; a formula
    // that comes from no file is saved as a new file.
    std::optional<FileEncoding> m_openedEncoding;
};

}  // namespace vornel
