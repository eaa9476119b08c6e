#pragma once

#include <windows.h>

namespace vornel::win {

// Whether the user has chosen the dark mode for apps (Windows 10 1809 and
// later). False where the setting is absent, and while high contrast is on:
// then the system's colours decide.
bool AppsUseDarkMode();

// The title bar of `window` dark or light as the apps' mode is. The window's
// controls keep the system's colours, as Windows' own controls do, and the
// formula's colours follow the box's background, the window colour.
void FollowAppsMode(HWND window);

}  // namespace vornel::win
