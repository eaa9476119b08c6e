#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <vornel/Exp.h>
#include <vornel/model/WindowPort.h>
#include "ExpressionFile.h"

// The calculator window's behaviour, without a toolkit: the evaluation
// command and the result line, the keypad and the examples, the clipboard
// commands, the variables, the history, the expression files, help and
// About. A view (Qt, or the Windows API) shows the state read here and calls
// a handler for each user action; the model reaches the view only through
// its WindowPort (see there for what a view must do). Handlers carry the
// window's own names (Button_result_Click, Combo1_Click, ...).
namespace vornel {

// --- Texts the window shows, for every view.

// The example chooser's rows: "Example Expression 1" to "... 4".
inline constexpr int kExampleCount = 4;
std::string ExampleName(int row);
// The formula of example `row` (lines joined by CR LF), nothing for no row.
std::optional<std::string> ExampleExpression(int row);

// The keypad: members 0 to 38, no member 37.
inline constexpr int kKeypadMembers = 39;
// The caption of a member ("" for none); "&& And" shows as "& And".
std::string KeypadCaption(int member);
// What a member inserts: digits, "00" and "." their caption, Or "| ", And
// "& ", Space " ", Enter CR LF, every other key its caption and a space.
std::string KeypadInsertText(int member);

// --- Numbers as the window writes and reads them.

// The result box's form "#,###,##0.000000000000000" with `format`'s separators.
std::string ResultText(double value, const NumberFormat& format);
// A value row's text as a double: written with ".", spaces around allowed;
// 0 for a text that is no number.
double ValueFromText(std::string_view text);
// A value typed by the user: with "." or in `format`'s own form, spaces
// around allowed; nothing for any other text and beyond a double's range.
std::optional<double> ValueFromInput(std::string_view text, const NumberFormat& format);
// A value row's text: "." and at least two decimals, every digit kept, no
// exponent (0.125 stays 0.125, 100 becomes 100.00).
std::string ValueRowText(double value);

// --- Help.

// The help document's file name.
inline constexpr const char* kHelpDocumentName = "vornel-help.html";
// Where the help document may be, best first: beside the program (on Windows
// a compiled "help.chm" there comes first), then in the data folder.
std::vector<std::string> HelpDocumentCandidates(const std::string& programFolder,
                                                const std::string& dataFolder);

// --- The window's state.

// One row of the two variables lists: rows 0 and 1 are headings, row r >= 2
// is the variable of engine slot r - 2. Texts as shown (with their spaces).
struct VariableRow {
    std::string name;
    std::string value;
    bool operator==(const VariableRow&) const = default;
};
inline constexpr int kFirstVariableRow = 2;

// One message of the result line. Clicking one with a place
// (ResultLineClicked) selects that place in the formula.
enum class MessageKind { Value, Failure, Note, Condition };
struct LineMessage {
    MessageKind kind = MessageKind::Value;
    std::string text;
    std::optional<TextRange> place;
    bool operator==(const LineMessage&) const = default;
};

// A mark in the formula: a wavy underline, red for a failure and amber for a
// note, or the highlighted branch an explanation chose. `place` is what the
// message is about; `shown` is what to draw, never empty: an empty place (a
// missing part) is shown on the character beside it.
enum class MarkKind { Failure, Note, Branch };
struct Mark {
    MarkKind kind = MarkKind::Failure;
    TextRange place;
    TextRange shown;
    bool operator==(const Mark&) const = default;
};

// One evaluated formula: its text, what "=" showed (the value or the
// failure's sentence), and the value, when there was one, as number text.
struct HistoryEntry {
    std::string formula;
    std::string result;
    std::string value;  // "" after a failure
    bool operator==(const HistoryEntry&) const = default;
};
inline constexpr std::size_t kMaxHistoryEntries = 1000;

// Where a window stands and how large it is, in the view's own units.
struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;
    bool operator==(const Placement&) const = default;
};

class MainModel {
public:
    // The pause after the last edit before the result line is worked out.
    static constexpr std::chrono::milliseconds kTypingPause{150};

    // `port` must outlive the model.
    explicit MainModel(WindowPort& port);
    ~MainModel();
    MainModel(const MainModel&) = delete;
    MainModel& operator=(const MainModel&) = delete;

