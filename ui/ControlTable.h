#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

namespace vornel {

class Main;

// What a control runs when used; the window connects it as it makes the
// control, so every command named here is checked by the compiler.
using Handler = void (Main::*)();
using IndexHandler = void (Main::*)(int);

// Window measures are kept in twips, as the layout was drawn: 1440 twips to
// the inch, so 15 twips are one pixel at 96 dpi.
inline constexpr int kTwipsPerPixel = 15;

// Rounds to the nearest pixel.
constexpr int TwipsToPixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

QRect TwipsToPixels(const QRect& twips);

// The font the fixed layout was measured with; set it on every window.
QFont WindowFont();

// The main window's client area, below the menu bar.
inline constexpr int kClientWidthTwips = 8175;
inline constexpr int kClientHeightTwips = 5430;

// Where a control sits: on the client area itself (only the bands) or on one
// of the three bands.
enum class Band { Client, Frame1, Frame2, Frame3 };

enum class ControlKind {
    Frame,  // a band without caption
    Label,
    ResultBox,   // single-line text box
    FormulaBox,  // multi-line text box with both scroll bars
    ListBox,
    ExampleChooser,  // drop-down list
    ResultLine,      // the messages about the formula, each one clickable
    HistoryList,
    Button,
    KeypadButton,  // light blue
    PictureButton,
};

// How a control follows the window when it grows beyond its starting size:
// its left edge and width move by so many eighths of the added width, its top
// and height by so many eighths of the added height.
struct Grow {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// `twips` placed in pixels for a window `dx` pixels wider and `dy` taller
// than its starting size.
QRect GrownGeometry(const QRect& twips, const Grow& grow, int dx, int dy);

// One control of the main window. Group members carry their member number
// (and "<group>_<member>" as objectName); other controls have none.
struct ControlSpec {
    QString objectName;
    Band band;
    ControlKind kind;
    QRect twips;  // left, top, width, height relative to the band
    QString caption;
    QString toolTip;
    std::optional<int> member;
    Grow grow{};
    // A button's click runs `onClick`, or `onIndex` with its member number
    // for a group member. The example chooser runs `onIndex` with the example
    // chosen; a list runs `onIndex` with the row that becomes current and
    // `onDoubleClick` with the row double-clicked. Frames, labels and text
    // boxes run nothing.
    Handler onClick = nullptr;
    IndexHandler onIndex = nullptr;
    IndexHandler onDoubleClick = nullptr;
};

// Every control of the main window, bands first, in the order they are built.
const std::vector<ControlSpec>& MainControls();

// Builds the table MainControls() keeps; it names the window's private
// handlers, so Main lets it.
std::vector<ControlSpec> BuildMainControls();

// What a screen reader calls the control: a word for a keypad symbol ("Or"
// for "|  Or", "Less than" for "<") and a name for a control without a
// caption; an empty text where the caption says it already.
QString AccessibleName(const ControlSpec& spec);

}  // namespace vornel
