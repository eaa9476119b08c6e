#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include <vornel/model/Layout.h>

namespace vornel {

class Main;

// What a control runs when used; the window connects it as it makes the
// control, so every command named here is checked by the compiler.
using Handler = void (Main::*)();
using IndexHandler = void (Main::*)(int);

// The window's layout comes from the model; the Qt view places its widgets
// by it in pixels at 96 dpi.
using layout::Band;
using layout::ControlKind;
using layout::ControlSpec;
using layout::Grow;
using layout::kClientHeightTwips;
using layout::kClientWidthTwips;
using layout::MainControls;
using layout::TwipsToPixels;

QRect TwipsToPixels(const QRect& twips);
QRect TwipsToPixels(const layout::TwipsRect& twips);

// The font the fixed layout was measured with; set it on every window.
QFont WindowFont();

// `twips` placed in pixels for a window `dx` pixels wider and `dy` taller
// than its starting size.
QRect GrownGeometry(const layout::TwipsRect& twips, const Grow& grow, int dx, int dy);

// What a control runs. A button's click runs `onClick`, or `onIndex` with its
// member number for a group member. The example chooser runs `onIndex` with
// the example chosen; a list runs `onIndex` with the row that becomes current
// and `onDoubleClick` with the row double-clicked. Frames, labels and text
// boxes run nothing.
struct ControlHandlers {
    Handler onClick = nullptr;
    IndexHandler onIndex = nullptr;
    IndexHandler onDoubleClick = nullptr;
};

// The handlers of `spec`'s control; they are the window's private handlers,
// so Main lets this name them.
ControlHandlers HandlersOf(const ControlSpec& spec);

// What a screen reader calls the control: a word for a keypad symbol ("Or"
// for "|  Or", "Less than" for "<") and a name for a control without a
// caption; an empty text where the caption says it already.
QString AccessibleName(const ControlSpec& spec);

}  // namespace vornel
