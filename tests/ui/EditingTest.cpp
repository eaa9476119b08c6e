// Editing in the main window: the formula by the keypad, the variables list,
// the example chooser and the clipboard commands pressed as keys; the
// variables' values edited through F2, a double-click or the context menu,
// names changed and refused, rows added and removed, the two lists in step.
#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

const QString kNotNumber = "The inputed value is not number. | Error | exclamation";
const QString kNineBox = "boxes = Invalid Expression! | Error Number-9 | exclamation";

const Scenario kScenarios[] = {
    // A keypad button inserts at the caret, over the selection; a
    // double-click on a name row of the variables list inserts the name, on a
    // heading row nothing.
    {"+ between digits", {"formula 1[]2", "click Button_Num_12", "formula = 1+ []2"}},
    {"digit at the start", {"formula []12", "click Button_Num_7", "formula = 7[]12"}},
    {"Or over a selection", {"formula A[*]B", "click Button_Num_26", "formula = A| []B"}},
    {"And over a backwards selection",
     {"formula A]*[B", "click Button_Num_27", "formula = A& []B"}},
    {"Space", {"formula A[]B", "click Button_Num_28", "formula = A []B"}},
    {"Enter splits a line", {"formula A[]B", "click Button_Num_38", "formula = A\r\n[]B"}},
    {"on the second line", {"formula A\r\nB[]", "click Button_Num_31", "formula = A\r\nBRound []"}},
    {"LF, CR and LF CR are line breaks too",
     {"formula a\nb\rc\n\rd[]", "click Button_Num_28", "formula = a\r\nb\r\nc\r\n\r\nd []"}},
    {"name B at the end", {"formula A+[]", "dclick List_Var 3", "formula = A+B[]"}},
    {"name E at the caret", {"formula A[]+", "dclick List_Var 6", "formula = AE[]+"}},
    {"added name keeps its case",
     {"add 1", "formula 1+[]", "dclick List_Var 7", "formula = 1+Var8[]"}},
    {"heading", {"formula A+[]", "dclick List_Var 0", "formula = A+[]"}},
    {"dashed row", {"formula A+[]", "dclick List_Var 1", "formula = A+[]"}},
    // Choosing an example replaces the formula, also choosing the shown one
    // again; the result stays. There are no rows outside the list.
    {"examples",
     {"formula old", "result 7", "focus Combo1", "key Down", "example = 1", "formula old",
      "example 1", "example = 1", "formula old", "example -1", "example 4", "formula = old[]",
      "result = 7"}},
    // Real key presses on the focused control run the window's own command,
    // which works only on the formula and result boxes.
    {"Delete in the formula",
     {"clipboard c", "result [1,234].500", "focus Text_Formula", "formula 12[]", "key Del",
      "formula = 12[]", "formula a[]\r\nb", "key Del", "formula = a[]b", "formula a[]\r\n\r\nb",
      "key Del", "formula = a[]\r\nb", "formula a[b\r\nc]d", "key Del", "formula = a[]d",
      "ran = " + QStringList(4, "MenuEdit_Delete").join(" / "), "clipboard = c",
      "result = 1,234.500"}},
    {"clipboard in the formula",
     {"clipboard c", "result [1,234].500", "focus Text_Formula", "formula [If\r\nA]\r\nB",
      "key Ctrl+C", "clipboard = If\nA", "formula = [If\r\nA]\r\nB", "formula A+[B*]C",
      "key Ctrl+X", "clipboard = B*", "formula = A+[]C", "clipboard x\r\ny", "formula A[+]B",
      "key Ctrl+V", "clipboard = x\r\ny", "formula = Ax\r\ny[]B",
      "ran = MenuEdit_Copy / MenuEdit_Cut / MenuEdit_Paste", "result = 1,234.500"}},
    {"keys in the result",
     {"clipboard 9", "formula A[]", "result [1,234].500", "focus Text_CalResult", "key Ctrl+V",
      "key Del", "result = 1,234.500", "clipboard = 9", "key Ctrl+C", "clipboard = 1,234",
      "result 5[6]", "key Ctrl+X", "clipboard = 6", "result = 5",
      "ran = MenuEdit_Paste / MenuEdit_Delete / MenuEdit_Copy / MenuEdit_Cut", "formula = A[]"}},
    {"no paste on a list",
     {"clipboard 9", "formula [A]", "focus List_Var", "key Ctrl+V", "ran = MenuEdit_Paste",
      "formula = [A]"}},
    {"lists select in step",
     {"click List_Var 4", "current = 4 4", "click List3 5", "current = 5 5"}},
    // Rows stay side by side: neither list scrolls sideways, also once a
    // vertical scroll bar narrows them.
    {"Add appends variables",
     {"add 3", "names = A B C D E Var8 Var9 Var10",
      "values = 100.00 200.00 300.00 400.00 500.00 "
      "0.00 0.00 0.00",
      "row 9 = Var10|0.00", "bars List_Var = vertical", "bars List3 = vertical"}},
    // A value is typed through F2 on either list, a double-click on a value
    // or the menu command; the row keeps every digit with "." and at least
    // two places, and the evaluation reads it.
    {"F2 on a name",
     {"answer 250", "select List_Var 3", "key F2",
      "calls = input Edit Value | Value of B: | 200.00", "row 3 =  B    | 250.00",
      "eval B = 250.000000000000000"}},
    {"F2 on a value",
     {"answer -7", "select List3 2", "key F2", "row 2 =  A    | -7.00",
      "eval A = -7.000000000000000"}},
    {"double-click keeps every digit",
     {"answer 0.125", "dclick List3 2", "row 2 =  A    | 0.125", "eval A*8 = 1.000000000000000"}},
    {"menu, spaces around",
     {"answer  1.5 ", "select List_Var 6", "run VariableEditValue", "row 6 =  E    | 1.50",
      "eval E*2 = 3.000000000000000"}},
    {"an exponent is written out",
     {"answer 1e3", "select List_Var 2", "key F2", "row 2 =  A    | 1000.00",
      "eval A = 1,000.000000000000000"}},
    {"negative zero is zero", {"answer -0", "select List_Var 2", "key F2", "row 2 =  A    | 0.00"}},
    {"the locale's grouping",
     {"answer 1,234.5", "select List_Var 2", "key F2", "row 2 =  A    | 1234.50",
      "eval A = 1,234.500000000000000"}},
    {"the locale's decimal comma",
     {"locale de_DE", "answer 1,5", "select List_Var 2", "key F2", "row 2 =  A    | 1.50",
      "eval A*2 = 3,000000000000000"}},
    {"a point in a comma locale",
     {"locale de_DE", "answer 2.25", "select List_Var 2", "key F2", "row 2 =  A    | 2.25",
      "eval A = 2,250000000000000"}},
    {"not numbers, and Cancel",
     {"answer abc", "answer ", "answer inf", "answer 1e999", "cancel", "select List_Var 3",
      "key F2", "key F2", "key F2", "key F2", "key F2",
      "boxes = " + QStringList(4, kNotNumber).join(" / "), "row 3 =  B    | 200.00",
      "eval B = 200.000000000000000"}},
    {"an added row",
     {"add 1", "answer 3", "select List_Var 7", "key F2", "row 7 = Var8|3.00",
      "eval Var8*Var8 = 9.000000000000000"}},
    // Headings are no variables: nothing edits, renames or removes them.
    {"headings stay as they are",
     {"select List_Var 0", "key F2", "dclick List3 1", "run VariableEditValue",
      "run VariableRename", "run VariableRemove", "select List_Var 1", "run VariableRemove",
      "menu List_Var 0 = (Edit Value... F2), (Rename...), (Remove), -, Add Variable",
      "menu List3 1 = (Edit Value... F2), (Remove), -, Add Variable",
      "calls = ", "row 0 =  Variable | Value", "row 1 = -----------------|-----------------",
      "names = A B C D E", "values = 100.00 200.00 300.00 400.00 500.00"}},
    // The menu works on the row under the pointer; below the rows only Add.
    {"context menus",
     {"menu List_Var 3 = Edit Value... F2, Rename..., Remove, -, Add Variable", "current = 3 3",
      "menu List3 5 = Edit Value... F2, Remove, -, Add Variable", "current = 5 5",
      "menu List3 -1 = (Edit Value... F2), (Remove), -, Add Variable", "current = -1 -1"}},
    {"renamed, then used in an If block",
     {"answer Rate", "cancel", "select List_Var 4", "run VariableRename", "run VariableRename",
      "row 4 =  Rate| 300.00", "eval If (Rate>250) Then Rate/3 Else 0 EndIf = 100.000000000000000",
      "eval C = 0.000000000000000", kNineBox}},
    // The rows below a removed one move up a slot: with 34 variable rows the
    // last is beyond the engine's 33 slots until one row goes.
    {"remove shifts the slots",
     {"add 29", "eval C = 300.000000000000000", "boxes = Max number is32 | Vornel | none",
      "formula C+Var36", "category Var36 = none", "category C = Variable", "answer 5",
      "select List_Var 35", "run VariableEditValue", "select List_Var 3", "run VariableRemove",
      "row 3 =  C    | 300.00", "current = 3 3", "eval Var36+C = 305.000000000000000",
      "category Var36 = Variable", "eval B = 0.000000000000000", kNineBox}},
    {"remove the last rows one by one",
     {"select List_Var 6", "run VariableRemove", "current = 5 5", "run VariableRemove",
      "current = 4 4", "run VariableRemove", "current = 3 3", "run VariableRemove", "current = 2 2",
      "run VariableRemove", "current = -1 -1", "run VariableRemove", "current = -1 -1",
      "names = ", "values = ", "row 1 = -----------------|-----------------"}},
    // Add names the next variable by the row count, passing over a name
    // already in the list.
    {"Add never repeats a name",
     {"add 2", "select List_Var 7", "run VariableRemove", "add 1", "answer var12",
      "select List_Var 2", "run VariableRename", "run VariableAdd", "add 1",
      "names = var12 B C D E Var9 Var10 Var11 Var13", "row 2 =  var12| 100.00"}},
    // The listed variables have their own colour as they come and go; the
    // colours never reach the text.
    {"highlighting",
     {"formula If (Rate>1) Then\r\n  Rate*A\r\nElse \"x\" EndIf", "category Rate = none",
      "category If = Keyword", "category A = Variable", "answer rate", "select List_Var 3",
      "run VariableRename", "category Rate = Variable", "run VariableRemove",
      "category Rate = none", "copied = text/plain: If (Rate>1) Then\n  Rate*A\nElse \"x\" EndIf"}},
};

