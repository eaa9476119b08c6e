#include "ControlTable.h"

#include "Main.h"

#include <array>
#include <string>

namespace vornel {

namespace {

constexpr int kFontPixelSize = 11;

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

}  // namespace

ControlHandlers HandlersOf(const ControlSpec& spec) {
    struct Bound {
        const char* name;  // a control's, or a group's for its members
        ControlHandlers handlers;
    };
    static const Bound kBound[] = {
        {"Combo1", {nullptr, &Main::Combo1_Click}},
        {"List_Var", {nullptr, &Main::List_Var_Click, &Main::List_Var_DblClick}},
        {"List3", {nullptr, &Main::List3_Click, &Main::List3_DblClick}},
        {"Command2", {&Main::Command2_Click}},
        {"Button_ClearFormula", {&Main::Button_ClearFormula_Click}},
        {"Button_result", {nullptr, &Main::Button_result_Click}},
        {"Button_Num", {nullptr, &Main::Button_Num_Click}},
        {"Button_Close", {nullptr, &Main::Button_Close_Click}},
    };
    const std::string name = layout::GroupName(spec);
    for (const Bound& bound : kBound) {
        if (name == bound.name) {
            return bound.handlers;
        }
    }
    return {};
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

QRect TwipsToPixels(const layout::TwipsRect& twips) {
    return TwipsToPixels(QRect(twips.left, twips.top, twips.width, twips.height));
}

QString AccessibleName(const ControlSpec& spec) {
    if (spec.member && layout::GroupName(spec) == "Button_Num") {
        for (const SpokenKey& key : kSpokenKeys) {
            if (key.member == spec.member) {
                return QString::fromLatin1(key.name);
            }
        }
        return {};
    }
    for (const SpokenControl& control : kSpokenControls) {
        if (spec.objectName == control.objectName) {
            return QString::fromLatin1(control.name);
        }
    }
    return {};
}

QRect GrownGeometry(const layout::TwipsRect& twips, const Grow& grow, int dx, int dy) {
    const QRect pixels = TwipsToPixels(twips);
    return {pixels.left() + layout::GrownBy(dx, grow.left),
            pixels.top() + layout::GrownBy(dy, grow.top),
            pixels.width() + layout::GrownBy(dx, grow.width),
            pixels.height() + layout::GrownBy(dy, grow.height)};
}

}  // namespace vornel