    // Start-up: the product information window, then the variables A to E,
    // the history kept from earlier runs, and example 1 in the formula. The
    // formula left at the last exit stays one undo step away.
    void Form_Load();
    // The window closes: the formula is kept for the next start's undo.
    void Form_Unload();
    // The folders' files searched by Help, best first.
    void SetHelpDocumentCandidates(std::vector<std::string> candidates);
    // The size and position kept from the last run, made at least as large
    // as `minimum`; nothing when none was kept.
    std::optional<Placement> KeptPlacement(const Placement& minimum);
    void SavePlacement(const Placement& placement);

    // Evaluation, clear, close.
    void Button_result_Click();
    void Button_ClearFormula_Click();
    void Button_Close_Click();

    // The formula was edited (any change of its text): the result line
    // follows after kTypingPause.
    void FormulaEdited();
    void TimerElapsed();
    // A message of the result line was clicked.
    void ResultLineClicked(std::size_t index);
    // Explains the If block in the formula: each condition's verdict in the
    // result line, the chosen branch marked.
    void ExplainIfBlock();

    // Formula editing.
    void Button_Num_Click(int member);
    void Combo1_Click(int row);
    void MenuEdit_Cut_Click();
    void MenuEdit_Copy_Click();
    void MenuEdit_Paste_Click();
    // Delete: forward delete in the formula (a CR LF goes whole), or removes
    // the selected variable when a variables list has the focus.
    void MenuEdit_Delete_Click();
    void MenuEdit_Undo_Click();
    void MenuEdit_Redo_Click();
    // Up and Down in the formula box: on its first (last) line they recall
    // the earlier (later) formula of the history. False when the key is the
    // box's own (the caret is on another line).
    bool FormulaKeyUp();
    bool FormulaKeyDown();

    // History.
    // The entry `index` goes back into the formula, or with `insertValue`
    // its value is inserted at the caret.
    void History_Activate(std::size_t index, bool insertValue);
    void MenuHistory_Clear_Click();
    // How the history list shows entry `index`: the formula on one line and
    // what "=" showed.
    std::string HistoryRowText(std::size_t index) const;

    // Variables.
    void List_Var_Click(int row);
    void List3_Click(int row);
    void List_Var_DblClick(int row);
    void List3_DblClick(int row);
    void Command2_Click();
    void EditValue();
    void RenameVariable();
    void RemoveVariable();

    // Files, help and About.
    void FileOpenProc();
    void MenuFile_Save_Click();
    void MenuHelp_Help_Click();
    void MenuHelp_about_Click();

    // State to show.
    const std::vector<VariableRow>& VariableRows() const { return m_rows; }
    // The selected row of both lists, -1 for none.
    int SelectedVariableRow() const { return m_selectedRow; }
    // Whether Edit Value, Rename and Remove have a variable to work on.
    bool VariableSelected() const;
    // The variables' names as a formula uses them (trimmed), for colouring.
    std::vector<std::string> VariableNames() const;
    const std::vector<LineMessage>& ResultLine() const { return m_line; }
    const std::vector<Mark>& Marks() const { return m_marks; }
    const std::vector<HistoryEntry>& History() const { return m_history; }

private:
    void ShowWarning(const std::string& prompt);
    Exp EngineWithVariables(MessageSink* messages) const;
    void SetResult(const std::string& result);
    void ShowNothing();
    void ShowOutcome(std::string_view formulaText, const Formula& formula, const Outcome& outcome);
    void AddMessage(std::string_view formulaText, MessageKind kind, std::string message,
                    std::optional<TextRange> place);
    void ReplaceFormula(const std::string& text);
    void DeleteSelection();
    void FillVariables();
    void SelectVariableRow(int row);
    bool Recall(int step);
    void AddToHistory(HistoryEntry entry);
    void LoadHistory();
    std::string HistoryPath() const;
    std::string NameRefusal(std::string_view name, int row) const;
    void OpenFile(const std::string& fileName);
    std::optional<std::string> GetFileName(const std::string& fileName);
    void SaveFileAs(const std::string& fileName);

    WindowPort& m_port;
    std::vector<VariableRow> m_rows;
    int m_selectedRow = -1;
    std::vector<LineMessage> m_line;
    std::vector<Mark> m_marks;
    std::vector<HistoryEntry> m_history;
    std::vector<std::string> m_helpCandidates;
    // Recalling: the entry in the formula, and the formula typed before the
    // first Up, which Down past the newest entry brings back.
    std::optional<std::size_t> m_recalled;
    std::string m_recallDraft;
    std::string m_recalledText;
    // How the formula was last read from a file, for saving it back the same
    // way; nothing when it comes from no file.
    std::optional<FileEncoding> m_openedEncoding;
    std::optional<LineEnds> m_openedLineEnds;
};

}  // namespace vornel