// A new name for A, or the reason it is refused.
struct Renaming {
    const char* name;
    const char* typed;
    const char* rowAfter;
    const char* refusal;  // nullptr: accepted
};
const Renaming kRenamings[] = {
    {"a word", "Rate", " Rate", nullptr},
    {"spaces trimmed", "  net_2  ", " net_2", nullptr},
    {"its own name in lower case", "a", " a", nullptr},
    {"empty", " ", " A    ", "A variable needs a name."},
    {"digit first", "2x", " A    ",
     "\"2x\" cannot be a variable name:\na name begins with a letter (A to Z) or \"_\"."},
    {"space inside", "net rate", " A    ",
     "\"net rate\" cannot be a variable name:\na name holds only letters (A to Z), digits and "
     "\"_\"."},
    {"accented letter", "caf\u00e9", " A    ",
     "\"caf\u00e9\" cannot be a variable name:\na name holds only letters (A to Z), digits and "
     "\"_\"."},
    {"function", "round", " A    ",
     "\"round\" cannot be a variable name:\nit is the name of a function."},
    {"truth value", "False", " A    ",
     "\"False\" cannot be a variable name:\nconditions read it as a truth value."},
    {"keyword", "ElseIf", " A    ",
     "\"ElseIf\" cannot be a variable name:\nit is a keyword of If blocks."},
    {"holds a keyword", "Lengthen", " A    ",
     "\"Lengthen\" cannot be a variable name:\nit holds THEN, ELSE or ENDIF, which would break "
     "If blocks."},
    {"begins with If", "Iffy", " A    ",
     "\"Iffy\" cannot be a variable name:\na formula beginning with it would be read as an If "
     "block."},
    {"taken, in another case", "b", " A    ",
     "\"b\" cannot be a variable name:\nthe variable \"B\" has it already."},
};

