#include "MainWindow.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <string_view>

#include "ControlIds.h"
#include "InfoWindows.h"
#include "ResourceIds.h"
#include "WinDpi.h"
#include "WinText.h"
#include "WinTheme.h"

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
            return {MSFTEDIT_CLASS,
                    ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL |
                        WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::ListBox:
            return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::ExampleChooser:
            return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::ResultLine:
            return {L"STATIC", SS_OWNERDRAW | SS_NOTIFY | SS_NOPREFIX | WS_TABSTOP, 0};
        case ControlKind::HistoryList:
            return {L"LISTBOX",
                    LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::Button:
            return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ControlKind::KeypadButton:
            return {L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0};
        case ControlKind::PictureButton:
            return {L"BUTTON", BS_ICON | WS_TABSTOP, 0};
    }
    return {L"STATIC", 0, 0};
}

constexpr UINT_PTR kListSubclass = 3;
constexpr UINT_PTR kTypingTimer = 1;

// The history list takes Enter for itself; the two variables lists scroll
// together.
LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                          DWORD_PTR window) {
    const int id = GetDlgCtrlID(list);
    if (id == IDC_HISTORY && message == WM_GETDLGCODE && lParam != 0 &&
        reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN) {
        return DLGC_WANTALLKEYS;
    }
    if (id == IDC_HISTORY && message == WM_KEYDOWN && wParam == VK_RETURN) {
        SendMessageW(HWND(window), WM_COMMAND, MAKEWPARAM(IDC_HISTORY, LBN_DBLCLK), LPARAM(list));
        return 0;
    }
    const LRESULT result = DefSubclassProc(list, message, wParam, lParam);
    if (id != IDC_HISTORY && (message == WM_VSCROLL || message == WM_MOUSEWHEEL ||
                              message == WM_KEYDOWN || message == LB_SETCURSEL)) {
        HWND other = GetDlgItem(HWND(window), id == IDC_NAMES ? IDC_VALUES : IDC_NAMES);
        const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
        if (SendMessageW(other, LB_GETTOPINDEX, 0, 0) != top) {
            SendMessageW(other, LB_SETTOPINDEX, WPARAM(top), 0);
        }
    }
    return result;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : m_instance(instance), m_model(*this) {}

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
            FollowAppsMode(m_window);
            return 0;
        case WM_SETTINGCHANGE:
            // The user switched between the light and the dark mode, or high
            // contrast.
            if (wParam == SPI_SETHIGHCONTRAST ||
                (lParam != 0 && std::wstring_view(reinterpret_cast<const wchar_t*>(lParam)) ==
                                    L"ImmersiveColorSet")) {
                FollowAppsMode(m_window);
            }
            break;
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
        case WM_CTLCOLORSTATIC:
            return OnStaticColour(HDC(wParam), HWND(lParam));
        case WM_CONTEXTMENU:
            if (HWND list = HWND(wParam); list == Item(IDC_NAMES) || list == Item(IDC_VALUES)) {
                ShowVariableMenu(list, lParam);
                return 0;
            }
            break;
        case WM_TIMER:
            if (wParam == kTypingTimer) {
                KillTimer(m_window, kTypingTimer);
                m_model.TimerElapsed();
            }
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
            OnClose();
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
    FormulaEdit::LoadControl();
    for (std::size_t index = 0; index < MainControls().size(); ++index) {
        m_controls.push_back(CreateControl(index));
    }
    m_formula.Attach(Item(IDC_FORMULA), m_model);
    m_resultLine.Attach(Item(IDC_RESULT_LINE), m_toolTips, m_model);
    SendMessageW(Item(IDC_RESULT_LINE), WM_SETFONT, WPARAM(m_font), FALSE);
    SendMessageW(Item(IDC_FORMULA), EM_EXLIMITTEXT, 0, kFormulaLimit);
    for (int list : {IDC_NAMES, IDC_VALUES, IDC_HISTORY}) {
        SetWindowSubclass(Item(list), ListProc, kListSubclass, DWORD_PTR(m_window));
    }
    for (int row = 0; row < kExampleCount; ++row) {
        SendMessageW(Item(IDC_EXAMPLES), CB_ADDSTRING, 0, LPARAM(Widen(ExampleName(row)).c_str()));
    }
    SetClientSize(m_window, {0, 0, layout::kClientWidthTwips, layout::kClientHeightTwips}, m_dpi);
    PlaceControls();
}

