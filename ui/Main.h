#pragma once

#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

#include <vornel/model/MainModel.h>
#include "WindowServices.h"

class QAction;
class QComboBox;
class QKeyEvent;
class QTextBrowser;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace vornel {

class FormulaBox;
struct ControlHandlers;
namespace layout {
struct ControlSpec;
}

// The calculator window in Qt: formula, result line, history, examples,
// variables, keypad and result. It only binds its controls to the window's
// model (MainModel), which decides what every command does, and is the
// model's WindowPort. Controls carry their names as objectName.
class Main : public QMainWindow, private WindowPort {
    Q_OBJECT

public:
    // `services` must outlive the window.
    explicit Main(WindowServices& services, QWidget* parent = nullptr);
    ~Main() override;

    // Start-up, to run once before the window is shown: the product
    // information window first, then the examples (example 1 goes into the
    // formula box), the variables A to E and the history; the size and
    // place kept from the last run.
    void Form_Load();

    // Files searched by the Help command, best first (set by Form_Load).
    void SetHelpDocumentCandidates(const std::vector<std::string>& candidates);

    MainModel& Model() { return m_model; }

protected:
    // Keeps the text boxes and lists from claiming the keys of the window's
    // own commands (Ctrl+X, Ctrl+C, Ctrl+V, Delete and the rest); Up and Down
    // in the formula recall the history; the client area lays out its
    // controls as it grows.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The size and place are kept, and the formula for the next start's undo.
    void closeEvent(QCloseEvent* event) override;

private:
    // The control table names the handlers its controls run.
    friend ControlHandlers HandlersOf(const layout::ControlSpec& spec);

    void BuildClientArea();
    QWidget* CreateControl(const layout::ControlSpec& spec, QWidget* parent);
    void ConnectControl(const layout::ControlSpec& spec, QWidget* control);
    void BuildMenus();
    QAction* AddMenuAction(QMenu* menu, const char* name, const QString& text,
                           const QKeySequence& shortcut, void (MainModel::*handler)());
    void BuildVariableCommands();
    bool IsWindowShortcut(const QKeyEvent& key) const;
    bool FormulaKey(const QKeyEvent& key);
    void LayOut();

    // Handlers the control table names; each hands the action to the model.
    void Button_result_Click(int index);
    void Button_ClearFormula_Click();
    void Button_Close_Click(int index);
    void Button_Num_Click(int index);
    void Combo1_Click(int row);
    void List_Var_Click(int row);
    void List3_Click(int row);
    void List_Var_DblClick(int row);
    void List3_DblClick(int row);
    void Command2_Click();

    // Showing the model's state.
    void ShowVariables();
    void ShowVariableSelection();
    void ShowResultLine();
    void ShowHistory();
    void ShowVariableMenu(QListWidget* list, const QPoint& position);

    // WindowPort.
    void ShowMessage(const std::string& prompt, const std::string& title,
                     MessageIcon icon) override;
    bool Ask(const std::string& prompt, const std::string& title) override;
    std::optional<std::vector<std::string>> GetInput(const InputRequest& request) override;
    std::optional<std::string> GetOpenFileName(const std::vector<FileFilter>& filters) override;
    std::optional<std::string> GetSaveFileName(const std::string& fileName,
                                               const std::vector<FileFilter>& filters,
                                               const std::string& defaultSuffix) override;
    void ShowProductInformation() override;
    void ShowAbout() override;
    bool StartHelpViewer(const std::string& path) override;
    void SetBusy(bool busy) override;
    std::string ClipboardText() override;
    void SetClipboardText(const std::string& text) override;
    void StartTimer(std::chrono::milliseconds delay) override;
    void StopTimer() override;
    std::optional<std::string> ReadSetting(const std::string& key) override;
    void WriteSetting(const std::string& key, const std::string& value) override;
    std::string DataFolder() override;
    NumberFormat UserNumberFormat() override;
    void CloseWindow() override;
    std::string BoxText(Box box) override;
    TextRange BoxSelection(Box box) override;
    void ReplaceInBox(Box box, TextRange range, const std::string& text) override;
    void SelectInBox(Box box, TextRange range) override;
    void UndoInBox(Box box) override;
    void RedoInBox(Box box) override;
    Control FocusedControl() override;
    void Focus(Control control) override;
    void Refresh(unsigned parts) override;

    WindowServices& m_services;
    MainModel m_model;
    QTimer m_typingPause;
    QList<QAction*> m_commands;
    QAction* m_editValue = nullptr;
    QAction* m_rename = nullptr;
    QAction* m_remove = nullptr;
    QAction* m_addVariable = nullptr;
    QWidget* m_client = nullptr;
    FormulaBox* m_formula = nullptr;
    QLineEdit* m_result = nullptr;
    QTextBrowser* m_resultLine = nullptr;
    QListWidget* m_history = nullptr;
    QListWidget* m_names = nullptr;
    QListWidget* m_values = nullptr;
    QComboBox* m_examples = nullptr;
    bool m_historyWithCtrl = false;  // the entry activated is inserted as its value
};

}  // namespace vornel