// A value or name too wide for its list shows whole in a tool tip.
struct LongRow {
    const char* name;
    const char* list;   // where the tip is asked for
    const char* typed;  // a value for A, or a new name for it
    bool tip;
};
const LongRow kLongRows[] = {
    {"huge value", "List3", "1e20", true},
    {"value of 301 digits", "List3", "1e300", true},
    {"tiny value", "List3", "0.000000000000001", true},
    {"short value", "List3", "12", false},
    {"long name", "List_Var", "A_rather_long_name", true},
    {"short name", "List_Var", "Rate", false},
};

}  // namespace

class EditingTest : public WindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { PrepareApplication(); }
    void init() { StartWindow(); }
    void cleanup() { EndWindow(); }

    void scenario_data() { AddCaseRows(kScenarios); }
    void scenario() { PlayCase(kScenarios); }

    void longRowsShowWholeInATip_data() { AddCaseRows(kLongRows); }
    void longRowsShowWholeInATip() {
        const LongRow& c = FetchCase(kLongRows);
        auto* list = m_w->Control<QListWidget>(c.list);
        Play({"answer " + QString(c.typed), "select List_Var 2",
              list == Names() ? "run VariableRename" : "run VariableEditValue"});
        const QPoint at = RowCentre(list, 2);
        QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &help);
        const QString tip = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        // Whole, in lines that fit on a screen.
        QCOMPARE(QString(tip).remove('\n'), c.tip ? list->item(2)->text().trimmed() : QString());
        for (const QString& line : tip.split('\n')) {
            QVERIFY(line.size() <= 64);
        }
    }

    void rename_data() { AddCaseRows(kRenamings); }
    void rename() {
        const Renaming& c = FetchCase(kRenamings);
        const QString refusal = c.refusal ? QString(c.refusal) + " | Vornel | exclamation" : "";
        Play({"answer " + QString(c.typed), "select List_Var 2", "run VariableRename",
              "calls = input Rename Variable | New name for A: | A", "boxes = " + refusal,
              "row 2 = " + QString(c.rowAfter) + "| 100.00",
              "eval " + QString(c.rowAfter).trimmed() + "+B = 300.000000000000000"});
    }

    // With 40 rows the two lists still show the same rows side by side,
    // however either one is scrolled.
    void listsScrollInStep_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("way");
        for (const char* list : {"List_Var", "List3"}) {
            for (const char* way : {"wheel", "scroll bar", "End key", "remove"}) {
                QTest::addRow("%s, %s", way, list) << list << way;
            }
        }
    }
    void listsScrollInStep() {
        QFETCH(QString, list);
        QFETCH(QString, way);
        Play({"add 33"});
        QListWidget* names = Names();
        QListWidget* values = Values();
        auto* scrolled = m_w->Control<QListWidget>(list);
        // The lists lay out their rows when the event loop runs.
        QTRY_VERIFY(names->verticalScrollBar()->maximum() > 0);
        QTRY_VERIFY(values->verticalScrollBar()->maximum() > 0);
        if (way == "wheel") {
            const QPoint at = scrolled->viewport()->rect().center();
            QWheelEvent wheel(at, scrolled->viewport()->mapToGlobal(at), {}, {0, -120},
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(scrolled->viewport(), &wheel);
        } else if (way == "scroll bar") {
            scrolled->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        } else if (way == "End key") {
            scrolled->setFocus();
            QTest::keyClick(scrolled, Qt::Key_End);
        } else {
            scrolled->setCurrentRow(39);
            m_w->Run("VariableRemove");
            QCOMPARE(names->count(), 39);
        }
        QVERIFY(names->verticalScrollBar()->value() > 0);
        QCOMPARE(values->verticalScrollBar()->value(), names->verticalScrollBar()->value());
        for (const int y : {2, names->viewport()->height() - 2}) {
            QCOMPARE(values->indexAt({2, y}).row(), names->indexAt({2, y}).row());
        }
    }
};

QTEST_MAIN(EditingTest)
#include "EditingTest.moc"
