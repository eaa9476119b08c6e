// The window's behaviour through its model: evaluation and the result line,
// the keypad, examples and clipboard commands, undo, the variables, the
// history, expression files and help, each driven as the view would.
#include <algorithm>
#include <fstream>
#include <iterator>

#include "FakePort.h"

namespace vornel::test {

namespace {

const std::map<std::string, void (MainModel::*)()> kCommands = {
    {"Button_result", &MainModel::Button_result_Click},
    {"Clear", &MainModel::Button_ClearFormula_Click},
    {"Close", &MainModel::Button_Close_Click},
    {"Cut", &MainModel::MenuEdit_Cut_Click},
    {"Copy", &MainModel::MenuEdit_Copy_Click},
    {"Paste", &MainModel::MenuEdit_Paste_Click},
    {"Delete", &MainModel::MenuEdit_Delete_Click},
    {"Undo", &MainModel::MenuEdit_Undo_Click},
    {"Redo", &MainModel::MenuEdit_Redo_Click},
    {"Explain", &MainModel::ExplainIfBlock},
    {"ClearHistory", &MainModel::MenuHistory_Clear_Click},
    {"Add", &MainModel::Command2_Click},
    {"EditValue", &MainModel::EditValue},
    {"Rename", &MainModel::RenameVariable},
    {"Remove", &MainModel::RemoveVariable},
    {"Open", &MainModel::FileOpenProc},
    {"Save", &MainModel::MenuFile_Save_Click},
    {"Help", &MainModel::MenuHelp_Help_Click},
    {"About", &MainModel::MenuHelp_about_Click},
    {"Unload", &MainModel::Form_Unload},
};

const std::map<std::string, Control> kControls = {
    {"Formula", Control::Formula}, {"Result", Control::Result},   {"Names", Control::Names},
    {"Values", Control::Values},   {"History", Control::History}, {"Other", Control::Other},
};

std::string MarkName(MarkKind kind) {
    return kind == MarkKind::Failure ? "failure" : kind == MarkKind::Note ? "note" : "branch";
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<cannot read>";
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

// "%d" in a step stands for the test's own folder.
void ModelTest::Play(const std::vector<std::string>& steps) {
    for (std::string step : steps) {
        for (std::size_t at; (at = step.find("%d")) != std::string::npos;) {
            step.replace(at, 2, folder.string());
        }
        const std::size_t equals = step.find(" = ");
        const std::string verb = step.substr(0, step.find(' '));
        const std::string rest =
            step.find(' ') == std::string::npos ? "" : step.substr(verb.size() + 1);
        if (equals == std::string::npos) {
            Act(verb, rest);
        } else {
            const std::string arg = step.substr(0, equals).substr(
                std::min(step.substr(0, equals).size(), verb.size() + 1));
            ASSERT_EQ(Probe(verb, arg), step.substr(equals + 3)) << step;
        }
    }
}

void ModelTest::Act(const std::string& verb, const std::string& arg) {
    const int n = std::atoi(arg.substr(arg.rfind(' ') + 1).c_str());
    const std::string list = arg.substr(0, arg.find(' '));
    const std::map<std::string, std::function<void()>> actions = {
        {"formula", [&] { SetMarked(port.formula, arg); }},
        {"result", [&] { SetMarked(port.result, arg); }},
        {"type",  // as the view's box reports a typed text
         [&] { port.ReplaceInBox(Box::Formula, port.formula.selection, arg); }},
        {"focus", [&] { port.focused = kControls.at(arg); }},
        {"num", [&] { model.Button_Num_Click(n); }},
        {"example", [&] { model.Combo1_Click(n); }},
        {"click", [&] { list == "List3" ? model.List3_Click(n) : model.List_Var_Click(n); }},
        {"dclick", [&] { list == "List3" ? model.List3_DblClick(n) : model.List_Var_DblClick(n); }},
        {"run", [&] { (model.*kCommands.at(arg))(); }},
        {"answer", [&] { port.answers.push_back(arg); }},
        {"cancel", [&] { port.answers.push_back(std::nullopt); }},
        {"yes", [&] { port.yes.push_back(true); }},
        {"no", [&] { port.yes.push_back(false); }},
        {"add",  // N variables as the dialog offers them
         [&] {
             for (int i = 0; i < n; ++i) {
                 port.answers.push_back("=");
                 model.Command2_Click();
             }
         }},
        {"clipboard", [&] { port.clipboard = arg; }},
        {"locale",
         [&] {
             port.format = arg == "de" ? NumberFormat{".", ","} : NumberFormat{};
         }},
        {"fire",  // the typing pause runs out
         [&] {
             ASSERT_TRUE(port.timer.has_value());
             port.timer.reset();
             model.TimerElapsed();
         }},
        {"up", [&] { model.FormulaKeyUp(); }},
        {"down", [&] { model.FormulaKeyDown(); }},
        {"history", [&] { model.History_Activate(std::size_t(n), false); }},
        {"valueof", [&] { model.History_Activate(std::size_t(n), true); }},
        {"line", [&] { model.ResultLineClicked(std::size_t(n)); }},
        {"file",  // NAME BYTES
         [&] { WriteBytes(folder / list, arg.substr(list.size() + 1)); }},
        {"restart", [&] { model.Form_Load(); }},  // as a new run over the same data
    };
    ASSERT_TRUE(actions.contains(verb)) << "no action " << verb;
    actions.at(verb)();
}

std::string ModelTest::Probe(const std::string& verb, const std::string& arg) {
    const int n = std::atoi(arg.c_str());
    const auto rows = [this](bool names) {
        std::vector<std::string> texts;
        for (std::size_t i = kFirstVariableRow; i < model.VariableRows().size(); ++i) {
            const VariableRow& row = model.VariableRows()[i];
            texts.emplace_back(text::Trimmed(names ? row.name : row.value));
        }
        return Join(texts, " ");
    };
    const std::map<std::string, std::function<std::string()>> probes = {
        {"formula", [&] { return Marked(port.formula); }},
        {"result", [&] { return arg == "box" ? Marked(port.result) : port.result.text; }},
        {"clipboard", [&] { return port.clipboard; }},
        {"boxes", [&] { return Join(port.Take(port.messages), " / "); }},
        {"calls", [&] { return Join(port.Take(port.calls), " / "); }},
        {"row",
         [&] {
             const VariableRow& row = model.VariableRows().at(std::size_t(n));
             return row.name + "|" + row.value;
         }},
        {"names", [&] { return rows(true); }},
        {"values", [&] { return rows(false); }},
        {"current", [&] { return std::to_string(model.SelectedVariableRow()); }},
        {"eval",  // FORMULA by "="
         [&] {
             port.formula.text = arg;
             model.Button_result_Click();
             return port.result.text;
         }},
        {"line",
         [&] {
             std::vector<std::string> texts;
             for (const LineMessage& message : model.ResultLine()) {
                 texts.push_back(message.text);
             }
             return Join(texts, " / ");
         }},
        {"marks",
         [&] {
             std::vector<std::string> marks;
             for (const Mark& mark : model.Marks()) {
                 marks.push_back(MarkName(mark.kind) + " " +
                                 std::string(text::Slice(port.formula.text, mark.shown)));
             }
             return Join(marks, " / ");
         }},
        {"history",
         [&] {
             std::vector<std::string> texts;
             for (std::size_t i = 0; i < model.History().size(); ++i) {
                 texts.push_back(model.HistoryRowText(i));
             }
             return Join(texts, " / ");
         }},
        {"timer",
         [&] { return port.timer ? std::to_string(port.timer->count()) + " ms" : "stopped"; }},
        {"focused",
         [&] {
             for (const auto& [name, control] : kControls) {
                 if (control == port.focused) {
                     return name;
                 }
             }
             return std::string("?");
         }},
        {"closed", [&] { return std::string(port.closed ? "yes" : "no"); }},
        {"bytes", [&] { return ReadBytes(folder / arg); }},  // of a file
        // Whether Up or Down was taken by the history or left to the box.
        {"up", [&] { return std::string(model.FormulaKeyUp() ? "taken" : "left"); }},
        {"down", [&] { return std::string(model.FormulaKeyDown() ? "taken" : "left"); }},
    };
    if (!probes.contains(verb)) {
        ADD_FAILURE() << "no probe " << verb;
        return {};
    }
    return probes.at(verb)();
}

namespace {

const std::string kNineBox = "boxes = Invalid Expression! | Error Number-9 | exclamation";
const std::string kRefusedValue = "refused: The inputed value is not number.";

// A new file takes the system's encoding and line ends: on Windows the ANSI
// code page (1252 under Wine) and CR LF, elsewhere UTF-8 and LF.
#ifdef _WIN32
#define VORNEL_NEW_FILE_BYTES "If (A>1) Then\r\n\tcaf\xe9\r\nEndIf"
#else
#define VORNEL_NEW_FILE_BYTES "If (A>1) Then\n\tcaf\u00e9\nEndIf"
#endif

const Scenario kScenarios[] = {
    // Start-up: example 1 whole selected, ready to be typed over.
    {"start",
     {"formula = [" + std::string(*ExampleExpression(0)) + "]", "focused = Formula",
      "names = A B C D E", "values = 100.00 200.00 300.00 400.00 500.00",
      "result = ", "current = -1"}},
    // The keypad inserts at the caret, over the selection.
    {"+ between digits", {"formula 1[]2", "num 12", "formula = 1+ []2"}},
    {"Or over a selection", {"formula A[*]B", "num 26", "formula = A| []B"}},
    {"Enter splits a line", {"formula A[]B", "num 38", "formula = A\r\n[]B"}},
    {"And, Space, 00, point, Max; no member 37",
     {"formula []", "num 27", "num 28", "num 10", "num 11", "num 37", "num 32",
      "formula = &  00.Max []"}},
    // A double-click on a name inserts it, and the focus goes back to the formula.
    {"name at the caret",
     {"focus Names", "formula A+[]", "dclick List_Var 3", "formula = A+B[]", "focused = Formula",
      "dclick List_Var 0", "dclick List_Var 1", "dclick List_Var 9", "formula = A+B[]"}},
    // Examples, Clear and the keypad replace text as steps undo takes back.
    {"examples, clear and undo",
     {"formula [old]",
      "result 7",
      "example 2",
      "formula = A*B+B/C-D+Max(E,300)/B+Ceil(5000/A*3.2)+Exp(2,8)[]",
      "example -1",
      "example 4",
      "result = 7",
      "run Undo",
      "formula = [old]",
      "run Redo",
      "run Clear",
      "formula = []",
      "result = 0",
      "run Undo",
      "formula = A*B+B/C-D+Max(E,300)/B+Ceil(5000/A*3.2)+Exp(2,8)[]",
      "formula 1[]",
      "num 12",
      "focus Result",
      "run Undo",
      "formula = 1+ []",
      "focus Formula",
      "run Undo",
      "formula = 1[]"}},
    // Delete works forward in the formula, a CR LF as a whole; elsewhere nothing.
    {"Delete",
     {"focus Formula", "formula 12[]", "run Delete", "formula = 12[]", "formula a[]\r\nb",
      "run Delete", "formula = a[]b", "formula a[]\r\n\r\nb", "run Delete", "formula = a[]\r\nb",
      "formula a[b\r\nc]d", "run Delete", "formula = a[]d", "formula [x]", "focus Result",
      "run Delete", "focus Other", "run Delete", "formula = [x]"}},
    {"clipboard in the formula",
     {"focus Formula", "formula [If\r\nA]\r\nB", "run Copy", "clipboard = If\r\nA",
      "formula = [If\r\nA]\r\nB", "formula A+[B*]C", "run Cut", "clipboard = B*", "formula = A+[]C",
      "clipboard x\ny", "formula A[+]B", "run Paste", "formula = Ax\r\ny[]B", "run Undo",
      "formula = A[+]B"}},
    {"clipboard in the result",
     {"clipboard 9", "formula A[]", "result [1,234].500", "focus Result", "run Paste", "run Delete",
      "result box = [1,234].500", "clipboard = 9", "run Copy", "clipboard = 1,234", "result 5[6]",
      "run Cut", "clipboard = 6", "result = 5", "formula = A[]"}},
    {"nothing on a list",
     {"clipboard 9", "formula [A]", "focus Names", "run Paste", "run Copy", "run Cut",
      "clipboard = 9", "formula = [A]"}},
    // A row outside the lists selects nothing.
    {"lists select in step",
     {"click List_Var 4", "current = 4", "click List3 5", "current = 5", "click List_Var 0",
      "current = 0", "click List3 7", "current = -1", "click List_Var 6", "current = 6",
      "click List_Var -5", "current = -1"}},
    // "=": the value, or the engine's box and the place of the failure.
    {"evaluation",
     {"eval A+B = 300.000000000000000", "line = = 300.000000000000000", "eval  = 0",
      "line = ", "eval a+b = 300.000000000000000", "eval -0.25 = -0.250000000000000",
      "eval 1+2*-3 = 0.000000000000000", kNineBox, "formula = 1+2*[-]3", "focused = Formula",
      "line = A sign cannot follow an operator here (Error Number-9)", "marks = failure -",
      "eval   = 0.000000000000000", kNineBox}},
    {"a missing part is marked beside its place",
     {"eval IF (TRUE) THEN 1 ENDIF = 0.000000000000000",
      "boxes = Invalid Expression! | Error Number-5 | exclamation", "marks = failure E",
      "formula = IF (TRUE) THEN 1 []ENDIF", "formula [IF (TRUE) THEN 1 ENDIF]", "line 0",
      "formula = IF (TRUE) THEN 1 []ENDIF"}},
    {"the locale's separators", {"locale de", "eval 1234.5 = 1.234,500000000000000"}},
    {"Close", {"run Close", "closed = yes"}},
    {"About", {"run About", "calls = frmAbout"}},
    // While typing: the result line follows a pause; no box ever opens.
    {"result line while typing",
     {"formula []",
      "type 1+2*-3",
      "timer = 150 ms",
      "line = ",
      "fire",
      "boxes = ",
      "line = A sign cannot follow an operator here (Error Number-9)",
      "marks = failure -",
      "formula 1+2*[-3]",
      "type 4",
      "marks = ",
      "timer = 150 ms",
      "fire",
      "line = = 9.000000000000000",
      "type *-",
      "run Button_result",
      "timer = stopped",
      kNineBox,
      "formula [1+2*4*-]",
      "run Clear",
      "fire",
      "line = "}},
    // Notes: what the rules skipped, marked amber, with the value.
    {"notes",
     {"formula []", "type 2^3", "fire",
      "line = = 3.000000000000000 / \"2\" takes no part: no operator joins it to the result / "
      "\"^\" is not used in arithmetic and is skipped",
      "marks = note 2 / note ^", "line 1", "formula = [2]^3", "line 2", "formula = 2[^]3"}},
    // Explaining an If block: each condition's verdict, the chosen branch marked.
    {"explain",
     {"example 0", "run Explain",
      "line = If (A>100 & B<200 ): false / ElseIf (A<100 | B>=100): true / ElseIf (A=100): not "
      "tested / Chosen: Ceil(B/5)+20*B-Min(E*10, A) / = 3,940.000000000000000",
      "marks = branch Ceil(B/5)+20*B-Min(E*10, A)", "formula [A+1]", "run Explain",
      "line = There is no If block to explain: the formula does not begin with If / = "
      "101.000000000000000",
      "formula [If (1/0>1) Then 1 Else 2 EndIf]", "run Explain",
      "line = If (1/0>1): failed: A number cannot be divided by zero (Error Number-11)",
      "marks = failure /"}},
    // Variables: added through one dialog that keeps refusing until the
    // name and value are good; with 33 variables Add refuses at once.
    {"Add asks name and value",
     {"answer 2x | 1", "answer Rate | abc", "answer Rate | 1.5", "run Add",
      "boxes = refused: \"2x\" cannot be a variable name:\na name begins with a letter (A to Z) or "
      "\"_\". / " +
          kRefusedValue,
      "calls = " +
          Join(std::vector<std::string>(3, "Add Variable | Name: Var8 | Value: 0.00"), " / "),
      "row 7 = Rate|1.50", "current = 7", "eval rate*2 = 3.000000000000000", "cancel", "run Add",
      "names = A B C D E Rate"}},
    {"Add numbers past names taken",
     {"add 2", "click List_Var 7", "yes", "run Remove", "add 1", "answer Var11 | 0", "run Add",
      "add 1", "names = A B C D E Var9 Var10 Var11 Var12"}},
    {"33 variables at most",
     {"add 28", "current = 34", "run Add", "boxes = Max number is32 | Vornel | none",
      "eval A+Var35 = 100.000000000000000", "click List_Var 34", "yes", "run Remove", "add 1",
      "row 34 = Var35|0.00"}},
    {"values edited",
     {"answer 250", "click List_Var 3", "run EditValue", "calls = Edit Value | Value of B: 200.00",
      "row 3 =  B    | 250.00", "eval B = 250.000000000000000", "answer 0.125", "dclick List3 2",
      "row 2 =  A    | 0.125", "eval A*8 = 1.000000000000000", "locale de", "answer 1,5",
      "dclick List3 4", "row 4 =  C    | 1.50", "eval C*2 = 3,000000000000000"}},
    {"values refused, then Cancel",
     {"answer abc", "answer ", "answer inf", "answer 1e999", "cancel", "click List3 3",
      "run EditValue", "boxes = " + Join(std::vector<std::string>(4, kRefusedValue), " / "),
      "row 3 =  B    | 200.00"}},
    // Headings are no variables: nothing edits, renames or removes them.
    {"headings stay",
     {"click List_Var 0", "run EditValue", "run Rename", "run Remove", "dclick List3 1", "calls = ",
      "click List_Var 1", "focus Names", "run Delete", "calls = ", "names = A B C D E"}},
    // Delete on a list removes the selected variable after asking; the rows
    // below move up a slot.
    {"remove asks first",
     {"click List_Var 3", "no", "run Remove", "names = A B C D E", "yes", "focus Values",
      "run Delete",
      "calls = ask Remove the variable B? | Remove Variable / ask Remove the variable B? | "
      "Remove Variable",
      "names = A C D E", "current = 3", "eval C = 300.000000000000000",
      "eval B = 0.000000000000000", kNineBox}},
    {"remove the last rows one by one",
     {"click List_Var 6", "yes", "run Remove", "current = 5", "yes", "run Remove", "current = 4",
      "yes", "run Remove", "current = 3", "yes", "run Remove", "current = 2", "yes", "run Remove",
      "current = -1", "run Remove", "names = ", "row 1 = -----------------|-----------------"}},
    // History: "=" adds an entry; Up on the first line and Down on the last
    // recall; an entry goes back whole, or its value at the caret.
    {"history",
     {"eval 1+2 = 3.000000000000000",
      "eval 1+2 = 3.000000000000000",
      "eval If (A>1) Then\r\n  1/0\r\nElse 2 EndIf = 0.000000000000000",
      "boxes = Invalid Expression! | Error Number-11 | exclamation",
      "history = 1+2  =  3.000000000000000 / If (A>1) Then 1/0 Else 2 EndIf  \u2192  A number "
      "cannot be divided by zero (Error Number-11)",
      "formula [x]",
      "up",
      "formula = If (A>1) Then\r\n  1/0\r\nElse 2 EndIf[]",
      "up = left",
      "formula = If (A>1) Then\r\n  1/0\r\nElse 2 EndIf[]",
      "formula If (A>1) Then[]\r\n  1/0\r\nElse 2 EndIf",
      "up",
      "formula = 1+2[]",
      "up = taken",
      "formula = 1+2[]",
      "down",
      "formula = If (A>1) Then\r\n  1/0\r\nElse 2 EndIf[]",
      "down = taken",
      "formula = x[]",
      "down = left",
      "formula = x[]",
      "history 0",
      "formula = 1+2[]",
      "formula A+[]",
      "valueof 0",
      "formula = A+3[]",
      "valueof 1",
      "formula = A+3[]",
      "run Undo",
      "formula = A+[]",
      "restart",
      "history = 1+2  =  3.000000000000000 / If (A>1) Then 1/0 Else 2 EndIf  \u2192  "
      "A number cannot be divided by zero (Error Number-11)",
      "run ClearHistory",
      "history = ",
      "restart",
      "history = "}},
    // A line of the history file ending in a lone backslash keeps it; one
    // ending in an escaped backslash reads it back as one.
    {"history file ending in backslashes",
     {"eval 1 = 1.000000000000000", "file data/history.txt 7\t7\t7\\\n8\t8\t8\\\\\n", "restart",
      "history = 7  =  7 / 8  =  8", "formula []", "valueof 0", "valueof 1", "formula = 7\\8\\[]"}},
    // The formula left at exit is one undo step behind example 1.
    {"formula kept at exit",
     {"formula [A*7]", "run Unload", "restart",
      "formula = [" + std::string(*ExampleExpression(0)) + "]", "run Undo", "formula = A*7[]"}},
    // Files: the dialogs' filter; a new file in UTF-8 with LF; a file opened
    // is saved back in its encoding and with its line ends.
    {"files",
     {"formula If (A>1) Then\r\n\tcaf\u00e9\r\nEndIf",
      "answer %d/new.txt",
      "run Save",
      "calls = save Expression.txt | Text File (*.txt); All files (*.*); | txt",
      "bytes new.txt = " VORNEL_NEW_FILE_BYTES,
      "file crlf.txt \xe9+1\r\n2",
      "answer %d/crlf.txt",
      "run Open",
      "calls = open Text File (*.txt); All files (*.*);",
      "formula = \u00e9+1\r\n2[]",
      "answer %d/crlf.txt",
      "run Save",
      "bytes crlf.txt = \xe9+1\r\n2",
      "file marked.txt \xef\xbb\xbf\u03a9\n1",
      "answer %d/marked.txt",
      "run Open",
      "answer %d/marked.txt",
      "run Save",
      "bytes marked.txt = \xef\xbb\xbf\u03a9\n1",
      "cancel",
      "run Open",
      "cancel",
      "run Save",
      "formula = \u03a9\r\n1[]",
      "result = "}},
    {"files refused",
     {"formula [old]", "answer %d/missing.txt", "run Open",
      "boxes = Can not open the file: %d/missing.txt | Vornel | exclamation",
      "answer %d/no folder/x.txt", "run Save",
      "boxes = Can not save the file: %d/no folder/x.txt | Vornel | exclamation",
      "formula = [old]"}},
};

}  // namespace

class ScenarioTest : public ModelTest, public testing::WithParamInterface<Scenario> {};

TEST_P(ScenarioTest, Plays) {
    Play(GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(Model, ScenarioTest, testing::ValuesIn(kScenarios), ScenarioName);

// A new name for A, or the reason it is refused while the dialog stays open.
TEST_F(ModelTest, RenameKeepsOrRefuses) {
    struct Row {
        const char* typed;
        const char* rowAfter;
        const char* refusal;  // nullptr: accepted
    };
    const std::string cannot = "\" cannot be a variable name:\n";
    const Row rows[] = {
        {"Rate", " Rate", nullptr},
        {"  net_2  ", " net_2", nullptr},
        {"a", " a", nullptr},
        {"A", " A    ", nullptr},
        {" ", " A    ", "A variable needs a name."},
        {"2x", " A    ", "a name begins with a letter (A to Z) or \"_\"."},
        {"net rate", " A    ", "a name holds only letters (A to Z), digits and \"_\"."},
        {"caf\u00e9", " A    ", "a name holds only letters (A to Z), digits and \"_\"."},
        {"round", " A    ", "it is the name of a function."},
        {"False", " A    ", "conditions read it as a truth value."},
        {"ElseIf", " A    ", "it is a keyword of If blocks."},
        {"Lengthen", " A    ", "it holds THEN, ELSE or ENDIF, which would break If blocks."},
        {"Iffy", " A    ", "a formula beginning with it would be read as an If block."},
        {"b", " A    ", "the variable \"B\" has it already."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        model.Form_Load();
        const std::string typed(row.typed);
        const std::string refusal =
            row.refusal == nullptr ? ""
            : row.refusal[0] == 'A'
                ? std::string("refused: ") + row.refusal
                : "refused: \"" + std::string(text::Trimmed(typed)) + cannot + row.refusal;
        Play({"answer " + typed, "cancel", "click List_Var 2", "run Rename", "boxes = " + refusal,
              "row 2 = " + std::string(row.rowAfter) + "| 100.00",
              "eval " + std::string(text::Trimmed(row.rowAfter)) + "+B = 300.000000000000000"});
        port.calls.clear();
        port.answers.clear();
    }
}

// Help starts a viewer on the first candidate that is a file.
TEST_F(ModelTest, HelpFindsItsDocument) {
    struct Row {
        std::vector<std::string> holders;  // folders holding the document
        std::string started;               // "": none is found
        bool viewerStarts;
    };
    const Row rows[] = {
        {{"program"}, "program", true}, {{"program", "data"}, "program", true},
        {{"data"}, "data", true},       {{}, "", true},
        {{"data"}, "data", false},
    };
    for (const Row& row : rows) {
        std::filesystem::remove_all(folder / "program");
        std::filesystem::remove_all(folder / "data");
        for (const std::string& holder : row.holders) {
            std::filesystem::create_directories(folder / holder);
            WriteBytes(folder / holder / "vornel-help.html", "<html>");
        }
        model.SetHelpDocumentCandidates(
            HelpDocumentCandidates((folder / "program").string(), (folder / "data").string()));
        port.helpViewerStarts = row.viewerStarts;
        model.MenuHelp_Help_Click();
        const std::string path = (folder / row.started / "vornel-help.html").string();
        EXPECT_EQ(Join(port.Take(port.calls), ""), row.started.empty() ? "" : "help " + path);
        EXPECT_EQ(Join(port.Take(port.messages), ""),
                  row.started.empty() ? "The help document vornel-help.html cannot be found. | "
                                        "Vornel | exclamation"
                  : row.viewerStarts  ? ""
                                      : "No viewer could be started for the help document:\n" +
                                           path + " | Vornel | exclamation");
    }
}

// The newest 1,000 entries are kept, in this run and the next.
TEST_F(ModelTest, HistoryKeepsTheNewestThousand) {
    for (int i = 1; i <= 1002; ++i) {
        port.formula.text = std::to_string(i);
        model.Button_result_Click();
    }
    ASSERT_EQ(model.History().size(), kMaxHistoryEntries);
    EXPECT_EQ(model.History().front().formula, "3");
    model.Form_Load();
    ASSERT_EQ(model.History().size(), kMaxHistoryEntries);
    EXPECT_EQ(model.History().front().formula, "3");
    EXPECT_EQ(model.History().back(), (HistoryEntry{"1002", "1,002.000000000000000", "1002"}));
    // A file grown to twice that is written again with the newest alone.
    std::string lines;
    for (std::size_t i = 1; i <= 2 * kMaxHistoryEntries; ++i) {
        const std::string n = std::to_string(i);
        lines += n + '\t' + n + '\t' + n + '\n';
    }
    WriteBytes(folder / "data" / "history.txt", lines);
    model.Form_Load();
    EXPECT_EQ(model.History().front().formula, "1001");
    const std::string kept = ReadBytes(folder / "data" / "history.txt");
    EXPECT_EQ(std::size_t(std::count(kept.begin(), kept.end(), '\n')), kMaxHistoryEntries);
    EXPECT_TRUE(kept.starts_with("1001\t"));
}

// Opening replaces the formula alone; a refused file leaves it as it was.
TEST_F(ModelTest, OpenRefusesWhatIsTooLarge) {
    const std::pair<std::size_t, bool> sizes[] = {{65000, true}, {65001, false}, {0, true}};
    for (const auto& [size, opens] : sizes) {
        WriteBytes(folder / "open.txt", std::string(size, 'A'));
        port.formula.text = "old";
        port.result.text = "7";
        Play({"answer %d/open.txt", "run Open",
              std::string("boxes = ") +
                  (opens ? "" : "The file is too large, can not be opened. | Vornel | exclamation"),
              "result = 7"});
        EXPECT_EQ(port.formula.text, opens ? std::string(size, 'A') : "old");
    }
}

}  // namespace vornel::test
