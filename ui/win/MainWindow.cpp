#include "MainWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ControlLayout.h"
#include "InfoWindows.h"
#include "ResourceIds.h"
#include "WinDpi.h"
#include "WinText.h"

namespace vornel::win {

namespace {

using layout::ControlKind;
using layout::ControlSpec;
using layout::MainControls;

const COLORREF kKeypadColor = RGB(0xBF, 0xE3, 0xFF);
constexpr int kGoPictureWidth = 20;
constexpr int kGoPictureHeight = 16;
// Rows the example chooser shows when it drops down.
constexpr int kChooserRows = 6;
// The formula box takes files of up to 65,000 bytes and more typed text.
constexpr int kFormulaLimit = 0x7FFFFFFE;
constexpr UINT_PTR kFormulaSubclass = 1;

struct WindowKind {
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
};

WindowKind KindOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Frame:
            return {L"BUTTON", BS_GROUPBOX, 0};
        case ControlKind::Label:
            return {L"STATIC", SS_LEFT, 0};
        case ControlKind::ResultBox:
            return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::FormulaBox:
            return {L"EDIT",
                    ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL |
                        WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::ListBox:
            return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::ExampleChooser:
            return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::Button:
            return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ControlKind::KeypadButton:
            return {L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0};
        case ControlKind::PictureButton:
            return {L"BUTTON", BS_ICON | WS_TABSTOP, 0};
    }
    return {L"STATIC", 0, 0};
}

// The formula box selects its whole text on Ctrl+A, which the multi-line
// EDIT control does not do by itself (the key arrives as the character 1).
LRESULT CALLBACK FormulaProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                             DWORD_PTR /*data*/) {
    constexpr WPARAM kCtrlA = 1;
    if (message == WM_CHAR && wParam == kCtrlA) {
        SendMessageW(box, EM_SETSEL, 0, -1);
        return 0;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : m_instance(instance) {}

MainWindow::~MainWindow() {
    if (m_font != nullptr) {
        DeleteObject(m_font);
    }
}

bool MainWindow::Create() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = m_instance;
    windowClass.hIcon = LoadIconW(m_instance, MAKEINTRESOURCEW(IDI_VORNEL));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_VORNEL),
                                                        IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
    m_accelerators = LoadAcceleratorsW(m_instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    HMENU menu = LoadMenuW(m_instance, MAKEINTRESOURCEW(IDR_MAINMENU));
    m_window = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"Vornel", WS_OVERLAPPEDWINDOW,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                               menu, m_instance, this);
    return m_window != nullptr;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls();
            return 0;
        case WM_SIZE:
            PlaceControls();
            return 0;
        case WM_GETMINMAXINFO:
            OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_DPICHANGED: {
            ApplyDpi(HIWORD(wParam));
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(m_window, nullptr, suggested.left, suggested.top,
                         suggested.right - suggested.left, suggested.bottom - suggested.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_DRAWITEM:
            if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
                return TRUE;
            }
            break;
        case WM_ACTIVATE:
            // The focus comes back to the control that had it.
            if (LOWORD(wParam) == WA_INACTIVE) {
                m_lastFocus = GetFocus();
            } else if (m_lastFocus != nullptr && IsChild(m_window, m_lastFocus)) {
                SetFocus(m_lastFocus);
                return 0;
            }
            break;
        case WM_CLOSE:
            DestroyWindow(m_window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void MainWindow::CreateControls() {
    m_dpi = GetDpiForWindow(m_window);
    m_font = MessageFont(m_dpi, false);
    m_toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, m_window,
                                 nullptr, m_instance, nullptr);
    m_goPicture = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_GO), IMAGE_ICON,
                                                kGoPictureWidth, kGoPictureHeight, LR_SHARED));
    for (std::size_t index = 0; index < MainControls().size(); ++index) {
        m_controls.push_back(CreateControl(index));
    }
    SetWindowSubclass(Control(IDC_FORMULA), FormulaProc, kFormulaSubclass, 0);
    SendMessageW(Control(IDC_FORMULA), EM_SETLIMITTEXT, kFormulaLimit, 0);
    SetClientSize(m_window, {0, 0, layout::kClientWidthTwips, layout::kClientHeightTwips}, m_dpi);
    PlaceControls();
}

