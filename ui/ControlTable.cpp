#include "ControlTable.h"

#include "Main.h"

#include <array>

#include <vornel/model/MainModel.h>

namespace vornel {

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

constexpr int kFontPixelSize = 11;

constexpr int kNotKeypad = -1;
constexpr std::array<std::array<int, 10>, 4> kKeypadGrid = {{
    {7, 8, 9, 15, 23, 24, 25, 20, 21, kNotKeypad},
    {4, 5, 6, 14, 22, 17, 18, 19, 16, 38},
    {1, 2, 3, 13, 26, 27, 32, 33, 34, 28},
    {0, 10, 11, 12, 35, 36, 29, 30, 31, kNotKeypad},
}};

// Spoken names of the keypad keys whose caption is a symbol or reads badly
// aloud; the others are read by their caption.
struct SpokenKey {
    int member;
    const char* name;
};
constexpr std::array<SpokenKey, 15> kSpokenKeys = {{
    {10, "Double zero"},
    {11, "Decimal point"},
    {12, "Plus"},
    {13, "Minus"},
    {14, "Divide"},
    {15, "Multiply"},
    {16, "Not equal"},
    {17, "Less than"},
    {18, "Greater than or equal"},
    {19, "Less than or equal"},
    {22, "Greater than"},
    {26, "Or"},
    {27, "And"},
    {35, "Open parenthesis"},
    {36, "Close parenthesis"},
}};

struct SpokenControl {
    const char* objectName;
    const char* name;
};
constexpr std::array<SpokenControl, 12> kSpokenControls = {{
    {"Frame3", "Result"},
    {"Frame2", "Formula and variables"},
    {"Frame1", "Keypad"},
    {"Text_CalResult", "Calculate Result"},
    {"Combo1", "Example expressions"},
    {"Text_Formula", "Expression"},
    {"List_Var", "Variable names"},
    {"List3", "Variable values"},
    {"Button_result_1", "Evaluate"},
    {"Button_result_2", "Evaluate"},
    {"Label_ResultLine", "Result line"},
    {"List_History", "History"},
}};

// A control that runs nothing: a band, a label or a text box.
ControlSpec Fixed(const char* name, Band band, ControlKind kind, QRect twips,
                  const char* caption = "", const char* toolTip = "") {
    return {QString::fromLatin1(name),    band,        kind, twips, QString::fromLatin1(caption),
            QString::fromLatin1(toolTip), std::nullopt};
}

ControlSpec Growing(ControlSpec spec, Grow grow) {
    spec.grow = grow;
    return spec;
}

ControlSpec Button(const char* name, QRect twips, const char* caption, const char* toolTip,
                   Handler onClick) {
    ControlSpec spec = Fixed(name, Band::Frame2, ControlKind::Button, twips, caption, toolTip);
    spec.onClick = onClick;
    return spec;
}

ControlSpec List(const char* name, QRect twips, IndexHandler onCurrentRow,
                 IndexHandler onDoubleClick) {
    ControlSpec spec = Fixed(name, Band::Frame2, ControlKind::ListBox, twips);
    spec.onIndex = onCurrentRow;
    spec.onDoubleClick = onDoubleClick;
    return spec;
}

ControlSpec Chooser(const char* name, QRect twips, IndexHandler onChoice) {
    ControlSpec spec = Fixed(name, Band::Frame2, ControlKind::ExampleChooser, twips);
    spec.onIndex = onChoice;
    return spec;
}

// A button of a group; its click runs `onClick` with its member number.
ControlSpec Member(const char* group, int member, Band band, ControlKind kind, QRect twips,
                   const QString& caption, const char* toolTip, IndexHandler onClick) {
    ControlSpec spec{QStringLiteral("%1_%2").arg(QLatin1String(group)).arg(member),
                     band,
                     kind,
                     twips,
                     caption,
                     QString::fromLatin1(toolTip),
                     member};
    spec.onIndex = onClick;
    return spec;
}

void AddKeypad(std::vector<ControlSpec>& controls, IndexHandler onClick) {
    for (std::size_t row = 0; row < kKeypadGrid.size(); ++row) {
        for (std::size_t column = 0; column < kKeypadColumns.size(); ++column) {
            const int member = kKeypadGrid[row][column];
            if (member == kNotKeypad) {
                continue;
            }
            const QRect twips(kKeypadColumns[column].left, kKeypadRowTops[row],
                              kKeypadColumns[column].width, kKeypadButtonHeight);
            controls.push_back(Member("Button_Num", member, Band::Frame1, ControlKind::KeypadButton,
                                      twips, QString::fromStdString(KeypadCaption(member)), "",
                                      onClick));
        }
    }
}

}  // namespace

