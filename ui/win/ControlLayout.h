#pragma once

#include <string>
#include <vector>

namespace vornel::layout {

// The main window's layout in twips (1440 to the inch; 15 twips are one
// pixel at 96 dpi), without any toolkit: every control with its band, kind,
// caption and place, and how it follows the window when the window grows.

inline constexpr int kTwipsPerInch = 1440;

// The client area below the menu bar at its starting and smallest size.
inline constexpr int kClientWidthTwips = 8175;
inline constexpr int kClientHeightTwips = 5430;

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Where a control sits: on the client area itself (only the bands) or on one
// of the three bands.
enum class Band { Client, Frame1, Frame2, Frame3 };

enum class ControlKind {
    Frame,  // a band without caption
    Label,
    ResultBox,       // single-line text box
    FormulaBox,      // multi-line text box with both scroll bars
    ListBox,         // variable names or values
    ExampleChooser,  // drop-down list
    ResultLine,      // the messages about the formula, each one clickable
    HistoryList,
    Button,
    KeypadButton,  // light blue
    PictureButton,
};

// How a control follows the window when it grows beyond its starting size:
// its left edge and width move by so many eighths of the added width, its top
// and height by so many eighths of the added height. A control on a band
// moves with the band as well.
struct Grow {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
inline constexpr int kGrowParts = 8;

struct ControlSpec {
    std::string objectName;  // "<group>_<member>" for a member of a group
    int id;                  // the control's number in the Windows program
    Band band;
    ControlKind kind;
    TwipsRect twips;  // relative to the band
    std::string caption;
    std::string toolTip;
    int member;  // the member number in its group, or -1
    Grow grow;   // relative to the band
};

// Every control of the main window, bands first, then in tab order, with the
// numbers of ResourceIds.h.
const std::vector<ControlSpec>& MainControls();

// The band's rectangle on the client area.
TwipsRect BandRect(Band band);

// `spec`'s rectangle on the client area at the starting size.
TwipsRect ClientRect(const ControlSpec& spec);

// How `spec` follows the window, its band's share included.
Grow ClientGrow(const ControlSpec& spec);

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
    return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

}  // namespace vornel::layout