HWND MainWindow::CreateControl(std::size_t index) {
    const ControlSpec& spec = MainControls()[index];
    const WindowKind kind = KindOf(spec.kind);
    HWND control =
        CreateWindowExW(kind.exStyle, kind.windowClass, Widen(spec.caption).c_str(),
                        WS_CHILD | WS_VISIBLE | kind.style, 0, 0, 0, 0, m_window,
                        reinterpret_cast<HMENU>(INT_PTR(ControlId(spec))), m_instance, nullptr);
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
    // The window keeps its size when Windows suggests the one it has.
    PlaceControls();
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
        const layout::Grow grow = layout::ClientGrow(spec);
        OffsetRect(&r, layout::GrownBy(extraWidth, grow.left),
                   layout::GrownBy(extraHeight, grow.top));
        r.right += layout::GrownBy(extraWidth, grow.width);
        r.bottom += layout::GrownBy(extraHeight, grow.height);
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

// The smallest client area in the frame the window has now (a menu bar that
// wraps onto two rows included); computed for the DPI while minimized.
void MainWindow::OnGetMinMaxInfo(MINMAXINFO& info) const {
    const SIZE smallest = SmallestClientSize();
    RECT frame{};
    RECT client{};
    GetWindowRect(m_window, &frame);
    GetClientRect(m_window, &client);
    if (IsRectEmpty(&client)) {
        frame = {0, 0, smallest.cx, smallest.cy};
        AdjustWindowRectExForDpi(&frame, DWORD(GetWindowLongPtrW(m_window, GWL_STYLE)),
                                 GetMenu(m_window) != nullptr,
                                 DWORD(GetWindowLongPtrW(m_window, GWL_EXSTYLE)), m_dpi);
        info.ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
        return;
    }
    info.ptMinTrackSize = {frame.right - frame.left - client.right + smallest.cx,
                           frame.bottom - frame.top - client.bottom + smallest.cy};
}

// The keypad's light blue buttons, drawn by the window: a button control
// with visual styles takes no colour of its own.
bool MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.CtlType == ODT_STATIC && item.hwndItem == Item(IDC_RESULT_LINE)) {
        m_resultLine.Draw(item);
        return true;
    }
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
    // Enter and Ctrl+Enter on the history list are the list's own.
    const bool historyKey = message.hwnd == Item(IDC_HISTORY) && message.message == WM_KEYDOWN &&
                            message.wParam == VK_RETURN;
    if (!historyKey && TranslateAcceleratorW(m_window, m_accelerators, &message) != 0) {
        return true;
    }
    return IsDialogMessageW(m_window, &message) != 0;
}

