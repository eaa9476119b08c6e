// A formula compiled once and evaluated many times must give, for every
// variable table, exactly what evaluating its text gives: the same value bit
// for bit, the same failure, cause and place.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include <vornel/Exp.h>
#include <vornel/Formula.h>

#include "CompiledFormula.h"
#include "ExampleExpressions.h"
#include "MachineCode.h"
#include "TestSupport.h"
#include "VariableStorage.h"

namespace vornel {
namespace {

using Variables = std::vector<std::pair<std::string, double>>;

void Store(Exp& exp, const Variables& variables) {
    for (std::size_t slot = 0; slot < variables.size(); ++slot) {
        exp.SetVariable(static_cast<std::int16_t>(slot), variables[slot].first,
                        variables[slot].second);
    }
}

std::string Describe(const Outcome& o) {
    std::ostringstream text;
    text << std::hexfloat << o.value << " failure " << o.failure << " cause "
         << static_cast<int>(o.cause) << " [" << o.begin << ',' << o.end << ')';
    return text.str();
}

testing::AssertionResult Same(const Outcome& got, const Outcome& want) {
    if (std::bit_cast<std::uint64_t>(got.value) == std::bit_cast<std::uint64_t>(want.value) &&
        got.failure == want.failure && got.cause == want.cause && got.begin == want.begin &&
        got.end == want.end) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << Describe(got) << " instead of " << Describe(want);
}

// "#N" for failure N, "-0" for a negative zero, else the value's number text.
std::string Short(const Outcome& o) {
    if (!o.Succeeded()) {
        return "#" + std::to_string(o.failure);
    }
    return o.value == 0 && std::signbit(o.value) ? "-0" : NumberText(o.value);
}

// "ok" accepts any value: the row then checks only that both routes agree.
bool Expected(const Outcome& o, const std::string& expected) {
    return expected == "ok" ? o.Succeeded() : Short(o) == expected;
}

std::string Repeated(std::string_view piece, int count, std::string_view separator = "+") {
    std::string text(piece);
    for (int k = 1; k < count; ++k) {
        (text += separator) += piece;
    }
    return text;
}

const double kHuge = 1.7976931348623157e308;   // its 15-digit text is beyond a double
const double kTiny = 4.9406564584124654e-324;  // its text is 340 characters long

// The same names in every table, so a formula compiled once keeps its program.
const std::array<Variables, 5> kTables = {{
    {{"A", 100}, {"B", 200}, {"C", 300}, {"D", 400}, {"E", 500}, {"H", 3}, {"T", 0.5}},
    {{"A", 0}, {"B", -0.0}, {"C", 0}, {"D", 0}, {"E", 0}, {"H", kHuge}, {"T", kTiny}},
    {{"A", -2.5}, {"B", 1e300}, {"C", 1}, {"D", -1}, {"E", 1e-300}, {"H", -kHuge}, {"T", 1e-300}},
    {{"A", 7},
     {"B", 0.1},
     {"C", 3},
     {"D", 2},
     {"E", 1.79769313486231e308},
     {"H", 1.79769313486231e308},
     {"T", -0.0}},
    {{"A", 0}, {"B", -1e300}, {"C", -3}, {"D", 5}, {"E", 7}, {"H", 12345}, {"T", 1e-300}},
}};

struct CompiledRow {
    std::string name;
    std::string text;
    std::array<std::string, kTables.size()> expected;  // one per table
};

std::vector<CompiledRow> CompiledRows() {
    // 32,762 characters; "+(100)" keeps it at 32,766 written out, "+(-2.5)" reaches the limit.
    const std::string edge = "11+" + Repeated("1", 16379) + "+A";
    const std::string edgeSpaced = edge.substr(0, edge.size() - 2) + " + A";
    const std::string bs = Repeated("B", 108);  // 1E300 written out 108 times is too long
    return {
        {"plain", "A+1", {"101", "1", "-1.5", "8", "1"}},
        {"spaced", "  A + 1 ", {"101", "1", "-1.5", "8", "1"}},
        {"divisor", "100/A", {"1", "#11", "-40", "14.2857142857143", "#11"}},
        {"zero_by_zero", "B/A", {"2", "#6", "ok", "ok", "#11"}},
        {"first_of_two_divisions", "A/B+1/C", {"ok", "#6", "1", "ok", "ok"}},
        {"division_before_unreadable", "1/0+H", {"#11", "#11", "#11", "#11", "#11"}},
        {"unreadable_before_division", "H+1/0", {"#11", "#6", "#6", "#11", "#11"}},
        {"unreadable_times_zero", "H*0+1", {"1", "#6", "#6", "1", "1"}},
        {"negative_zero_made", "A*(-1)", {"-100", "-0", "2.5", "-7", "-0"}},
        {"negative_zero_stored", "B", {"200", "0", "ok", "0.1", "ok"}},
        {"unreadable_alone", "H", {"3", "#6", "#6", "ok", "12345"}},
        {"tiny", "T*2", {"1", "ok", "ok", "0", "ok"}},
        {"functions",
         "Round(A/3,2)+Ceil(T)-Floor(0-T)+Exp(D,2)",
         {"160035.33", "2", "2.17", "6.33", "27"}},
        {"power_overflow", "Exp(B,2)", {"40000", "0", "#6", "0.01", "#6"}},
        {"powers_of_one_and_none", "Exp(A,1)+Exp(D,0)*2", {"102", "2", "-0.5", "9", "2"}},
        {"power_at_the_counter_limit", "Exp(T,32767)", {"#6", "#6", "#6", "#6", "#6"}},
        {"value_left_unused", "1+A=3", {"3", "3", "3", "3", "3"}},
        {"unreadable_value_left_unused", "H A", {"100", "#6", "#6", "7", "0"}},
        {"overflow_left_unused", "(B*B)(2)", {"2", "2", "#6", "2", "#6"}},
        {"overflow_as_divisor", "1/(B*B)", {"ok", "#11", "#6", "100", "#6"}},
        {"overflow_as_divisor_of_a_sum", "A*C+1/(B*B)", {"ok", "#11", "#6", "121", "#6"}},
        {"quotient_overflows_as_divisor", "A*C/(B/E)", {"75000", "#6", "#6", "#6", "ok"}},
        {"overflow_times_zero", "B*B*A", {"4000000", "0", "#6", "0.07", "#6"}},
        {"overflow_cancelled", "B*B-B*B", {"0", "0", "#6", "0", "#6"}},
        {"overflow_below_max", "Max(0-B*B,1)", {"1", "1", "#6", "1", "#6"}},
        {"zero_by_zero_below_max", "Max(B/A,1)", {"2", "#6", "1", "1", "#11"}},
        {"overflow_in_min", "Min(B*B,1)", {"1", "0", "#6", "0.01", "#6"}},
        {"overflow_second_in_min", "Min(1,B*B)", {"1", "0", "#6", "0.01", "#6"}},
        {"overflow_to_the_power_zero", "Exp(B*B,0)", {"1", "1", "#6", "1", "#6"}},
        {"overflow_after_max", "Max(B,C)*B*B", {"ok", "0", "#6", "0.03", "#6"}},
        {"functions_of_results", "Ceil(A/3)*Floor(B/7)-A", {"852", "0", "2.5", "-7", "-0"}},
        {"mixed_precedence", "A-B*C+D/E*A-(B+C)/D", {"-59821.25", "#6", "ok", "5.15", "ok"}},
        {"earlier_result_on_the_left", "A*B-C*D*E", {"-59980000", "0", "ok", "#6", "105"}},
        {"previous_result_inside", "A*B+C*(D+E)", {"290000", "0", "ok", "#6", "-36"}},
        {"earlier_result_beside_the_previous",
         "A*B+C*D*(E*A)",
         {"6000020000", "0", "ok", "#6", "-0"}},
        // E and H of table 3 are the largest values that read back.
        {"largest_sum", "H+H", {"6", "#6", "#6", "#6", "24690"}},
        {"largest_halves", "E/2+H/2", {"251.5", "#6", "#6", "ok", "6176"}},
        {"largest_by_a_half", "H/0.5", {"6", "#6", "#6", "#6", "24690"}},
        {"largest_taken_twice", "0-H-E", {"-503", "#6", "#6", "#6", "-12352"}},
        {"largest_and_its_half", "H+H*0.5", {"4.5", "#6", "#6", "#6", "18517.5"}},
        {"largest_plus_a_product", "H+E*1", {"503", "#6", "#6", "#6", "12352"}},
        {"unbounded_times_zero", "(1/A)*0+B*B", {"40000", "#11", "#6", "0.01", "#11"}},
        {"zero_times_unbounded", "0*(1/A)+B*B", {"40000", "#11", "#6", "0.01", "#11"}},
        // Steps whose operands stay within the range whatever the values.
        {"bounded_in_max", "Max(E,300)/B+Ceil(5000/A)", {"52.5", "#11", "-2000", "#6", "#11"}},
        {"bounded_divisor", "5/(A/2-C/2)", {"-0.05", "#11", "ok", "2.5", "ok"}},
        {"bounded_divisor_zero_by_zero", "A/(B/2-C/2)", {"-2", "#6", "ok", "ok", "-0"}},
        {"bounded_divisor_on_the_right", "D-A/(B/2-C/2)", {"402", "#6", "-1", "ok", "5"}},
        {"bounded_ceil_in_max", "Max(Ceil(H/2),1)*2", {"4", "#6", "#6", "ok", "12346"}},
        {"bounded_sum_in_min", "Min(E/2+H/2,A)", {"100", "#6", "#6", "7", "0"}},
        {"bounded_power", "Exp(A,3)+1", {"1000001", "1", "-14.625", "344", "1"}},
        {"power_overflow_times_zero", "Exp(E,2)*0+1", {"1", "1", "1", "#6", "1"}},
        {"unbounded_sum_in_min", "Min(E+H,1)", {"1", "#6", "#6", "#6", "1"}},
        {"overflow_through_ceil_in_min", "Min(Ceil(B*B),1)", {"1", "0", "#6", "1", "#6"}},
        {"overflow_through_max_in_min", "Min(Max(E,1)+H,1)", {"1", "#6", "#6", "#6", "1"}},
        {"overflow_on_the_left_in_min", "Min(B*B+A/2,1)", {"1", "0", "#6", "1", "#6"}},
        {"product_chain", "A*B*C*D*E", {"1200000000000", "0", "2.5", "#6", "0"}},
        {"parenthesised", "(A+B)*(C-D)/(E+1)", {"-59.8802395209581", "0", "ok", "ok", "ok"}},
        {"max_min", "Max(A,B)*2-Min(T,1)", {"399.5", "ok", "ok", "14", "ok"}},
        // Of two equal values Min keeps the second: Min(0,-0) is -0.
        {"min_of_zeros", "Min(A*0,A*(-1))", {"-100", "-0", "-0", "-7", "-0"}},
        {"functions_of_numbers", "Ceil(2.5)*A-Floor(-2.5)", {"303", "3", "-4.5", "24", "3"}},
        {"example_1", std::string(kExampleExpressions[0]), {"3940", "0", "ok", "#6", "ok"}},
        {"example_2",
         std::string(kExampleExpressions[1]),
         {"-149999.333", "#6", "ok", "344", "ok"}},
        {"example_3",
         std::string(kExampleExpressions[2]),
         {"20019.1666666667", "#6", "ok", "#6", "#11"}},
        {"example_4",
         std::string(kExampleExpressions[3]),
         {"3548.417", "3548.417", "3548.417", "3548.417", "3548.417"}},
        {"block_divisor",
         "If (A>=0) Then 100/A Else A EndIf",
         {"1", "#11", "-2.5", "14.2857142857143", "#11"}},
        {"block_unreadable_condition", "If (H>1) Then 1 Else 2 EndIf", {"1", "#6", "#6", "1", "1"}},
        {"block_tiny_condition", "If (T=0) Then 1 Else 2 EndIf", {"2", "2", "2", "1", "2"}},
        {"block_branches_fail",
         "If (A>50) Then A/B ElseIf (A=0) Then 1/T Else B*H EndIf",
         {"0.5", "#6", "#6", "ok", "ok"}},
        {"sign_after_operator", "2*-3", {"#9", "#9", "#9", "#9", "#9"}},
        {"missing_endif", "If (A>1) Then 1 Else 2", {"#5", "#5", "#5", "#5", "#5"}},
        {"blank", "   ", {"#9", "#9", "#9", "#9", "#9"}},
        {"with_notes", "sqrt(A)+1", {"101", "1", "-1.5", "8", "1"}},
        {"with_notes_failing", "sqrt(A)+X", {"#9", "#9", "#9", "#9", "#9"}},
        {"non_ascii", "100/A+\xC3\xBC", {"1", "#11", "-40", "14.2857142857143", "#11"}},
        {"non_ascii_before_failure", "\xC3\xBC\xC3\xBC+A/B*2", {"1", "#6", "ok", "140", "-0"}},
        {"long_at_the_limit", edge, {"16490", "16390", "#6", "16397", "16390"}},
        {"long_at_the_limit_spaced", edgeSpaced, {"16490", "16390", "#6", "16397", "16390"}},
        {"long_tiny_values", Repeated("T", 96), {"48", "#6", "ok", "0", "ok"}},
        // The values' texts reach the limit just before H beyond a double is read.
        {"long_then_unreadable",
         "111+" + Repeated("1", 16226) + "+H",
         {"16340", "#6", "#6", "#6", "28682"}},
        {"long_then_division", bs + "+1/A", {"21600.01", "#11", "#6", "ok", "#6"}},
        {"division_then_long", "1/A+" + bs, {"21600.01", "#11", "#6", "ok", "#11"}},
        {"long_branch",
         "If (A=0) Then 1/A Else " + bs + " EndIf",
         {"21600", "#11", "#6", "ok", "#11"}},
        {"too_long_itself", Repeated("1", 16384), {"#6", "#6", "#6", "#6", "#6"}},
        // A variable is read as "(" and its value: one level more.
        {"nested_to_the_deepest",
         std::string(254, '(') + "A" + std::string(254, ')'),
         {"100", "0", "-2.5", "7", "0"}},
        // Values that no operator joins wait on the stack, one entry each.
        {"values_to_the_deepest", Repeated("A", 256, " "), {"100", "0", "-2.5", "7", "0"}},
        {"values_too_deep", Repeated("A", 257, " "), {"#9", "#9", "#9", "#9", "#9"}},
        {"nested_too_deep",
         std::string(255, '(') + "A" + std::string(255, ')'),
         {"#9", "#9", "#9", "#9", "#9"}},
    };
}

// Compiled against each table in turn, then evaluated over every table, there
// and back, with only the values changing between evaluations.
TEST(Formula, CompiledOnceGivesWhatTheTextGivesForEveryValue) {
    for (const CompiledRow& row : CompiledRows()) {
        for (std::size_t first = 0; first < kTables.size(); first += 2) {
            Exp exp;
            Store(exp, kTables[first]);
            const Formula formula = exp.Compile(row.text);
            EXPECT_EQ(formula.Text(), row.text);
            // A short formula evaluated as often as makes it into machine code,
            // when it can be: the rest of the evaluations run that. (A long one
            // is made into it within the evaluations below.)
            if (first == 2 && row.text.size() < 100) {
                for (std::uint32_t k = 0; k < detail::kStepsBeforeMachineCode; ++k) {
                    (void)formula.Evaluate(exp);
                }
            }
            for (std::size_t k = 0; k < 2 * kTables.size(); ++k) {
                const std::size_t t = k < kTables.size() ? k : 2 * kTables.size() - 1 - k;
                Store(exp, kTables[t]);
                const Outcome once = exp.Evaluate(row.text);
                EXPECT_TRUE(Same(formula.Evaluate(exp), once))
                    << row.name << ", compiled with table " << first << ", values of table " << t;
                EXPECT_TRUE(Expected(once, row.expected[t]))
                    << row.name << ", table " << t << ": " << Short(once) << ' '
                    << Explanation(once);
            }
        }
    }
}

struct Change {
    std::int16_t slot;
    std::string name;
    double value;
};

struct RenameRow {
    std::string name;
    std::string text;
    std::vector<Change> changes;  // made after compiling, in order
    std::string expected;
};

// Names changed after compiling: the outcome is the text's over the names
// stored now, and stays so while their values change.
TEST(Formula, NamesChangedAfterCompilingAreThoseRead) {
    const RenameRow rows[] = {
        {"slot_renamed", "A+B*2", {{1, "Q", 5}}, "2"},
        {"name_removed", "A+B*2", {{0, "", 0}}, "4"},
        {"slot_added", "X+A", {{5, "X", 10}}, "11"},
        {"lower_slot_takes_the_name", "B*2", {{0, "b", 7}}, "14"},
        {"names_swapped", "A-B", {{0, "B", 1}, {1, "A", 2}}, "1"},
        {"function_named", "Max(A,C)", {{3, "MAX", 9}}, "3"},
        {"added_in_a_block", "If (X>0) Then X Else A EndIf", {{4, "X", 5}}, "5"},
        {"renamed_and_back", "A+B", {{1, "Q", 0}, {1, "B", 20}}, "21"},
        {"case_changed", "a+b", {{0, "a", 4}}, "6"},
        {"added_makes_it_too_long", Repeated("X", 120), {{6, "X", 1e300}}, "#6"},
        {"added_divisor", "1/X+A", {{6, "X", 0}}, "#11"},
    };
    for (const RenameRow& row : rows) {
        Exp exp;
        Store(exp, {{"A", 1}, {"B", 2}, {"C", 3}});
        const Formula formula = exp.Compile(row.text);
        const std::vector<std::string> names = formula.Variables();
        const std::vector<Note> notes = formula.Notes();
        for (const Change& change : row.changes) {
            exp.SetVariable(change.slot, change.name, change.value);
        }
        const Outcome once = exp.Evaluate(row.text);
        EXPECT_TRUE(Same(formula.Evaluate(exp), once)) << row.name;
        EXPECT_EQ(Short(once), row.expected) << row.name;
        for (const double value : {0.0, -3.5, kHuge}) {
            exp.SetVariable(row.changes.back().slot, row.changes.back().name, value);
            EXPECT_TRUE(Same(formula.Evaluate(exp), exp.Evaluate(row.text)))
                << row.name << " with " << value;
        }
        EXPECT_EQ(formula.Variables(), names) << row.name;  // those of the names compiled with
        EXPECT_EQ(formula.Notes(), notes) << row.name;
    }
}

// One slot stored again and again, as a program that evaluates a formula many
// times stores it: after each store, the table and what formulas read from it
// are what one store of each slot's name and value gives. A copy of the Exp,
// and one moved from, store on their own.
TEST(Formula, StoringOneSlotAgainIsStoringItOnce) {
    const Change stores[] = {
        {0, "A", 5},
        {0, "A", 6},
        {0, "A", -0.0},
        {0, "A", 2.5},
        {0, "A", 7},
        {0, "A", 0.1 + 0.2},
        {0, "A", 7},
        {0, "A", kHuge},
        {0, "A", 8},
        {0, "B", 9},
        {0, "B", 10},
        {0, "A", 11},
        {0, "a", 12},
        {0, "a", 1e15},
        {0, "a", -13},
        {2, "C", 4},
        {0, "a", 14},
        {0, "a", kHuge},
        {0, "a", 17},
        {0, "aB", 18},
        {0, "aB", 19},
        {0, "a", 20},  // a name that starts the one held
        {1, "a", 15},
        {1, "a", 16},
        {1, "a", -0x1p31},
        {1, "a", 0x1p31},
        {1, "a", 3e9},
        {1, "a", -2147483647.5},
        {1, "a", 999999999999999},
        {1, "a", -3e9},
        {1, "a", 1e300},
        {1, "a", 0x1p31 - 1},
    };
    const std::string text = "A*B+C";
    Exp exp;
    Store(exp, {{"A", 1}, {"B", 2}, {"C", 3}});
    const Formula formula = exp.Compile(text);
    for (std::uint32_t k = 0; k < detail::kStepsBeforeMachineCode; ++k) {
        (void)formula.Evaluate(exp);  // made into machine code
    }
    for (const Change& change : stores) {
        const std::string what = change.name + " = " + NumberText(change.value);
        exp.SetVariable(change.slot, change.name, change.value);
        const VariableSlot& stored = exp.Variables()[static_cast<std::size_t>(change.slot)];
        EXPECT_EQ(stored.name, change.name) << what;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(stored.value),
                  std::bit_cast<std::uint64_t>(change.value))
            << what;
        Exp once;
        for (std::size_t k = 0; k < exp.Variables().size(); ++k) {
            const VariableSlot& slot = exp.Variables()[k];
            once.SetVariable(static_cast<std::int16_t>(k), slot.name, slot.value);
        }
        const Outcome expected = once.Evaluate(text);
        EXPECT_TRUE(Same(formula.Evaluate(exp), expected)) << what;
        EXPECT_TRUE(Same(exp.Evaluate(text), expected)) << what;
        EXPECT_TRUE(Same(exp.Evaluate("A/B"), once.Evaluate("A/B"))) << what;  // the sign of 0

        Exp copy = exp;
        copy.SetVariable(change.slot, change.name, 95);
        copy.SetVariable(change.slot, change.name, 99);
        Exp assigned;
        assigned.SetVariable(change.slot, change.name, 1);
        assigned.SetVariable(change.slot, change.name, 2);
        assigned = exp;
        assigned.SetVariable(change.slot, change.name, 97);
        Exp moved = std::move(copy);
        // A table moved from holds nothing, as one never stored to.
        EXPECT_TRUE(Same(formula.Evaluate(copy), Exp().Evaluate(text)))  // NOLINT
            << what;
        copy.SetVariable(change.slot, change.name, 98);  // NOLINT(bugprone-use-after-move)
        EXPECT_TRUE(Same(formula.Evaluate(exp), expected)) << what;
        EXPECT_EQ(moved.Variables()[static_cast<std::size_t>(change.slot)].value, 99) << what;
        EXPECT_EQ(copy.Variables()[static_cast<std::size_t>(change.slot)].value, 98) << what;
        EXPECT_EQ(assigned.Variables()[static_cast<std::size_t>(change.slot)].value, 97) << what;
        Exp moveAssigned;
        moveAssigned.SetVariable(0, "Z", 1);
        moveAssigned = std::move(moved);
        ASSERT_GT(moveAssigned.Variables().size(), static_cast<std::size_t>(change.slot)) << what;
        EXPECT_EQ(moveAssigned.Variables()[static_cast<std::size_t>(change.slot)].value, 99)
            << what;
        moveAssigned.SetVariable(change.slot, change.name, 96);
        EXPECT_TRUE(Same(formula.Evaluate(exp), expected)) << what;
    }
}

// The names version is compared as a 32-bit number when it is one that
// widens to itself, and as a 64-bit one otherwise.
TEST(MachineCode, RunsOnlyOnTheVersionItWasMadeFor) {
    if (!MachineCode::Supported()) {
        GTEST_SKIP() << "no machine code on this system";
    }
    struct Values {
        std::uint64_t version;
        double values[2];
    };
    constexpr std::uint64_t kHigh = std::uint64_t{1} << 32;
    for (const std::uint64_t version :
         {std::uint64_t{7}, std::uint64_t{0x7FFFFFFF}, std::uint64_t{0x80000000}, kHigh + 7}) {
        const MachineCode::Layout layout{offsetof(Values, version), version, 0,
                                         offsetof(Values, values)};
        const std::pmr::vector<double> constants{0.0, 2.0};
        MachineCode::Writer writer(layout, constants);
        writer.Begin(0, 0);
        writer.Load(0, MachineCode::Base::Values, 1);
        writer.Apply(MachineCode::Op::Plus, 0, MachineCode::Base::Constants, 1);
        writer.End(false);
        const auto code = MachineCode::Load(writer);
        ASSERT_NE(code, nullptr);
        const Values made{version, {0, 3}};
        EXPECT_EQ(code->Function()(&made), 5) << version;
        for (const std::uint64_t other : {version ^ 1, version ^ kHigh, version ^ (kHigh << 31)}) {
            const Values changed{other, {0, 3}};
            EXPECT_TRUE(std::isnan(code->Function()(&changed))) << version << " against " << other;
        }
    }
}

// A check that fails jumps back to the function's failure, with a short
// jump while it reaches and a long one beyond: from every length of code
// around that edge, the check must land there.
TEST(MachineCode, AFailedCheckReturnsFromAnyLengthOfCode) {
    if (!MachineCode::Supported()) {
        GTEST_SKIP() << "no machine code on this system";
    }
    struct Values {
        std::uint64_t version;
        double values[2];
    };
    const MachineCode::Layout layout{offsetof(Values, version), 1, 0, offsetof(Values, values)};
    const std::pmr::vector<double> constants{0.0, 2.0};
    for (int products = 0; products < 24; ++products) {
        for (int moves = 0; moves < 3; ++moves) {
            MachineCode::Writer writer(layout, constants);
            writer.Begin(0, 0);
            writer.Load(0, MachineCode::Base::Values, 1);
            for (int k = 0; k < products; ++k) {
                writer.Apply(MachineCode::Op::Times, 0, MachineCode::Base::Constants, 1);
            }
            for (int k = 0; k < moves; ++k) {
                writer.Move(1, 0);
            }
            writer.End(true);
            const auto code = MachineCode::Load(writer);
            ASSERT_NE(code, nullptr);
            const Values finite{1, {0, 3}};
            EXPECT_EQ(code->Function()(&finite), std::ldexp(3.0, products))
                << products << " products, " << moves << " moves";
            const Values huge{1, {0, 1e308}};
            EXPECT_EQ(std::isnan(code->Function()(&huge)), products > 0)
                << products << " products, " << moves << " moves";
        }
    }
}

struct RouteRow {
    std::string text;
    bool fast;        // its arithmetic has a fast program,
    bool watchFlags;  // which reads the processor's flags,
    bool machine;     // or which becomes machine code,
    bool caller;      // or which the caller works out itself
};

// Which fast route a formula takes, and that its fast program tells the
// value over the values stored. A route lost costs only time, which no
// outcome shows.
TEST(Formula, TakesTheFastRoutesItCan) {
    const std::string e300 = "1" + std::string(300, '0');
    const RouteRow rows[] = {
        {"A+1", true, false, false, true},
        {"5/B", true, false, false, true},
        {"C-D", true, false, false, true},
        {"2*E", true, false, false, true},
        {"E", true, false, false, true},
        {"7", true, false, false, true},
        {"A B", true, false, true, false},  // A must still read back
        {"A*B+B/C-D+(E-3.25)*2", true, false, true, false},
        {"A/(B-2.5)", true, false, true, false},  // the divisor stays within the range
        {"A/(B*B)", true, true, false, false},    // B*B may overflow, and the division hide it
        {"Max(E,300)/B", true, false, false, false},
        {"Min(A*A,5)", true, true, false, false},
        // The sum stays within the range; times 10^300 it need not.
        {"Min((A/4+A/4)*" + e300 + ",5)", true, true, false, false},
        {"Min((A/4+A/4)/" + e300 + ",5)", true, false, false, false},
        {"Round(B/3,0)+Round(B/3,2)", true, true, false, false},
        {"Ceil(C/2)*Floor(C/2)-Exp(D,3)", true, false, false, false},
    };
    Exp exp;
    Store(exp, {{"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}, {"E", 5}});
    for (const RouteRow& row : rows) {
        const VariableLookup names(exp.Variables(), exp.GetTextOrder());
        const detail::CompiledFormula compiled(row.text, exp.Variables(), names,
                                               std::pmr::get_default_resource(), true);
        ASSERT_EQ(compiled.arithmetic.size(), 1U) << row.text;
        const FastProgram& fast = compiled.arithmetic.front().fast;
        EXPECT_EQ(fast.usable, row.fast) << row.text;
        EXPECT_EQ(fast.watchFlags, row.watchFlags) << row.text;
        EXPECT_EQ(compiled.machinable, row.machine && MachineCode::Supported()) << row.text;
        const VariableValues& stored = StoredValues(exp.Variables());
        const double value = exp.Evaluate(row.text).value;
        EXPECT_EQ(fast.Run({stored.readValues.data(), stored.unreadable}), value) << row.text;
        const detail::ShortArithmetic& caller = compiled.shortArithmetic;
        ASSERT_EQ(caller.op != detail::ShortArithmetic::Op::None, row.caller) << row.text;
        if (row.caller) {
            double z = 0;
            EXPECT_TRUE(caller.Run(&stored, z)) << row.text;
            EXPECT_EQ(z, value) << row.text;
        } else if (compiled.machinable) {
            // Made at the evaluation that pays for it, not before.
            std::uint32_t early = 0;
            for (std::uint32_t k = 1; k < compiled.machineAfter; ++k) {
                early += compiled.Machine() != nullptr ? 1 : 0;
            }
            EXPECT_EQ(early, 0U) << row.text;
            const MachineCode::Entry made = compiled.Machine();
            ASSERT_NE(made, nullptr) << row.text;
            EXPECT_EQ(made(&stored), value) << row.text;
        }
    }
}

TEST(Formula, IsAValueThatOutlivesItsExp) {
    const std::string text = "A*B+Ceil(B/A)";
    Exp later;  // the same names, stored anew: the formula is compiled again
    Store(later, {{"A", 3}, {"B", 10}});
    Exp copied;  // a copy of the Exp compiled with: its program is used
    Formula kept;
    Formula moved;
    {
        Exp exp;
        Store(exp, {{"A", 3}, {"B", 10}});
        const Formula compiled = exp.Compile(text);
        copied = exp;
        kept = compiled;
        Formula copy(compiled);
        moved = std::move(copy);
        // The moved-from formula stays usable: its own formula or the empty one.
        const Outcome left = copy.Evaluate(exp);  // NOLINT(bugprone-use-after-move)
        EXPECT_TRUE(left.value == 34 || left.failure == failure::kSubscriptOutOfRange);
    }
    Formula constructed(std::move(kept));
    for (const Formula* f : {&moved, &constructed}) {
        EXPECT_EQ(f->Text(), text);
        for (Exp* exp : {&later, &copied}) {
            EXPECT_EQ(f->Evaluate(*exp).value, 34);
            exp->SetVariable(1, "B", 11);
            EXPECT_EQ(f->Evaluate(*exp).value, 37);
            exp->SetVariable(1, "B", 10);
        }
    }

    const Formula empty;
    const Outcome none = empty.Evaluate(later);
    EXPECT_EQ(none.failure, failure::kSubscriptOutOfRange);
    EXPECT_EQ(none.cause, Cause::EmptyFormula);
    EXPECT_TRUE(Same(none, later.Evaluate("")));
    EXPECT_TRUE(empty.Notes().empty());
    EXPECT_TRUE(empty.Variables().empty());
    moved = empty;
    EXPECT_EQ(moved.Evaluate(later).failure, failure::kSubscriptOutOfRange);
}

// One Formula evaluated from several threads at once: each with its own Exp
// whose values keep changing, and all with one shared Exp, with the names
// compiled with or with others.
TEST(Formula, EvaluatesFromSeveralThreadsAtOnce) {
    const std::vector<CompiledRow> rows = CompiledRows();
    Exp compiledWith;
    Store(compiledWith, kTables[0]);
    std::vector<Formula> formulas;
    for (const CompiledRow& row : rows) {
        formulas.push_back(compiledWith.Compile(row.text));
    }
    Exp otherNames;
    Store(otherNames, {{"B", 2}, {"A", 0.5}, {"T", kTiny}});
    std::vector<std::array<Outcome, 2>> shared;
    for (const CompiledRow& row : rows) {
        shared.push_back({compiledWith.Evaluate(row.text), otherNames.Evaluate(row.text)});
    }
    std::atomic<int> differences{0};
    std::vector<std::thread> threads;
    for (std::size_t n = 0; n < 4; ++n) {
        threads.emplace_back([&, n] {
            // The first names a thread stores are told from a table that holds none.
            Exp fresh;
            const Formula before = fresh.Compile("X+1");
            fresh.SetVariable(0, "X", 5);
            differences += !Same(before.Evaluate(fresh), fresh.Evaluate("X+1"));
            Exp own = compiledWith;
            // The threads reach the count at which machine code is made together.
            for (std::uint32_t k = 0; k < detail::kStepsBeforeMachineCode / 8; ++k) {
                for (const Formula& f : formulas) {
                    (void)f.Evaluate(own);
                }
            }
            for (std::size_t round = 0; round < 3; ++round) {
                Store(own, kTables[(n + round) % kTables.size()]);
                for (std::size_t r = 0; r < rows.size(); ++r) {
                    const Formula& f = formulas[r];
                    differences += !Same(f.Evaluate(own), own.Evaluate(rows[r].text));
                    differences += !Same(f.Evaluate(compiledWith), shared[r][0]);
                    differences += !Same(f.Evaluate(otherNames), shared[r][1]);
                    differences += !Same(f.TraceEvaluation(compiledWith).outcome, shared[r][0]);
                }
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(differences.load(), 0);
}

// An evaluation that reads the processor's floating-point flags leaves those
// the caller had raised as they were.
TEST(Formula, KeepsTheCallersFloatingPointFlags) {
    Exp exp;
    test::SetStartupVariables(exp);
    const Formula formula = exp.Compile("Max(A,B)*2");  // Max makes it read the flags
    for (const int flag : {FE_OVERFLOW, FE_DIVBYZERO, FE_INVALID}) {
        std::feclearexcept(FE_ALL_EXCEPT);
        std::feraiseexcept(flag);
        EXPECT_EQ(formula.Evaluate(exp).value, 400) << flag;
        EXPECT_NE(std::fetestexcept(flag), 0) << flag;
    }
    // Nor does storing a value, inline or not, or making a formula into
    // machine code raise any.
    std::feclearexcept(FE_ALL_EXCEPT);
    for (const double value : {1.0, 2.0, 3e9, -3e9, 1e300, 2.5, 4.0}) {
        exp.SetVariable(0, "A", value);
    }
    EXPECT_EQ(std::fetestexcept(FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID), 0);
    exp.SetVariable(0, "A", 100);
    for (const std::string text : {"A+B+C", "A*B*C", "A*1.5", "A-B/0.75", "Max(A,B)*2"}) {
        const Formula made = exp.Compile(text);
        std::feclearexcept(FE_ALL_EXCEPT);
        for (std::uint32_t k = 0; k < detail::kStepsBeforeMachineCode; ++k) {
            (void)made.Evaluate(exp);
        }
        EXPECT_EQ(std::fetestexcept(FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID), 0) << text;
    }
    // Nor does a formula of one division by zero, which fails (with 6 for
    // zero by zero) before it divides.
    exp.SetVariable(1, "B", 0);
    for (const std::string text : {"A/B", "A/0", "B/0", "0/B"}) {
        std::feclearexcept(FE_ALL_EXCEPT);
        EXPECT_NE(exp.Compile(text).Evaluate(exp).failure, failure::kNone) << text;
        EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID), 0) << text;
    }
    std::feclearexcept(FE_ALL_EXCEPT);
}

// A compilation never reads what the one before left in the working memory
// of the thread: the formula compiles as its text alone says.
TEST(Formula, CompilesAlikeAfterAnyOtherFormula) {
    const struct {
        const char* before;
        const char* text;
    } rows[] = {
        // A reduction reads its three entries of the parse stack, not a fourth.
        {"If ((<A<) Then 1 Else 2 EndIf", "If (A)&>) Then 1 Else 2 EndIf"},
    };
    Exp exp;
    test::SetStartupVariables(exp);
    for (const auto& row : rows) {
        (void)exp.Compile(row.before);
        EXPECT_TRUE(Same(exp.Compile(row.text).Evaluate(exp), exp.Evaluate(row.text)))
            << row.before << " then " << row.text;
    }
}

// A note written "kind@begin-end".
std::string NotesText(const Formula& formula) {
    static const char* const kKinds[] = {"word", "char", "open",    "close",  "arg",   "after",
                                         "if",   "cond", "invalid", "joined", "unused"};
    std::string text;
    for (const Note& note : formula.Notes()) {
        EXPECT_FALSE(note.message.empty()) << formula.Text();
        text += (text.empty() ? "" : " ") + std::string(kKinds[static_cast<int>(note.kind)]) + '@' +
                std::to_string(note.begin) + '-' + std::to_string(note.end);
    }
    return text;
}

struct NoteRow {
    std::string text;
    std::string notes;
    std::string outcome;
};

// Each note against its text, and the outcome the note leaves unchanged.
void ExpectNotes(std::initializer_list<NoteRow> rows) {
    Exp exp;
    test::SetStartupVariables(exp);
    for (const NoteRow& row : rows) {
        const Formula formula = exp.Compile(row.text);
        EXPECT_EQ(NotesText(formula), row.notes) << test::RowName(row.text);
        const Outcome once = exp.Evaluate(row.text);
        EXPECT_TRUE(Same(formula.Evaluate(exp), once)) << test::RowName(row.text);
        EXPECT_EQ(Short(once), row.outcome) << test::RowName(row.text);
    }
}

TEST(Formula, NotesMarkWhatTheRulesSkipped) {
    ExpectNotes({
        {"X+5", "word@0-1", "5"},
        {"  X+5", "word@2-3", "5"},
        {"5+X", "word@2-3", "5"},
        {"2^3", "unused@0-1 char@1-2", "3"},
        {"2''3", "unused@0-1 char@1-3", "3"},
        // Values apart only by skipped characters are one stretch.
        {"1^2^3", "unused@0-3 char@1-2 char@3-4", "3"},
        // An overlong lead byte starts no character: each byte stands alone.
        {"1\xC1\x80\x80\x80+1", "char@1-5", "2"},
        {"X^2", "word@0-1 char@1-2", "2"},
        // A control byte is skipped like any other, even the one that marks a
        // variable inside the engine; a character of three bytes is one.
        {"1 + \x01 B", "char@4-5", "201"},
        {"2*\xE0\xA0\x80"
         "3",
         "char@2-3", "6"},
        {"sqrt(4)", "word@0-4", "4"},
        {"Abs(-4)", "word@0-3", "-4"},
        {"1e5", "word@1-3", "0"},
        {"(1+2", "open@0-1", "3"},
        {"((1+2", "open@0-1 open@1-2", "3"},
        {"Max(1,2,3)", "arg@0-3", "3"},
        {"Ceil(1,2)", "arg@0-4", "2"},
        {"Max(1,2,3)+4", "arg@0-3 unused@0-11", "4"},
        {"E1+2*3)", "word@0-2 close@6-7", "7"},
        {"  \xC4\xB1\xC4\xB1(1+2", "word@2-4 open@4-5", "3"},
        {"1 000", "joined@1-2", "1000"},
        {"1 2 3", "joined@1-2 joined@3-4", "123"},
        {"If (A>1) Then 1 000 Else 2 EndIf", "joined@15-16", "1000"},
        {"\r\nIf (A>1) Then 1 Else 2 EndIf", "if@2-4", "0"},
        {"1+If (A>1) Then 1 Else 2 EndIf", "if@2-4", "0"},
        {"(If (A>1) Then 1 Else 2 EndIf", "if@1-3", "0"},
        {"If (A>1) Then 1 Else 2 EndIf xyz", "after@28-32", "1"},
        {"A+\xC3\xBC+1", "char@2-3", "#9"},
        {"X+\xC3\xBC\xC3\xBC"
         "1",
         "word@0-1 char@2-4", "1"},
        {"If (A>1) Then\r\n  X+1\r\nElse\r\n  2\r\nEndIf", "word@17-18", "1"},
        // A branch of white space alone is empty: nothing in it is skipped.
        {"If (A>1) Then\nElse 2 EndIf", "", "#9"},
        // Only the value on top of the operand stack is the result.
        {"A 5", "unused@0-1", "5"},
        {"(1)(2)", "unused@0-3", "2"},
        {"(1-2) A", "unused@0-5", "100"},
        {"((1)) ((2))", "unused@0-5", "2"},
        {"A 5*2", "unused@0-4", "2"},
        {"A 5*2+1", "unused@0-6", "1"},
        {"A B 5+", "unused@0-3 unused@5-6", "5"},
        {"A*(B C)", "unused@0-2 unused@3-4", "300"},
        {"Max(1,2)(3)", "unused@0-8", "3"},
        {"Ceil(2.5) 7", "unused@0-9", "7"},
        {"A 1 000", "unused@0-1 joined@3-4", "1000"},
        {"1/0 A", "unused@0-3", "#11"},
        {"If (A>1) Then A 5 Else 2 EndIf", "unused@14-15", "5"},
        {"If (A>1) Then X Else Y EndIf", "word@14-15 word@21-22", "#9"},
        // Every character counts.
        {std::string(kExampleExpressions[0]), "", "3940"},
        {std::string(kExampleExpressions[1]), "", "-149999.333"},
        {std::string(kExampleExpressions[2]), "", "20019.1666666667"},
        {std::string(kExampleExpressions[3]), "", "3548.417"},
        {"Max(4,9)*2", "", "18"},
        {"2 Ceil B", "unused@0-1", "200"},
        {"Max(1,2)Ceil A", "unused@0-8", "100"},
        {"A 5+2*", "", "110"},
        {"A 5 +", "", "105"},
        {"If", "", "#5"},
        {"Max(0,0*(-1))", "", "0"},
        {"Max(0*(-1),0)", "", "-0"},
        {"If (A>1) Then A Else B EndIf", "", "100"},
        {"If (A>1 & B<=C) Then\r\n  A\r\nElseIf (D=4) Then B\r\nElse C\r\nEndIf", "", "100"},
        {"  A + B\t", "", "300"},
        {"", "", "#9"},
    });
}

// A ")" or "," that closes nothing is passed over; a condition false from
// its text alone says why.
TEST(Formula, NotesMarkSkippedClosesAndConditions) {
    ExpectNotes({
        {"2)", "close@1-2", "2"},
        {"(1+2))", "close@5-6", "3"},
        {"1-2*3)", "close@5-6", "-5"},
        {"(1-2*3)", "", "-5"},
        {"((1-2*3))", "", "-5"},
        {",1", "close@0-1", "1"},
        {"If (Q>1) Then 1 Else 2 EndIf", "cond@4-5", "2"},
        {"If (A>1 @) Then 1 Else 2 EndIf", "invalid@8-9", "2"},
    });
}

// A name beyond ASCII is matched by its upper case, which can be ASCII; an
// engine that never stored a variable reads every slot as empty.
TEST(Formula, ANameIsMatchedByItsUpperCase) {
    Exp exp;
    EXPECT_EQ(exp.Variables()[0].name, "");
    exp.SetVariable(1, "\xC4\xB1", 7);  // dotless i, whose upper case is I
    EXPECT_EQ(exp.Evaluate("I+1").value, 8);
    EXPECT_EQ(exp.Compile("i+1").Evaluate(exp).value, 8);
    // A name of one character that is no letter has no other case.
    exp.SetVariable(0, "!", 9);
    exp.SetVariable(2, "A", 3);
    for (const char* text : {"A+1", "a+1", "If (A=3) Then 4 Else 0 EndIf"}) {
        EXPECT_EQ(exp.Evaluate(text).value, 4) << text;
        EXPECT_EQ(exp.Compile(text).Evaluate(exp).value, 4) << text;
    }
}

// A note's sentence names what it is about, as the user wrote it.
TEST(Formula, ANoteNamesWhatItIsAbout) {
    const struct {
        const char* text;
        const char* message;
    } rows[] = {
        {"Max(1,2,3)", "Max has one argument too many: the first takes no part"},
        {"Max(1,2,3,4)", "Max has 2 arguments too many: the first 2 take no part"},
        {"a b 5", "\"a b\" takes no part: no operator joins it to the result"},
        // U+0080, the first character written in two bytes, upper-cased.
        {"1\xC2\x80+1", "\"\xC2\x80\" is not used in arithmetic and is skipped"},
        // A byte that starts no UTF-8 character stands alone.
        {"1\x80+1", "\"\x80\" is not used in arithmetic and is skipped"},
    };
    Exp exp;
    test::SetStartupVariables(exp);
    for (const auto& row : rows) {
        const std::vector<Note> notes = exp.Compile(row.text).Notes();
        ASSERT_EQ(notes.size(), 1U) << row.text;
        EXPECT_EQ(notes[0].message, row.message) << row.text;
    }
}

TEST(Formula, EveryNoteKindHasASentence) {
    // A formula keeps its first thousand notes.
    EXPECT_EQ(Exp().Compile(Repeated("2%", 1001)).Notes().size(), 1000U);
    std::vector<std::string_view> seen;
    for (int k = 0; k <= static_cast<int>(NoteKind::UnusedValue); ++k) {
        const std::string_view text = NoteText(static_cast<NoteKind>(k));
        EXPECT_FALSE(text.empty()) << k;
        EXPECT_NE(text.back(), '.') << k;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), text), 0) << k;
        seen.push_back(text);
    }
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ",") + name;
    }
    return text;
}

void ExpectVariables(std::initializer_list<test::Row> rows) {
    Exp exp;
    Store(exp, {{"A", 1}, {"b", 2}, {"A_1", 3}, {"x9", 4}, {"Zed", 5}});
    test::ExpectRows(
        rows, [&](const std::string& text) { return Joined(exp.Compile(text).Variables()); });
}

TEST(Formula, VariablesAreTheNamesReadOnceEachInOrder) {
    using test::Row;
    ExpectVariables({
        Row{"B+a*b+A", "B,A"},
        Row{"a_1+X9+zed", "A_1,X9,ZED"},
        Row{"X+A+AB+A1+BA", "A"},
        Row{"A + b", "A,B"},
        Row{"\xC3\xBC+b+A", "B,A"},
        Row{"Max(A,Zed)*Zed", "A,ZED"},
        Row{"If (1>0) Then B Else Zed+B EndIf", "B,ZED"},
        Row{"2+3", ""},
    });
}

TEST(Formula, VariablesIncludeThoseOfConditions) {
    using test::Row;
    ExpectVariables({
        Row{"If (A>1) Then B Else A_1 EndIf", "A,B,A_1"},
        Row{"If (Zed=1) Then 1 ElseIf (b>A) Then A Else 2 EndIf", "ZED,B,A"},
    });
}

// A trace written "c:begin-end:verdict ... | branch begin-end".
std::string TraceText(const Trace& trace) {
    std::string text = trace.isBlock ? "block" : "arithmetic";
    for (const ConditionTrace& c : trace.conditions) {
        text += ' ' + std::to_string(c.begin) + '-' + std::to_string(c.end) + ':' +
                "TFXN"[static_cast<int>(c.verdict)];
    }
    if (trace.branchChosen) {
        text += " | " + std::to_string(trace.branchBegin) + '-' + std::to_string(trace.branchEnd);
    }
    return text;
}

TEST(Formula, TraceTellsEachConditionAndTheBranch) {
    const std::string three = "If (A>1) Then 10 ElseIf (A<0) Then 20 Else 30 EndIf";
    const struct {
        std::string text;
        double a;
        std::string trace;
    } rows[] = {
        {three, 5, "block 2-9:T 23-30:N | 14-16"},
        {three, -1, "block 2-9:F 23-30:T | 35-37"},
        {three, 0, "block 2-9:F 23-30:F | 43-45"},
        {"If (A>1/0) Then 1 ElseIf (A>2) Then 2 Else 3 EndIf", 5, "block 2-11:X 24-31:N"},
        {"If (A>9) Then 1 ElseIf (H>1) Then 2 Else 3 EndIf", 5, "block 2-9:F 22-29:X"},
        {"If (A>1) Then 1/0 Else 2 EndIf", 5, "block 2-9:T | 14-17"},
        {"If (A>1) Then\t 7 \r\n Else 2 EndIf", 5, "block 2-9:T | 15-16"},
        {"If (A>1) Then \r\n Else 2 EndIf", 5, "block 2-9:T | 17-17"},  // blanks alone
        {"  If (\"\xC3\xBC\"=\"\xC3\x9C\") Then 1 Else 2 EndIf", 5, "block 4-15:T | 20-21"},
        {std::string(kExampleExpressions[1]), 100, "block 2-14:T | 28-55"},
        {"If (A>1) Then 1 Else 2", 5, "block"},
        {"1+2", 5, "arithmetic"},
    };
    for (const auto& row : rows) {
        Exp exp;
        Store(exp, {{"A", row.a}, {"B", 200}, {"C", 300}, {"D", 400}, {"H", kHuge}});
        const Formula formula = exp.Compile(row.text);
        const Trace trace = formula.TraceEvaluation(exp);
        EXPECT_EQ(TraceText(trace), row.trace) << test::RowName(row.text) << " A=" << row.a;
        EXPECT_TRUE(Same(trace.outcome, exp.Evaluate(row.text))) << test::RowName(row.text);
        EXPECT_TRUE(Same(trace.outcome, formula.Evaluate(exp))) << test::RowName(row.text);
        Exp others;  // the same names stored anew: the formula is compiled again
        Store(others, {{"A", row.a}, {"B", 200}, {"C", 300}, {"D", 400}, {"H", kHuge}});
        EXPECT_EQ(TraceText(formula.TraceEvaluation(others)), row.trace) << test::RowName(row.text);
    }
}

}  // namespace
}  // namespace vornel
