#pragma once

#include <windows.h>

#include <commdlg.h>
// The port's names, not the dialogs' A/W macros.
#undef GetOpenFileName
#undef GetSaveFileName

#include <string>
#include <vector>

#include <vornel/model/MainModel.h>
#include "FormulaEdit.h"
#include "ResultLine.h"

namespace vornel::win {

// The calculator window `Main` on Windows: the controls of the layout table
// at their places for the monitor's DPI, the menus and the window-wide keys,
// each bound to the window's model. It is the model's port: boxes, dialogs,
// clipboard, timer and settings are Windows' own. Control numbers are those
// of ResourceIds.h.
class MainWindow : public WindowPort {
public:
    static constexpr const wchar_t* kClassName = L"VornelMain";

    explicit MainWindow(HINSTANCE instance);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window, hidden. False when Windows refuses.
    bool Create();

    // Start-up: the model's (the product information window first, then the
    // examples and the variables); then the window is shown where it was
    // left at the last exit.
    void Form_Load(int showCommand);

    // Runs the window-wide keys and the keyboard navigation between controls;
    // true when `message` has been handled and must not be dispatched.
    bool PreTranslate(MSG& message);

    HWND Handle() const { return m_window; }

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

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    HWND CreateControl(std::size_t index);
    void AddToolTip(HWND control, const std::string& text);
    void ApplyDpi(UINT dpi);
    void PlaceControls();
    SIZE SmallestClientSize() const;
    void OnCommand(int id, int code);
    void OnListCommand(int id, int code);
    LRESULT OnStaticColour(HDC dc, HWND control);
    void OnGetMinMaxInfo(MINMAXINFO& info) const;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) const;
    void OnClose();
    void ShowVariableMenu(HWND list, LPARAM where);
    void ShowVariables();
    void ShowVariableSelection();
    void ShowResultLine();
    void ShowHistory();
    void SyncListScrolling(HWND from);
    HWND Item(int id) const { return GetDlgItem(m_window, id); }
    HWND BoxControl(Box box) const;

    HINSTANCE m_instance;
    HWND m_window = nullptr;
    HWND m_toolTips = nullptr;
    HACCEL m_accelerators = nullptr;
    HFONT m_font = nullptr;
    HICON m_goPicture = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    HWND m_lastFocus = nullptr;
    HCURSOR m_normalCursor = nullptr;
    std::vector<HWND> m_controls;  // by the layout table's order
    FormulaEdit m_formula;
    ResultLine m_resultLine;
    MainModel m_model;
};

}  // namespace vornel::win
