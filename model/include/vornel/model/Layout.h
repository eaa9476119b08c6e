#pragma once

#include <optional>
#include <string>
#include <vector>

// The main window's layout, for every view: each control with its band, kind,
// caption and place in twips (1440 to the inch, so 15 twips are one pixel at
// 96 dpi), and how it follows the window when the window grows. A view makes
// its own controls from this table and places them with TwipsToPixels.
namespace vornel::layout {

inline constexpr int kTwipsPerInch = 1440;
// The screen the layout was drawn for.
inline constexpr int kLayoutDpi = 96;

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
// and height by so many eighths of the added height.
struct Grow {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
inline constexpr int kGrowParts = 8;

// The part of `added` pixels that a share of `parts` eighths takes, rounded
// toward zero.
constexpr int GrownBy(int added, int parts) {
    return added * parts / kGrowParts;
}

// One control of the main window. A member of a group carries its member
// number and is named "<group>_<member>"; other controls have none.
struct ControlSpec {
    std::string objectName;
    Band band;
    ControlKind kind;
    TwipsRect twips;  // relative to the band
    std::string caption;
    std::string toolTip;
    std::optional<int> member;
    Grow grow;  // relative to the band
};

// Every control of the main window, bands first, then in tab order.
const std::vector<ControlSpec>& MainControls();

// The group of a member ("Button_Num" for "Button_Num_7"), or the whole name
// of a control that belongs to no group.
std::string GroupName(const ControlSpec& spec);

// The band's rectangle on the client area.
TwipsRect BandRect(Band band);

// `spec`'s rectangle on the client area at the starting size.
TwipsRect ClientRect(const ControlSpec& spec);

// How `spec` follows the window, its band's share included.
Grow ClientGrow(const ControlSpec& spec);

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi = kLayoutDpi) {
    return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

}  // namespace vornel::layout
