#include <vornel/model/Layout.h>

#include <array>

#include <vornel/model/MainModel.h>

namespace vornel::layout {

namespace {

// Keypad grid: rows by top, columns by left and width, cells by member number.
// The last column also holds the "=" and "&Close" buttons, which belong to
// other groups and are listed with the fixed controls.
constexpr std::array<int, 4> kKeypadRowTops = {240, 660, 1080, 1500};
constexpr int kKeypadButtonHeight = 375;

struct KeypadColumn {
    int left;
    int width;
};
constexpr std::array<KeypadColumn, 10> kKeypadColumns = {{
    {180, 495},
    {720, 495},
    {1260, 495},
    {1980, 495},
    {2700, 735},
    {3480, 735},
    {4260, 735},
    {5040, 735},
    {5820, 735},
    {6780, 1215},
}};

// The three bands, from top to bottom.
constexpr TwipsRect kFrame3{0, 60, 8175, 675};
constexpr TwipsRect kFrame2{0, 720, 8175, 2655};
constexpr TwipsRect kFrame1{0, 3360, 8175, 2055};

constexpr int kNotKeypad = -1;
constexpr std::array<std::array<int, 10>, 4> kKeypadGrid = {{
    {7, 8, 9, 15, 23, 24, 25, 20, 21, kNotKeypad},
    {4, 5, 6, 14, 22, 17, 18, 19, 16, 38},
    {1, 2, 3, 13, 26, 27, 32, 33, 34, 28},
    {0, 10, 11, 12, 35, 36, 29, 30, 31, kNotKeypad},
}};

ControlSpec Control(const char* name, Band band, ControlKind kind, TwipsRect twips, Grow grow,
                    const char* caption = "", const char* toolTip = "") {
    return {name, band, kind, twips, caption, toolTip, std::nullopt, grow};
}

ControlSpec Member(const char* group, int member, Band band, ControlKind kind, TwipsRect twips,
                   Grow grow, const char* toolTip = "") {
    return {std::string(group) + "_" + std::to_string(member),
            band,
            kind,
            twips,
            "",
            toolTip,
            member,
            grow};
}

void AddKeypad(std::vector<ControlSpec>& controls) {
    for (std::size_t row = 0; row < kKeypadGrid.size(); ++row) {
        for (std::size_t column = 0; column < kKeypadColumns.size(); ++column) {
            const int member = kKeypadGrid[row][column];
            if (member == kNotKeypad) {
                continue;
            }
            const TwipsRect twips{kKeypadColumns[column].left, kKeypadRowTops[row],
                                  kKeypadColumns[column].width, kKeypadButtonHeight};
            ControlSpec key =
                Member("Button_Num", member, Band::Frame1, ControlKind::KeypadButton, twips, {});
            key.caption = KeypadCaption(member);
            controls.push_back(key);
        }
    }
}

std::vector<ControlSpec> BuildMainControls() {
    using K = ControlKind;
    // The formula's column takes three quarters of any added width and the
    // lists one quarter; the formula and the history share any added height.
    std::vector<ControlSpec> c = {
        Control("Frame3", Band::Client, K::Frame, kFrame3, {0, 0, 8, 0}),
        Control("Frame2", Band::Client, K::Frame, kFrame2, {0, 0, 8, 8}),
        Control("Frame1", Band::Client, K::Frame, kFrame1, {0, 8, 8, 0}),

        Control("Label1", Band::Frame3, K::Label, {240, 300, 1515, 255}, {}, "Calculate Result:"),
        Control("Text_CalResult", Band::Frame3, K::ResultBox, {1860, 240, 5535, 315}, {0, 0, 8, 0}),

        Control("Combo1", Band::Frame2, K::ExampleChooser, {180, 240, 2295, 315}, {}),
        Control("Text_Formula", Band::Frame2, K::FormulaBox, {2640, 240, 5325, 945}, {2, 0, 6, 4},
                "", "Edit the expression "),
        // Two rows, which most messages fill at most; a longer one scrolls.
        Control("Label_ResultLine", Band::Frame2, K::ResultLine, {2640, 1200, 5325, 465},
                {2, 4, 6, 0}),
        // Down to the band's last row, beside the Clear and Go buttons: four
        // entries show at the starting size.
        Control("List_History", Band::Frame2, K::HistoryList, {2640, 1680, 4635, 915}, {2, 4, 6, 4},
                "", "History: Enter puts a formula back, Ctrl+Enter its value"),
        Control("List_Var", Band::Frame2, K::ListBox, {180, 600, 1140, 1590}, {0, 0, 1, 8}),
        Control("List3", Band::Frame2, K::ListBox, {1320, 600, 1140, 1590}, {1, 0, 1, 8}),
        Control("Command2", Band::Frame2, K::Button, {180, 2280, 735, 315}, {0, 8, 0, 0}, "Add",
                "Add variable..."),
        Control("Button_ClearFormula", Band::Frame2, K::Button, {7320, 1680, 675, 315},
                {8, 4, 0, 0}, "Clear", "Clear the expression"),
        Member("Button_result", 1, Band::Frame2, K::PictureButton, {7320, 2280, 675, 315},
               {8, 8, 0, 0}, "Go..."),
    };
    AddKeypad(c);
    ControlSpec equals = Member("Button_result", 2, Band::Frame1, K::KeypadButton,
                                {6780, 240, 1215, 375}, {}, "Evaluate (Ctrl+Return or F9)");
    equals.caption = "=";
    c.push_back(equals);
    ControlSpec close =
        Member("Button_Close", 0, Band::Frame1, K::Button, {6780, 1500, 1215, 375}, {});
    close.caption = "&Close";
    c.push_back(close);
    return c;
}

}  // namespace

const std::vector<ControlSpec>& MainControls() {
    static const std::vector<ControlSpec> controls = BuildMainControls();
    return controls;
}

std::string GroupName(const ControlSpec& spec) {
    return spec.member ? spec.objectName.substr(0, spec.objectName.rfind('_')) : spec.objectName;
}

TwipsRect BandRect(Band band) {
    switch (band) {
        case Band::Frame1:
            return kFrame1;
        case Band::Frame2:
            return kFrame2;
        case Band::Frame3:
            return kFrame3;
        case Band::Client:
            break;
    }
    return {0, 0, kClientWidthTwips, kClientHeightTwips};
}

TwipsRect ClientRect(const ControlSpec& spec) {
    const TwipsRect band = spec.band == Band::Client ? TwipsRect{} : BandRect(spec.band);
    return {band.left + spec.twips.left, band.top + spec.twips.top, spec.twips.width,
            spec.twips.height};
}

Grow ClientGrow(const ControlSpec& spec) {
    if (spec.band == Band::Client) {
        return spec.grow;
    }
    const Grow band = spec.band == Band::Frame1   ? Grow{0, 8, 8, 0}
                      : spec.band == Band::Frame2 ? Grow{0, 0, 8, 8}
                                                  : Grow{0, 0, 8, 0};
    return {band.left + spec.grow.left, band.top + spec.grow.top, spec.grow.width,
            spec.grow.height};
}

}  // namespace vornel::layout
