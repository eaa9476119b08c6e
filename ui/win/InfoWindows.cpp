#include "InfoWindows.h"

#include <string>

#include <vornel/model/Layout.h>
#include "ResourceIds.h"
#include "WinDpi.h"
#include "WinText.h"
#include "WinTheme.h"

namespace vornel::win {

namespace {

using layout::TwipsRect;

// A dialog without controls: they are made on WM_INITDIALOG at their places in
// twips, converted at the monitor's DPI.
struct EmptyDialog {
    DLGTEMPLATE header;
    WORD menu = 0;
    WORD windowClass = 0;
    WORD title = 0;
};

struct InfoWindow {
    TwipsRect client;  // only width and height count
    void (*fill)(HWND dialog, UINT dpi, HFONT font, HFONT bold);
};

HWND Place(HWND dialog, const wchar_t* windowClass, const std::wstring& text, DWORD style, int id,
           TwipsRect twips, UINT dpi, HFONT font) {
    const RECT r = PixelRect(twips, dpi);
    HWND control = CreateWindowExW(0, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                   r.left, r.top, r.right - r.left, r.bottom - r.top, dialog,
                                   reinterpret_cast<HMENU>(INT_PTR(id)), nullptr, nullptr);
    SendMessageW(control, WM_SETFONT, WPARAM(font), FALSE);
    return control;
}

void PlacePicture(HWND dialog, TwipsRect twips, UINT dpi, HFONT font) {
    HWND picture =
        Place(dialog, L"STATIC", L"", SS_ICON | SS_CENTERIMAGE, IDC_INFO_PICTURE, twips, dpi, font);
    // The product picture keeps its own size (42 x 36 pixels); the resource
    // is shared, so it is never destroyed.
    auto* icon =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PRODUCT),
                                      IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    SendMessageW(picture, STM_SETICON, WPARAM(icon), 0);
}

std::wstring ProductName() {
    return VersionString(L"ProductName");
}

// Major and minor: "2.1" of "2.1.2".
std::wstring ShownVersion() {
    const std::wstring version = VersionString(L"ProductVersion");
    const std::size_t second = version.find(L'.', version.find(L'.') + 1);
    return version.substr(0, second);
}

void FillProductInformation(HWND dialog, UINT dpi, HFONT font, HFONT bold) {
    SetWindowTextW(dialog, ProductName().c_str());
    Place(dialog, L"BUTTON", L"Product Information", BS_GROUPBOX, IDC_INFO_FRAME,
          {120, 120, 4815, 1335}, dpi, font);
    // Controls of the frame are placed relative to it (120, 120).
    PlacePicture(dialog, {360, 480, 630, 540}, dpi, font);
    Place(dialog, L"STATIC", ProductName() + L" V" + ShownVersion(), 0, IDC_INFO_TITLE,
          {1320, 600, 3375, 375}, dpi, bold);
    Place(dialog, L"STATIC", VersionString(L"LegalCopyright"), 0, IDC_INFO_NOTICE,
          {960, 1080, 3855, 255}, dpi, font);
    Place(dialog, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, {3600, 2160, 1215, 375},
          dpi, font);
}

void FillAbout(HWND dialog, UINT dpi, HFONT font, HFONT bold) {
    SetWindowTextW(dialog, (L"About " + ProductName()).c_str());
    PlacePicture(dialog, {240, 240, 690, 600}, dpi, font);
    Place(dialog, L"STATIC", ProductName(), 0, IDC_INFO_TITLE, {1200, 240, 2745, 360}, dpi, bold);
    Place(dialog, L"STATIC", L"Version " + ShownVersion(), 0, IDC_INFO_VERSION,
          {3960, 240, 1605, 345}, dpi, font);
    Place(dialog, L"STATIC", VersionString(L"LegalCopyright"), 0, IDC_INFO_NOTICE,
          {1200, 660, 4425, 225}, dpi, font);
    // The etched rule of two lines, grey over white.
    Place(dialog, L"STATIC", L"", SS_ETCHEDHORZ, -1, {120, 2100, 5560, 30}, dpi, font);
    Place(dialog, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, {4245, 2340, 1260, 345},
          dpi, font);
}

struct DialogFonts {
    HFONT font;
    HFONT bold;
};

INT_PTR CALLBACK InfoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto& window = *reinterpret_cast<const InfoWindow*>(lParam);
            const UINT dpi = GetDpiForWindow(dialog);
            auto* fonts = new DialogFonts{MessageFont(dpi, false), MessageFont(dpi, true)};
            SetWindowLongPtrW(dialog, DWLP_USER, LONG_PTR(fonts));
            SendMessageW(dialog, WM_SETFONT, WPARAM(fonts->font), FALSE);
            window.fill(dialog, dpi, fonts->font, fonts->bold);
            FollowAppsMode(dialog);
            SetClientSize(dialog, window.client, dpi);
            CenterOnMonitor(dialog);
            SetFocus(GetDlgItem(dialog, IDOK));
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY: {
            auto* fonts = reinterpret_cast<DialogFonts*>(GetWindowLongPtrW(dialog, DWLP_USER));
            if (fonts != nullptr) {
                DeleteObject(fonts->font);
                DeleteObject(fonts->bold);
                delete fonts;
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}

void ShowInfoWindow(HWND owner, const InfoWindow& window) {
    EmptyDialog tmpl{};
    tmpl.header.style = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &tmpl.header, owner, InfoProc,
                            reinterpret_cast<LPARAM>(&window));
}

}  // namespace

void ShowProductInformation(HWND owner) {
    static const InfoWindow window{{0, 0, 5055, 3060}, FillProductInformation};
    ShowInfoWindow(owner, window);
}

void ShowAbout(HWND owner) {
    static const InfoWindow window{{0, 0, 5730, 3225}, FillAbout};
    ShowInfoWindow(owner, window);
}

}  // namespace vornel::win
