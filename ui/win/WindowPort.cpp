// MainWindow as the model's port: Windows' own boxes, dialogs, clipboard,
// timer and settings, and the controls read and shown for the model.
#include "MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "InfoWindows.h"
#include "InputDialog.h"
#include "ResourceIds.h"
#include "WinText.h"

namespace vornel::win {

namespace {

constexpr UINT_PTR kTypingTimer = 1;
const wchar_t* const kSettingsKey = L"Software\\Vornel";
const char* const kApplicationTitle = "Vornel";

UINT BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Exclamation:
            return MB_ICONEXCLAMATION;
        case MessageIcon::Critical:
            return MB_ICONERROR;
        case MessageIcon::None:
            break;
    }
    return 0;
}

// "Text File (*.txt)" "*.txt" ... as the dialogs take them: each text ends in
// a null character, and an empty one ends the list.
std::wstring FilterText(const std::vector<FileFilter>& filters) {
    std::wstring text;
    for (const FileFilter& filter : filters) {
        text += Widen(filter.name) + L'\0' + Widen(filter.pattern) + L'\0';
    }
    return text + L'\0';
}

std::optional<std::string> FileDialog(HWND owner, const std::vector<FileFilter>& filters,
                                      const std::string& fileName, const std::string& defaultSuffix,
                                      bool save) {
    const std::wstring filter = FilterText(filters);
    const std::wstring suffix = Widen(defaultSuffix);
    std::wstring path = Widen(fileName);
    path.resize(std::max<std::size_t>(path.size(), 32768), L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = DWORD(path.size());
    dialog.lpstrDefExt = suffix.empty() ? nullptr : suffix.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) {
        return std::nullopt;
    }
    return Narrow(path.c_str());
}

}  // namespace

void MainWindow::ShowMessage(const std::string& prompt, const std::string& title,
                             MessageIcon icon) {
    MessageBoxW(IsWindowVisible(m_window) ? m_window : nullptr, Widen(prompt).c_str(),
                Widen(title.empty() ? kApplicationTitle : title).c_str(), MB_OK | BoxIcon(icon));
}

bool MainWindow::Ask(const std::string& prompt, const std::string& title) {
    return MessageBoxW(m_window, Widen(prompt).c_str(),
                       Widen(title.empty() ? kApplicationTitle : title).c_str(),
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::optional<std::vector<std::string>> MainWindow::GetInput(const InputRequest& request) {
    return RunInputDialog(m_window, request);
}

std::optional<std::string> MainWindow::GetOpenFileName(const std::vector<FileFilter>& filters) {
    return FileDialog(m_window, filters, "", "", false);
}

std::optional<std::string> MainWindow::GetSaveFileName(const std::string& fileName,
                                                       const std::vector<FileFilter>& filters,
                                                       const std::string& defaultSuffix) {
    std::optional<std::string> path = FileDialog(m_window, filters, fileName, defaultSuffix, true);
    // The keyboard works in the window again at once.
    SetForegroundWindow(m_window);
    return path;
}

void MainWindow::ShowProductInformation() {
    win::ShowProductInformation(IsWindowVisible(m_window) ? m_window : nullptr);
}

void MainWindow::ShowAbout() {
    win::ShowAbout(m_window);
}

bool MainWindow::StartHelpViewer(const std::string& path) {
    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteW(m_window, L"open", Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return started > 32;
}

void MainWindow::SetBusy(bool busy) {
    if (busy) {
        m_normalCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    } else {
        SetCursor(m_normalCursor);
    }
}

std::string MainWindow::ClipboardText() {
    std::string text;
    if (!OpenClipboard(m_window)) {
        return text;
    }
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = Narrow(wide);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void MainWindow::SetClipboardText(const std::string& text) {
    const std::wstring wide = Widen(text);
    if (!OpenClipboard(m_window)) {
        return;
    }
    EmptyClipboard();
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(GlobalLock(data), wide.c_str(), bytes);
        GlobalUnlock(data);
        if (SetClipboardData(CF_UNICODETEXT, data) == nullptr) {
            GlobalFree(data);
        }
    }
    CloseClipboard();
}

void MainWindow::StartTimer(std::chrono::milliseconds delay) {
    SetTimer(m_window, kTypingTimer, UINT(delay.count()), nullptr);
}

void MainWindow::StopTimer() {
    KillTimer(m_window, kTypingTimer);
}

// Settings live in the user's part of the registry, one value each.
std::optional<std::string> MainWindow::ReadSetting(const std::string& key) {
    const std::wstring name = Widen(key);
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), RRF_RT_REG_SZ, nullptr,
                     value.data(), &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return Narrow(value.c_str());
}

void MainWindow::WriteSetting(const std::string& key, const std::string& value) {
    const std::wstring wide = Widen(value);
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, Widen(key).c_str(), REG_SZ, wide.c_str(),
                    DWORD((wide.size() + 1) * sizeof(wchar_t)));
}

std::string MainWindow::DataFolder() {
    wchar_t folder[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return {};
    }
    return Narrow(folder) + "\\Vornel";
}

NumberFormat MainWindow::UserNumberFormat() {
    wchar_t group[8] = L",";
    wchar_t decimal[8] = L".";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, group, 8);
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8);
    return {Narrow(group), Narrow(decimal)};
}

void MainWindow::CloseWindow() {
    PostMessageW(m_window, WM_CLOSE, 0, 0);
}

HWND MainWindow::BoxControl(Box box) const {
    return Item(box == Box::Formula ? IDC_FORMULA : IDC_RESULT);
}

