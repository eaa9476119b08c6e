#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vornel::win {

// The calculator window `Main` on Windows: the controls of the layout table
// at their places for the monitor's DPI, the menus and the window-wide keys.
// Control numbers are those of ResourceIds.h.
class MainWindow {
public:
    static constexpr const wchar_t* kClassName = L"VornelMain";

    explicit MainWindow(HINSTANCE instance);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window, hidden. False when Windows refuses.
    bool Create();

    // Start-up: the product information window first, then the examples and
    // the variables; then the window is shown.
    void Form_Load(int showCommand);

    // Runs the window-wide keys and the keyboard navigation between controls;
    // true when `message` has been handled and must not be dispatched.
    bool PreTranslate(MSG& message);

    HWND Handle() const { return m_window; }

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
    void OnGetMinMaxInfo(MINMAXINFO& info) const;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) const;
    HWND Control(int id) const { return GetDlgItem(m_window, id); }

    HINSTANCE m_instance;
    HWND m_window = nullptr;
    HWND m_toolTips = nullptr;
    HACCEL m_accelerators = nullptr;
    HFONT m_font = nullptr;
    HICON m_goPicture = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    HWND m_lastFocus = nullptr;
    std::vector<HWND> m_controls;  // by the layout table's order
};

}  // namespace vornel::win
