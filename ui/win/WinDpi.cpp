#include "WinDpi.h"

namespace vornel::win {

using layout::TwipsToPixels;

RECT PixelRect(const layout::TwipsRect& twips, UINT dpi) {
    const int d = int(dpi);
    return {TwipsToPixels(twips.left, d), TwipsToPixels(twips.top, d),
            TwipsToPixels(twips.left + twips.width, d), TwipsToPixels(twips.top + twips.height, d)};
}

HFONT MessageFont(UINT dpi, bool bold) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi);
    if (bold) {
        metrics.lfMessageFont.lfWeight = FW_BOLD;
        // The product name stands out as a title: a third larger.
        metrics.lfMessageFont.lfHeight = metrics.lfMessageFont.lfHeight * 4 / 3;
    }
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

void SetClientSize(HWND window, const layout::TwipsRect& twips, UINT dpi) {
    RECT frame{0, 0, TwipsToPixels(twips.width, int(dpi)), TwipsToPixels(twips.height, int(dpi))};
    const auto style = DWORD(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = DWORD(GetWindowLongPtrW(window, GWL_EXSTYLE));
    AdjustWindowRectExForDpi(&frame, style, GetMenu(window) != nullptr, exStyle, dpi);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CenterOnMonitor(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT r{};
    GetWindowRect(window, &r);
    const RECT& area = monitor.rcWork;
    SetWindowPos(window, nullptr, (area.left + area.right - (r.right - r.left)) / 2,
                 (area.top + area.bottom - (r.bottom - r.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vornel::win