HWND MainWindow::CreateControl(std::size_t index) {
    const ControlSpec& spec = MainControls()[index];
    const WindowKind kind = KindOf(spec.kind);
    HWND control = CreateWindowExW(kind.exStyle, kind.windowClass, Widen(spec.caption).c_str(),
                                   WS_CHILD | WS_VISIBLE | kind.style, 0, 0, 0, 0, m_window,
                                   reinterpret_cast<HMENU>(INT_PTR(spec.id)), m_instance, nullptr);
    SendMessageW(control, WM_SETFONT, WPARAM(m_font), FALSE);
    if (spec.kind == ControlKind::PictureButton) {
        SendMessageW(control, BM_SETIMAGE, IMAGE_ICON, LPARAM(m_goPicture));
    }
    if (!spec.toolTip.empty()) {
        AddToolTip(control, spec.toolTip);
    }
    return control;
}

void MainWindow::AddToolTip(HWND control, const std::string& text) {
    std::wstring wide = Widen(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = wide.data();
    SendMessageW(m_toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainWindow::ApplyDpi(UINT dpi) {
    m_dpi = dpi;
    HFONT old = m_font;
    m_font = MessageFont(dpi, false);
    for (HWND control : m_controls) {
        SendMessageW(control, WM_SETFONT, WPARAM(m_font), TRUE);
    }
    DeleteObject(old);
}

SIZE MainWindow::SmallestClientSize() const {
    const RECT r = PixelRect({0, 0, layout::kClientWidthTwips, layout::kClientHeightTwips}, m_dpi);
    return {r.right, r.bottom};
}

// Every control at its place in the layout; what the window has beyond its
// smallest size goes to the controls that grow, and moves those below and to
// the right of them.
void MainWindow::PlaceControls() {
    if (m_controls.size() != MainControls().size()) {
        return;
    }
    RECT client{};
    GetClientRect(m_window, &client);
    const SIZE smallest = SmallestClientSize();
    const int extraWidth = std::max(0L, client.right - smallest.cx);
    const int extraHeight = std::max(0L, client.bottom - smallest.cy);
    HDWP positions = BeginDeferWindowPos(int(m_controls.size()));
    for (std::size_t index = 0; index < m_controls.size(); ++index) {
        const ControlSpec& spec = MainControls()[index];
        RECT r = PixelRect(layout::ClientRect(spec), m_dpi);
        r.right += (spec.growth & (layout::kWider | layout::kRight)) ? extraWidth : 0;
        r.left += (spec.growth & layout::kRight) ? extraWidth : 0;
        r.bottom += (spec.growth & (layout::kTaller | layout::kDown)) ? extraHeight : 0;
        r.top += (spec.growth & layout::kDown) ? extraHeight : 0;
        if (spec.kind == ControlKind::ExampleChooser) {
            // A drop-down list's height includes its list.
            r.bottom += (r.bottom - r.top) * kChooserRows;
        }
        positions =
            DeferWindowPos(positions, m_controls[index], nullptr, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EndDeferWindowPos(positions);
}

void MainWindow::OnGetMinMaxInfo(MINMAXINFO& info) const {
    const SIZE smallest = SmallestClientSize();
    RECT frame{0, 0, smallest.cx, smallest.cy};
    AdjustWindowRectExForDpi(&frame, DWORD(GetWindowLongPtrW(m_window, GWL_STYLE)), TRUE,
                             DWORD(GetWindowLongPtrW(m_window, GWL_EXSTYLE)), m_dpi);
    info.ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
}

// The keypad's light blue buttons, drawn by the window: a button control
// with visual styles takes no colour of its own.
bool MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.CtlType != ODT_BUTTON) {
        return false;
    }
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    HBRUSH brush = CreateSolidBrush(kKeypadColor);
    FillRect(item.hDC, &r, brush);
    DeleteObject(brush);
    DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (pressed) {
        OffsetRect(&r, 1, 1);
    }
    const std::wstring caption = WindowText(item.hwndItem);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, RGB(0, 0, 0));
    const UINT prefix = (item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    DrawTextW(item.hDC, caption.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefix);
    if (item.itemState & ODS_FOCUS) {
        InflateRect(&r, -3, -3);
        DrawFocusRect(item.hDC, &r);
    }
    return true;
}

bool MainWindow::PreTranslate(MSG& message) {
    if (m_window == nullptr) {
        return false;
    }
    if (TranslateAcceleratorW(m_window, m_accelerators, &message) != 0) {
        return true;
    }
    return IsDialogMessageW(m_window, &message) != 0;
}

void MainWindow::Form_Load(int showCommand) {
    ShowProductInformation(nullptr);
    ShowWindow(m_window, showCommand);
    SetFocus(Control(IDC_FORMULA));
}

void MainWindow::OnCommand(int id, int /*code*/) {
    switch (id) {
        case IDM_EXIT:
        case IDC_CLOSE:
            PostMessageW(m_window, WM_CLOSE, 0, 0);
            break;
        case IDM_ABOUT:
            ShowAbout(m_window);
            break;
        default:
            break;
    }
}

}  // namespace vornel::win
