#pragma once

#include <windows.h>

#include <vornel/model/Layout.h>

namespace vornel::win {

// Measures of the layout, kept in twips, in pixels at `dpi` dots per inch.
// Both edges are converted, so neighbours stay neighbours at every DPI.
RECT PixelRect(const layout::TwipsRect& twips, UINT dpi);

// The message font of the system at `dpi`, bold or not. The caller deletes it.
HFONT MessageFont(UINT dpi, bool bold);

// Sizes `window` so that its client area is `twips.width` x `twips.height`.
void SetClientSize(HWND window, const layout::TwipsRect& twips, UINT dpi);

// Moves `window` to the middle of the work area of its monitor.
void CenterOnMonitor(HWND window);

}  // namespace vornel::win
