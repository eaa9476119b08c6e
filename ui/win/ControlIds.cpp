#include "ControlIds.h"

#include <array>
#include <string_view>

#include "ResourceIds.h"

namespace vornel::win {

namespace {

struct NamedId {
    std::string_view objectName;
    int id;
};
constexpr std::array<NamedId, 16> kControlIds = {{
    {"Frame1", IDC_FRAME1},
    {"Frame2", IDC_FRAME2},
    {"Frame3", IDC_FRAME3},
    {"Label1", IDC_LABEL1},
    {"Text_CalResult", IDC_RESULT},
    {"Combo1", IDC_EXAMPLES},
    {"Text_Formula", IDC_FORMULA},
    {"Label_ResultLine", IDC_RESULT_LINE},
    {"List_History", IDC_HISTORY},
    {"List_Var", IDC_NAMES},
    {"List3", IDC_VALUES},
    {"Command2", IDC_ADD},
    {"Button_ClearFormula", IDC_CLEAR},
    {"Button_result_1", IDC_GO},
    {"Button_result_2", IDC_EQUALS},
    {"Button_Close_0", IDC_CLOSE},
}};

}  // namespace

int ControlId(const layout::ControlSpec& spec) {
    if (spec.member && layout::GroupName(spec) == "Button_Num") {
        return IDC_KEYPAD + *spec.member;
    }
    for (const NamedId& named : kControlIds) {
        if (named.objectName == spec.objectName) {
            return named.id;
        }
    }
    return 0;
}

}  // namespace vornel::win
