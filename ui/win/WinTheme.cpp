#include "WinTheme.h"

#include <dwmapi.h>

namespace vornel::win {

namespace {

// DWMWA_USE_IMMERSIVE_DARK_MODE, which MinGW's headers do not name yet.
constexpr DWORD kDarkTitleBar = 20;

}  // namespace

bool AppsUseDarkMode() {
    HIGHCONTRASTW contrast{sizeof(contrast), 0, nullptr};
    if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0) {
        return false;
    }
    DWORD light = 1;
    DWORD size = sizeof(light);
    return RegGetValueW(HKEY_CURRENT_USER,
                        L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                        L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light,
                        &size) == ERROR_SUCCESS &&
           light == 0;
}

void FollowAppsMode(HWND window) {
    const BOOL dark = AppsUseDarkMode() ? TRUE : FALSE;
    DwmSetWindowAttribute(window, kDarkTitleBar, &dark, sizeof(dark));
}

}  // namespace vornel::win
