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
    Button,
    KeypadButton,  // light blue
    PictureButton,
};

// How a control follows the window as it grows beyond its smallest size: it
// takes the extra width or height, or moves right or down by it.
enum Growth : unsigned {
    kFixed = 0,
    kWider = 1,
    kTaller = 2,
    kRight = 4,
    kDown = 8,
};

struct ControlSpec {
    std::string objectName;  // "<group>_<member>" for a member of a group
    int id;                  // the control's number in the Windows program
    Band band;
    ControlKind kind;
    TwipsRect twips;  // relative to the band
    std::string caption;
    std::string toolTip;
    int member;  // the member number in its group, or -1
    unsigned growth;
};

// The keypad's member numbers run 0 to 38; 37 does not exist.
inline constexpr int kKeypadMembers = 39;

// The caption of keypad member `member`, or "" when there is none.
std::string KeypadCaption(int member);

// Every control of the main window, bands first, then in tab order, with the
// numbers of ResourceIds.h.
const std::vector<ControlSpec>& MainControls();

// The band's rectangle on the client area.
TwipsRect BandRect(Band band);

// `spec`'s rectangle on the client area at the smallest window size.
TwipsRect ClientRect(const ControlSpec& spec);

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
    return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

}  // namespace vornel::layout
