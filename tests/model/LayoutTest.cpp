// The main window's layout as every view reads it: places on the client area,
// growth with the band's share, group names and the pixel conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <string>
#include <vector>

#include <vornel/model/Layout.h>

namespace vornel::layout {
namespace {

// Members 0 to 38 of the keypad group, all but 37, which has no key.
constexpr int kKeypadMembers = 39;
constexpr int kNoKey = 37;

const ControlSpec& Named(const std::string& name) {
    const auto& controls = MainControls();
    const auto found = std::find_if(controls.begin(), controls.end(), [&](const ControlSpec& spec) {
        return spec.objectName == name;
    });
    EXPECT_NE(found, controls.end()) << name;
    return *found;
}

// A control's place and growth on the client area add its band's.
TEST(Layout, PlacesAndGrowthOnTheClientArea) {
    struct Row {
        const char* name;
        TwipsRect place;
        Grow grow;
        const char* group;
    };
    const Row rows[] = {
        {"Frame1", {0, 3360, 8175, 2055}, {0, 8, 8, 0}, "Frame1"},
        {"Label1", {240, 360, 1515, 255}, {0, 0, 0, 0}, "Label1"},
        {"Text_Formula", {2640, 960, 5325, 945}, {2, 0, 6, 4}, "Text_Formula"},
        {"Label_ResultLine", {2640, 1920, 5325, 465}, {2, 4, 6, 0}, "Label_ResultLine"},
        {"List_History", {2640, 2400, 4635, 915}, {2, 4, 6, 4}, "List_History"},
        {"Button_ClearFormula", {7320, 2400, 675, 315}, {8, 4, 0, 0}, "Button_ClearFormula"},
        {"Button_result_1", {7320, 3000, 675, 315}, {8, 8, 0, 0}, "Button_result"},
        {"Button_Num_7", {180, 3600, 495, 375}, {0, 8, 0, 0}, "Button_Num"},
        {"Button_Num_38", {6780, 4020, 1215, 375}, {0, 8, 0, 0}, "Button_Num"},
        {"Button_Close_0", {6780, 4860, 1215, 375}, {0, 8, 0, 0}, "Button_Close"},
    };
    for (const Row& row : rows) {
        const ControlSpec& spec = Named(row.name);
        const TwipsRect place = ClientRect(spec);
        const Grow grow = ClientGrow(spec);
        EXPECT_EQ((std::array{place.left, place.top, place.width, place.height}),
                  (std::array{row.place.left, row.place.top, row.place.width, row.place.height}))
            << row.name;
        EXPECT_EQ((std::array{grow.left, grow.top, grow.width, grow.height}),
                  (std::array{row.grow.left, row.grow.top, row.grow.width, row.grow.height}))
            << row.name;
        EXPECT_EQ(GroupName(spec), row.group) << row.name;
    }
}

// Every control starts inside the client area, and every keypad key is there
// once.
TEST(Layout, EveryControlInsideTheClientAreaAndEveryKeyOnce) {
    std::vector<int> keys;
    for (const ControlSpec& spec : MainControls()) {
        const TwipsRect place = ClientRect(spec);
        EXPECT_TRUE(place.left >= 0 && place.top >= 0 &&
                    place.left + place.width <= kClientWidthTwips &&
                    place.top + place.height <= kClientHeightTwips)
            << spec.objectName;
        if (GroupName(spec) == "Button_Num") {
            keys.push_back(spec.member.value_or(-1));
        }
    }
    std::sort(keys.begin(), keys.end());
    std::vector<int> all(kKeypadMembers);
    std::iota(all.begin(), all.end(), 0);
    all.erase(all.begin() + kNoKey);
    EXPECT_EQ(keys, all);
}

TEST(Layout, TwipsToPixelsRoundsToTheNearest) {
    const std::array<std::array<int, 3>, 6> rows = {{
        {0, 96, 0},
        {7, 96, 0},
        {8, 96, 1},
        {8175, 96, 545},
        {10, 144, 1},
        {1440, 144, 144},
    }};
    for (const auto& [twips, dpi, pixels] : rows) {
        EXPECT_EQ(TwipsToPixels(twips, dpi), pixels) << twips << " at " << dpi;
    }
    EXPECT_EQ(TwipsToPixels(5430), 362);
    EXPECT_EQ(GrownBy(100, 3), 37);
}

}  // namespace
}  // namespace vornel::layout
