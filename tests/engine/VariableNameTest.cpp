#include <gtest/gtest.h>

#include <string>

#include <vornel/Names.h>
#include "TestSupport.h"

namespace vornel::test {
namespace {

struct NameRow {
    const char* name;
    NameProblem problem;
};

// What the rules are for: a name they accept can be used anywhere a
// variable can, and each refused kind really does misbehave.
std::string UseInEveryPlace(const std::string& name) {
    Exp engine;
    engine.SetVariable(0, name, 7);
    std::string outcome;
    for (const std::string& text :
         {name + "*2", "If (" + name + "=7) Then " + name + "+1 Else 0 EndIf",
          "If (" + name + "<>7) Then 0 Else " + name + "+1 EndIf"}) {
        const Outcome result = engine.Evaluate(text);
        if (!result.Succeeded()) {
            return "failed";
        }
        outcome += (outcome.empty() ? "" : " ") + NumberText(result.value);
    }
    return outcome;
}

class CheckVariableNameRows : public testing::TestWithParam<NameRow> {};

TEST_P(CheckVariableNameRows, FindsTheFirstBrokenRule) {
    EXPECT_EQ(CheckVariableName(GetParam().name), GetParam().problem);
    const bool works = UseInEveryPlace(GetParam().name) == "14 8 8";
    EXPECT_EQ(works, GetParam().problem == NameProblem::None);
}

INSTANTIATE_TEST_SUITE_P(
    Names, CheckVariableNameRows,
    testing::Values(
        NameRow{"A", NameProblem::None}, NameRow{"_x9", NameProblem::None},
        NameRow{"Var8", NameProblem::None}, NameRow{"MAXIMUM", NameProblem::None},
        NameRow{"TRUTH", NameProblem::None}, NameRow{"RIF", NameProblem::None},
        NameRow{"THE", NameProblem::None}, NameRow{"tHeRe_1", NameProblem::None},
        NameRow{"", NameProblem::Empty}, NameRow{"9X", NameProblem::BadStart},
        NameRow{" A", NameProblem::BadStart}, NameRow{"A B", NameProblem::BadCharacter},
        NameRow{"Rate%", NameProblem::BadCharacter},
        NameRow{"caf\xc3\xa9", NameProblem::BadCharacter},
        NameRow{"\xc3\xa9t\xc3\xa9", NameProblem::BadStart},
        NameRow{"max", NameProblem::FunctionName}, NameRow{"Floor", NameProblem::FunctionName},
        NameRow{"true", NameProblem::TruthValue}, NameRow{"False", NameProblem::TruthValue},
        NameRow{"If", NameProblem::Keyword}, NameRow{"elseif", NameProblem::Keyword},
        NameRow{"EndIf", NameProblem::Keyword}, NameRow{"Athen", NameProblem::HoldsKeyword},
        NameRow{"ELSEWHERE", NameProblem::HoldsKeyword},
        NameRow{"SENDIFX", NameProblem::HoldsKeyword}, NameRow{"Iffy", NameProblem::BeginsWithIf}),
    [](const testing::TestParamInfo<NameRow>& row) {
        return std::to_string(row.index) + "_" + RowName(row.param.name);
    });

}  // namespace
}  // namespace vornel::test