std::vector<ControlSpec> BuildMainControls() {
    using K = ControlKind;
    // The formula's column takes three quarters of any added width and the
    // lists one quarter; the formula and the history share any added height.
    std::vector<ControlSpec> c = {
        Growing(Fixed("Frame3", Band::Client, K::Frame, {0, 60, 8175, 675}), {0, 0, 8, 0}),
        Growing(Fixed("Frame2", Band::Client, K::Frame, {0, 720, 8175, 2655}), {0, 0, 8, 8}),
        Growing(Fixed("Frame1", Band::Client, K::Frame, {0, 3360, 8175, 2055}), {0, 8, 8, 0}),

        Fixed("Label1", Band::Frame3, K::Label, {240, 300, 1515, 255}, "Calculate Result:"),
        Growing(Fixed("Text_CalResult", Band::Frame3, K::ResultBox, {1860, 240, 5535, 315}),
                {0, 0, 8, 0}),

        Chooser("Combo1", {180, 240, 2295, 315}, &Main::Combo1_Click),
        Growing(Fixed("Text_Formula", Band::Frame2, K::FormulaBox, {2640, 240, 5325, 1140}, "",
                      "Edit the expression "),
                {2, 0, 6, 4}),
        Growing(Fixed("Label_ResultLine", Band::Frame2, K::ResultLine, {2640, 1395, 5325, 270}),
                {2, 4, 6, 0}),
        Growing(Fixed("List_History", Band::Frame2, K::HistoryList, {2640, 1680, 5325, 570}, "",
                      "History: Enter puts a formula back, Ctrl+Enter its value"),
                {2, 4, 6, 4}),
        Growing(List("List_Var", {180, 600, 1140, 1590}, &Main::List_Var_Click,
                     &Main::List_Var_DblClick),
                {0, 0, 1, 8}),
        Growing(List("List3", {1320, 600, 1140, 1590}, &Main::List3_Click, &Main::List3_DblClick),
                {1, 0, 1, 8}),
        Growing(Button("Command2", {180, 2280, 735, 315}, "Add", "Add variable...",
                       &Main::Command2_Click),
                {0, 8, 0, 0}),
        Growing(Button("Button_ClearFormula", {2640, 2280, 735, 315}, "Clear",
                       "Clear the expression", &Main::Button_ClearFormula_Click),
                {2, 8, 0, 0}),
        Growing(Member("Button_result", 1, Band::Frame2, K::PictureButton, {7320, 2280, 675, 315},
                       "", "Go...", &Main::Button_result_Click),
                {8, 8, 0, 0}),
    };
    AddKeypad(c, &Main::Button_Num_Click);
    c.push_back(Member("Button_result", 2, Band::Frame1, K::KeypadButton, {6780, 240, 1215, 375},
                       QStringLiteral("="), "Evaluate (Ctrl+Return or F9)",
                       &Main::Button_result_Click));
    c.push_back(Member("Button_Close", 0, Band::Frame1, K::Button, {6780, 1500, 1215, 375},
                       QStringLiteral("&Close"), "", &Main::Button_Close_Click));
    return c;
}

QFont WindowFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(kFontPixelSize);
    return font;
}

QRect TwipsToPixels(const QRect& twips) {
    return {TwipsToPixels(twips.left()), TwipsToPixels(twips.top()), TwipsToPixels(twips.width()),
            TwipsToPixels(twips.height())};
}

const std::vector<ControlSpec>& MainControls() {
    static const std::vector<ControlSpec> controls = BuildMainControls();
    return controls;
}

QString AccessibleName(const ControlSpec& spec) {
    if (spec.objectName.startsWith(QLatin1String("Button_Num_"))) {
        for (const SpokenKey& key : kSpokenKeys) {
            if (key.member == spec.member) {
                return QString::fromLatin1(key.name);
            }
        }
        return {};
    }
    for (const SpokenControl& control : kSpokenControls) {
        if (spec.objectName == QLatin1String(control.objectName)) {
            return QString::fromLatin1(control.name);
        }
    }
    return {};
}

QRect GrownGeometry(const QRect& twips, const Grow& grow, int dx, int dy) {
    const QRect pixels = TwipsToPixels(twips);
    constexpr int kEighths = 8;
    return {pixels.left() + dx * grow.left / kEighths, pixels.top() + dy * grow.top / kEighths,
            pixels.width() + dx * grow.width / kEighths,
            pixels.height() + dy * grow.height / kEighths};
}

}  // namespace vornel