void MainWindow::Form_Load(int showCommand) {
    wchar_t program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder(program, length);
    folder.resize(folder.find_last_of(L'\\') + 1);
    m_model.SetHelpDocumentCandidates(HelpDocumentCandidates(Narrow(folder), Narrow(folder)));
    SendMessageW(Item(IDC_EXAMPLES), CB_SETCURSEL, 0, 0);
    m_model.Form_Load();
    RECT frame{};
    GetWindowRect(m_window, &frame);
    const Placement smallest{0, 0, frame.right - frame.left, frame.bottom - frame.top, false};
    if (const std::optional<Placement> kept = m_model.KeptPlacement(smallest)) {
        SetWindowPos(m_window, nullptr, kept->x, kept->y, kept->width, kept->height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (kept->maximized) {
            showCommand = SW_SHOWMAXIMIZED;
        }
    }
    ShowWindow(m_window, showCommand);
    SetFocus(Item(IDC_FORMULA));
}

void MainWindow::OnClose() {
    m_model.Form_Unload();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(m_window, &placement);
    const RECT& r = placement.rcNormalPosition;
    m_model.SavePlacement(
        {r.left, r.top, r.right - r.left, r.bottom - r.top, placement.showCmd == SW_SHOWMAXIMIZED});
    DestroyWindow(m_window);
}

void MainWindow::OnCommand(int id, int code) {
    if (id >= IDC_KEYPAD && id < IDC_KEYPAD + kKeypadMembers) {
        m_model.Button_Num_Click(id - IDC_KEYPAD);
        return;
    }
    switch (id) {
        case IDC_FORMULA:
            if (code == EN_CHANGE && !m_formula.Colouring()) {
                m_formula.TextChanged();
                m_formula.ColourEdit();
                m_model.FormulaEdited();
            }
            return;
        case IDC_EXAMPLES:
            if (code == CBN_SELCHANGE) {
                m_model.Combo1_Click(int(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)));
            }
            return;
        case IDC_NAMES:
        case IDC_VALUES:
        case IDC_HISTORY:
            OnListCommand(id, code);
            return;
        default:
            break;
    }
    static const std::pair<int, void (MainModel::*)()> kCommands[] = {
        {IDM_OPEN, &MainModel::FileOpenProc},
        {IDM_SAVE, &MainModel::MenuFile_Save_Click},
        {IDM_EXIT, &MainModel::Button_Close_Click},
        {IDC_CLOSE, &MainModel::Button_Close_Click},
        {IDM_UNDO, &MainModel::MenuEdit_Undo_Click},
        {IDM_REDO, &MainModel::MenuEdit_Redo_Click},
        {IDM_CUT, &MainModel::MenuEdit_Cut_Click},
        {IDM_COPY, &MainModel::MenuEdit_Copy_Click},
        {IDM_PASTE, &MainModel::MenuEdit_Paste_Click},
        {IDM_DELETE, &MainModel::MenuEdit_Delete_Click},
        {IDM_EXPLAIN, &MainModel::ExplainIfBlock},
        {IDM_CLEAR_HISTORY, &MainModel::MenuHistory_Clear_Click},
        {IDM_HELP, &MainModel::MenuHelp_Help_Click},
        {IDM_ABOUT, &MainModel::MenuHelp_about_Click},
        {IDM_EVALUATE, &MainModel::Button_result_Click},
        {IDC_GO, &MainModel::Button_result_Click},
        {IDC_EQUALS, &MainModel::Button_result_Click},
        {IDC_CLEAR, &MainModel::Button_ClearFormula_Click},
        {IDC_ADD, &MainModel::Command2_Click},
        {IDM_ADD_VARIABLE, &MainModel::Command2_Click},
        {IDM_RENAME, &MainModel::RenameVariable},
        {IDM_REMOVE, &MainModel::RemoveVariable},
    };
    for (const auto& [command, handler] : kCommands) {
        if (command == id) {
            (m_model.*handler)();
            return;
        }
    }
    // F2 edits the value of the selected variable while a list has the focus.
    if (id == IDM_EDIT_VALUE) {
        const Control focused = FocusedControl();
        if (focused == Control::Names || focused == Control::Values || code == 0) {
            m_model.EditValue();
        }
    }
}

void MainWindow::OnListCommand(int id, int code) {
    const int row = int(SendMessageW(Item(id), LB_GETCURSEL, 0, 0));
    if (id == IDC_HISTORY) {
        if (code == LBN_DBLCLK && row >= 0) {
            m_model.History_Activate(std::size_t(row), GetKeyState(VK_CONTROL) < 0);
        }
        return;
    }
    if (code == LBN_SELCHANGE) {
        id == IDC_NAMES ? m_model.List_Var_Click(row) : m_model.List3_Click(row);
    } else if (code == LBN_DBLCLK) {
        id == IDC_NAMES ? m_model.List_Var_DblClick(row) : m_model.List3_DblClick(row);
    }
}

LRESULT MainWindow::OnStaticColour(HDC dc, HWND control) {
    return DefWindowProcW(m_window, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(control));
}

// The menu works on the row under the pointer, which becomes the selected
// one; from the keyboard, on the selected row.
void MainWindow::ShowVariableMenu(HWND list, LPARAM where) {
    POINT point{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (point.x != -1 || point.y != -1) {
        POINT inList = point;
        ScreenToClient(list, &inList);
        const auto hit =
            DWORD(SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(inList.x, inList.y)));
        if (HIWORD(hit) == 0) {
            const int row = int(LOWORD(hit));
            list == Item(IDC_NAMES) ? m_model.List_Var_Click(row) : m_model.List3_Click(row);
        }
    } else {
        RECT r{};
        GetWindowRect(list, &r);
        point = {r.left, r.top};
    }
    HMENU menu = CreatePopupMenu();
    const UINT enabled = m_model.VariableSelected() ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu, MF_STRING | enabled, IDM_EDIT_VALUE, L"Edit Value...\tF2");
    AppendMenuW(menu, MF_STRING | enabled, IDM_RENAME, L"Rename...");
    AppendMenuW(menu, MF_STRING | enabled, IDM_REMOVE, L"Remove\tDel");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_ADD_VARIABLE, L"Add Variable...");
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0,
                                      m_window, nullptr);
    DestroyMenu(menu);
    if (chosen != 0) {
        OnCommand(chosen, 0);
    }
}

}  // namespace vornel::win