std::string MainWindow::BoxText(Box box) {
    return Narrow(WindowText(BoxControl(box)));
}

TextRange MainWindow::BoxSelection(Box box) {
    DWORD begin = 0;
    DWORD end = 0;
    SendMessageW(BoxControl(box), EM_GETSEL, WPARAM(&begin), LPARAM(&end));
    if (box == Box::Formula) {
        const auto [first, last] = m_formula.Selection();
        begin = DWORD(first);
        end = DWORD(last);
    }
    const std::wstring text = WindowText(BoxControl(box));
    return {CharacterIndex(text, begin), CharacterIndex(text, end)};
}

void MainWindow::ReplaceInBox(Box box, TextRange range, const std::string& text) {
    const std::wstring current = WindowText(BoxControl(box));
    const std::size_t begin = UnitIndex(current, range.begin);
    const std::size_t end = UnitIndex(current, range.end);
    if (box == Box::Formula) {
        m_formula.Replace(begin, end, Widen(text));
        return;
    }
    SendMessageW(BoxControl(box), EM_SETSEL, begin, end);
    SendMessageW(BoxControl(box), EM_REPLACESEL, TRUE, LPARAM(Widen(text).c_str()));
}

void MainWindow::SelectInBox(Box box, TextRange range) {
    const std::wstring current = WindowText(BoxControl(box));
    if (box == Box::Formula) {
        m_formula.Select(UnitIndex(current, range.begin), UnitIndex(current, range.end));
        return;
    }
    SendMessageW(BoxControl(box), EM_SETSEL, UnitIndex(current, range.begin),
                 UnitIndex(current, range.end));
    SendMessageW(BoxControl(box), EM_SCROLLCARET, 0, 0);
}

void MainWindow::UndoInBox(Box box) {
    if (box == Box::Formula) {
        m_formula.Undo();
    } else {
        SendMessageW(BoxControl(box), EM_UNDO, 0, 0);
    }
}

void MainWindow::RedoInBox(Box box) {
    if (box == Box::Formula) {
        m_formula.Redo();
    } else {
        SendMessageW(BoxControl(box), EM_UNDO, 0, 0);
    }
}

Control MainWindow::FocusedControl() {
    static const std::pair<int, vornel::Control> kControls[] = {
        {IDC_FORMULA, Control::Formula}, {IDC_RESULT, Control::Result},
        {IDC_NAMES, Control::Names},     {IDC_VALUES, Control::Values},
        {IDC_HISTORY, Control::History},
    };
    HWND focused = GetFocus();
    for (const auto& [id, control] : kControls) {
        if (focused == Item(id)) {
            return control;
        }
    }
    return Control::Other;
}

void MainWindow::Focus(vornel::Control control) {
    static const std::pair<vornel::Control, int> kControls[] = {
        {Control::Formula, IDC_FORMULA}, {Control::Result, IDC_RESULT},
        {Control::Names, IDC_NAMES},     {Control::Values, IDC_VALUES},
        {Control::History, IDC_HISTORY},
    };
    for (const auto& [which, id] : kControls) {
        if (which == control) {
            SetFocus(Item(id));
        }
    }
}

void MainWindow::Refresh(unsigned parts) {
    if ((parts & kVariables) != 0) {
        ShowVariables();
        m_formula.Colour();
    }
    if ((parts & (kVariables | kVariableSelection)) != 0) {
        ShowVariableSelection();
    }
    if ((parts & kResultLine) != 0) {
        ShowResultLine();
    }
    if ((parts & kHistory) != 0) {
        ShowHistory();
    }
}

void MainWindow::ShowVariables() {
    for (int id : {IDC_NAMES, IDC_VALUES}) {
        HWND list = Item(id);
        const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        for (const VariableRow& row : m_model.VariableRows()) {
            const std::string& text = id == IDC_NAMES ? row.name : row.value;
            SendMessageW(list, LB_ADDSTRING, 0, LPARAM(Widen(text).c_str()));
        }
        SendMessageW(list, LB_SETTOPINDEX, WPARAM(top), 0);
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }
}

void MainWindow::ShowVariableSelection() {
    const int row = m_model.SelectedVariableRow();
    for (int id : {IDC_NAMES, IDC_VALUES}) {
        SendMessageW(Item(id), LB_SETCURSEL, WPARAM(row), 0);
    }
}

// The messages one after the other; a click on one selects its place in the
// formula. The marks go under the formula's text.
void MainWindow::ShowResultLine() {
    m_resultLine.Show();
    const std::wstring formula = WindowText(Item(IDC_FORMULA));
    std::vector<FormulaEdit::Mark> marks;
    for (const Mark& mark : m_model.Marks()) {
        marks.push_back({UnitIndex(formula, mark.shown.begin), UnitIndex(formula, mark.shown.end),
                         mark.kind == MarkKind::Failure ? FormulaEdit::MarkStyle::Failure
                         : mark.kind == MarkKind::Note  ? FormulaEdit::MarkStyle::Note
                                                        : FormulaEdit::MarkStyle::Branch});
    }
    m_formula.SetMarks(std::move(marks));
}

void MainWindow::ShowHistory() {
    HWND list = Item(IDC_HISTORY);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (std::size_t i = 0; i < m_model.History().size(); ++i) {
        SendMessageW(list, LB_ADDSTRING, 0, LPARAM(Widen(m_model.HistoryRowText(i)).c_str()));
    }
    SendMessageW(list, LB_SETTOPINDEX, WPARAM(m_model.History().size()), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

}  // namespace vornel::win
