#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <vornel/MessageSink.h>

// The window's port: everything through which the window's model (MainModel)
// reaches a toolkit. A view implements it over its own controls and dialogs;
// the model's tests implement it with a fake.
//
// What a view must do:
// - Build the controls (formula box, result box, result line, history list,
//   the two variables lists, the example chooser, keypad and buttons, menus)
//   and call the model's handler for each user action: a click, a chosen
//   row, a menu command, an edit of the formula (MainModel::FormulaEdited).
// - Implement this port. All texts are UTF-8. Positions in the formula and
//   the result box count characters as the engine counts them
//   (vornel/Outcome.h): one per UTF-8 character, two for a line break, which
//   the model always writes as CR LF.
// - When Refresh names a part, read it from the model again and show it.
// - Run MainModel::TimerElapsed when the timer started by StartTimer runs out.
// Nothing else: every rule of the window (what a command does, what a
// message says, what is refused and why) lives in the model.
namespace vornel {

// Characters [begin, end) of a text box, counted as above; begin <= end. An
// empty range is a point (the caret).
struct TextRange {
    std::size_t begin = 0;
    std::size_t end = 0;

    [[nodiscard]] bool Empty() const noexcept { return begin == end; }
    bool operator==(const TextRange&) const = default;
};

// The two text boxes of the window.
enum class Box { Formula, Result };

// The controls the model tells apart: the one with the keyboard focus decides
// where a clipboard command works, and where the focus goes after a command.
enum class Control { Formula, Result, Names, Values, History, Other };

// The separators the user's locale writes numbers with.
struct NumberFormat {
    std::string group = ",";
    std::string decimal = ".";
};

// One entry of a file dialog's type filter: "Text File", "*.txt".
struct FileFilter {
    std::string name;
    std::string pattern;
    bool operator==(const FileFilter&) const = default;
};

// A modal dialog of one or more labelled lines of text with OK and Cancel.
struct InputRequest {
    struct Field {
        std::string label;
        std::string text;  // what the line holds when the dialog opens
    };
    std::string title;
    std::vector<Field> fields;
    // Called with the lines' texts when the user presses OK. An empty answer
    // accepts them and closes the dialog; any other answer is the reason they
    // are refused: the dialog stays open with what was typed and shows it.
    std::function<std::string(const std::vector<std::string>&)> check;
};

// Parts of the model's state that a view shows (bit flags).
enum Part : unsigned {
    kVariables = 1u << 0,          // VariableRows and the selected row
    kResultLine = 1u << 1,         // ResultLine and Marks
    kHistory = 1u << 2,            // History
    kVariableSelection = 1u << 3,  // SelectedVariableRow alone
};

class WindowPort {
public:
    virtual ~WindowPort() = default;

    // --- Modal boxes and dialogs; each returns when the user has closed it.

    // A message box with `prompt`, `icon`, an OK button and `title`.
    virtual void ShowMessage(const std::string& prompt, const std::string& title,
                             MessageIcon icon) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool Ask(const std::string& prompt, const std::string& title) = 0;
    // The lines the user confirmed (each one accepted by request.check), or
    // nothing after Cancel.
    virtual std::optional<std::vector<std::string>> GetInput(const InputRequest& request) = 0;
    // The open dialog: the chosen full path, or nothing after Cancel.
    virtual std::optional<std::string> GetOpenFileName(const std::vector<FileFilter>& filters) = 0;
    // The save dialog offering `fileName`; `defaultSuffix` is added to a name
    // typed without one. The chosen full path, or nothing after Cancel. The
    // keyboard focus is back in the window when it returns.
    virtual std::optional<std::string> GetSaveFileName(const std::string& fileName,
                                                       const std::vector<FileFilter>& filters,
                                                       const std::string& defaultSuffix) = 0;
    virtual void ShowProductInformation() = 0;
    virtual void ShowAbout() = 0;

    // --- The desktop.

    // Starts a viewer for the document at `path` without waiting for it;
    // false when none could be started.
    virtual bool StartHelpViewer(const std::string& path) = 0;
    // The busy pointer while a file is read or written.
    virtual void SetBusy(bool busy) = 0;
    virtual std::string ClipboardText() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    // One timer: starting it again restarts it; when it runs out the view
    // calls MainModel::TimerElapsed once.
    virtual void StartTimer(std::chrono::milliseconds delay) = 0;
    virtual void StopTimer() = 0;
    // Settings kept across runs, by key; nothing for a key never written.
    virtual std::optional<std::string> ReadSetting(const std::string& key) = 0;
    virtual void WriteSetting(const std::string& key, const std::string& value) = 0;
    // The folder for the user's own data (it may not exist yet), or "" when
    // there is none: then nothing is kept across runs.
    virtual std::string DataFolder() = 0;
    virtual NumberFormat UserNumberFormat() = 0;
    // Closes the window; the program ends.
    virtual void CloseWindow() = 0;

    // --- The text boxes and the focus.

    // The box's whole text; the formula's lines joined by CR LF.
    virtual std::string BoxText(Box box) = 0;
    virtual TextRange BoxSelection(Box box) = 0;
    // Replaces `range` with `text` (CR LF for a line break) as one step of the
    // box's undo history, and puts the caret just behind it.
    virtual void ReplaceInBox(Box box, TextRange range, const std::string& text) = 0;
    // Selects `range` and scrolls it into view.
    virtual void SelectInBox(Box box, TextRange range) = 0;
    // Takes back, or does again, the last step of the box's undo history.
    virtual void UndoInBox(Box box) = 0;
    virtual void RedoInBox(Box box) = 0;
    virtual Control FocusedControl() = 0;
    virtual void Focus(Control control) = 0;

    // The parts named (Part flags) have changed.
    virtual void Refresh(unsigned parts) = 0;
};

}  // namespace vornel
