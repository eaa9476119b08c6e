#include "InputDialog.h"

#include <algorithm>

#include "ResourceIds.h"
#include "WinDpi.h"
#include "WinText.h"
#include "WinTheme.h"

namespace vornel::win {

namespace {

// Measures in pixels at 96 dpi, scaled to the dialog's DPI.
constexpr int kMargin = 11;
constexpr int kLabelHeight = 16;
constexpr int kLineHeight = 23;
constexpr int kGap = 7;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kSmallestWidth = 320;
// Room a title bar takes beside its text: the icon and three buttons.
constexpr int kTitleBarItems = 4;

struct InputState {
    const InputRequest* request;
    std::vector<std::string> answer;
    HFONT font = nullptr;
};

struct EmptyDialog {
    DLGTEMPLATE header;
    WORD menu = 0;
    WORD windowClass = 0;
    WORD title = 0;
};

int Scaled(int pixels, UINT dpi) {
    return MulDiv(pixels, int(dpi), USER_DEFAULT_SCREEN_DPI);
}

// The width a window needs to show `title` whole, as message boxes are sized.
int WidthForTitle(HWND dialog, const std::wstring& title, UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi);
    HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, title.c_str(), int(title.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    DeleteObject(font);
    return size.cx * 5 / 4 + kTitleBarItems * GetSystemMetricsForDpi(SM_CXSIZE, dpi);
}

HWND Add(HWND dialog, const wchar_t* windowClass, const std::wstring& text, DWORD style, int id,
         RECT r, HFONT font, DWORD exStyle = 0) {
    HWND control =
        CreateWindowExW(exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, r.left,
                        r.top, r.right - r.left, r.bottom - r.top, dialog,
                        reinterpret_cast<HMENU>(INT_PTR(id)), nullptr, nullptr);
    SendMessageW(control, WM_SETFONT, WPARAM(font), FALSE);
    return control;
}

void Build(HWND dialog, InputState& state) {
    const InputRequest& request = *state.request;
    const UINT dpi = GetDpiForWindow(dialog);
    state.font = MessageFont(dpi, false);
    const std::wstring title = Widen(request.title);
    SetWindowTextW(dialog, title.c_str());
    const int width = std::max(Scaled(kSmallestWidth, dpi), WidthForTitle(dialog, title, dpi));
    const int margin = Scaled(kMargin, dpi);
    const int inner = width - 2 * margin;
    int y = margin;
    int id = IDC_INPUT_FIRST;
    for (const InputRequest::Field& field : request.fields) {
        Add(dialog, L"STATIC", Widen(field.label), SS_LEFT, id++,
            {margin, y, margin + inner, y + Scaled(kLabelHeight, dpi)}, state.font);
        y += Scaled(kLabelHeight, dpi);
        Add(dialog, L"EDIT", Widen(field.text), ES_AUTOHSCROLL | WS_TABSTOP, id++,
            {margin, y, margin + inner, y + Scaled(kLineHeight, dpi)}, state.font,
            WS_EX_CLIENTEDGE);
        y += Scaled(kLineHeight + kGap, dpi);
    }
    Add(dialog, L"STATIC", L"", SS_LEFT, IDC_INPUT_REASON,
        {margin, y, margin + inner, y + Scaled(2 * kLabelHeight, dpi)}, state.font);
    y += Scaled(2 * kLabelHeight + kGap, dpi);
    const int buttonWidth = Scaled(kButtonWidth, dpi);
    const int buttonHeight = Scaled(kButtonHeight, dpi);
    const int right = margin + inner;
    Add(dialog, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK,
        {right - 2 * buttonWidth - Scaled(kGap, dpi), y, right - buttonWidth - Scaled(kGap, dpi),
         y + buttonHeight},
        state.font);
    Add(dialog, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL,
        {right - buttonWidth, y, right, y + buttonHeight}, state.font);
    RECT frame{0, 0, width, y + buttonHeight + margin};
    AdjustWindowRectExForDpi(&frame, DWORD(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                             DWORD(GetWindowLongPtrW(dialog, GWL_EXSTYLE)), dpi);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    CenterOnMonitor(dialog);
    HWND first = GetDlgItem(dialog, IDC_INPUT_FIRST + 1);
    SetFocus(first);
    SendMessageW(first, EM_SETSEL, 0, -1);
}

// OK: the lines as typed, accepted or refused with the reason shown.
void Confirm(HWND dialog, InputState& state) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < state.request->fields.size(); ++i) {
        lines.push_back(Narrow(WindowText(GetDlgItem(dialog, IDC_INPUT_FIRST + int(2 * i) + 1))));
    }
    const std::string refusal = state.request->check ? state.request->check(lines) : "";
    if (!refusal.empty()) {
        SetDlgItemTextW(dialog, IDC_INPUT_REASON, Widen(refusal).c_str());
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    state.answer = std::move(lines);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK InputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            Build(dialog, *reinterpret_cast<InputState*>(lParam));
            FollowAppsMode(dialog);
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                Confirm(dialog, *state);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY:
            if (state != nullptr && state->font != nullptr) {
                DeleteObject(state->font);
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

std::optional<std::vector<std::string>> RunInputDialog(HWND owner, const InputRequest& request) {
    InputState state{&request, {}};
    EmptyDialog tmpl{};
    tmpl.header.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &tmpl.header, owner,
                                                   InputProc, reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) {
        return std::nullopt;
    }
    return state.answer;
}

}  // namespace vornel::win
