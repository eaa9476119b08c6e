// Editing in the Qt window: the keypad, lists, chooser and keys reach the
// model's commands, and what it changes shows: the formula, the two lists in
// step, their context menus and tool tips, the colours of names. What each
// command does is the model's, and its tests say so.
#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

const Scenario kScenarios[] = {
    {"keypad",
     {"formula 1[]2", "click Button_Num_12", "formula = 1+ []2", "click Button_Num_38",
      "formula = 1+ \r\n[]2"}},
    // A double-click on a name inserts it; the focus goes back to the formula.
    {"name inserted",
     {"formula A+[]", "dclick List_Var 3", "formula = A+B[]", "focused = Text_Formula"}},
    {"examples",
     {"formula old", "result 7", "focus Combo1", "key Down", "example = 1", "result = 7",
      "focus Text_Formula", "key Ctrl+Z", "formula = old[]"}},
    // Real key presses on the focused control run the window's own command.
    {"keys in the formula",
     {"clipboard c", "focus Text_Formula", "formula a[]\r\nb", "key Del", "formula = a[]b",
      "formula A+[B*]C", "key Ctrl+X", "clipboard = B*", "formula = A+[]C", "clipboard x\r\ny",
      "key Ctrl+V", "formula = A+x\r\ny[]C", "formula [If\r\nA]", "key Ctrl+C", "clipboard = If\nA",
      "ran = MenuEdit_Delete / MenuEdit_Cut / MenuEdit_Paste / MenuEdit_Copy"}},
    {"keys in the result",
     {"clipboard 9", "formula A[]", "result [1,234].500", "focus Text_CalResult", "key Ctrl+V",
      "key Ctrl+C", "clipboard = 1,234", "result = 1,234.500", "formula = A[]"}},
    {"lists select in step",
     {"click List_Var 4", "current = 4 4", "click List3 5", "current = 5 5"}},
    // A new row shows and is selected; rows stay side by side.
    {"Add",
     {"add 3", "names = A B C D E N1 N2 N3", "current = 9 9", "row 9 = N3|0.00",
      "calls = input Add Variable / input Add Variable / input Add Variable",
      "bars List_Var = vertical", "bars List3 = vertical"}},
    {"F2 and a double-click edit values",
     {"answer 250", "select List_Var 3", "key F2", "row 3 =  B    | 250.00", "answer -7",
      "dclick List3 2", "row 2 =  A    | -7.00", "calls = input Edit Value / input Edit Value",
      "eval A+B = 243.000000000000000"}},
    // Delete on a list asks before removing the variable.
    {"Delete on a list",
     {"answer yes", "select List_Var 3", "key Del",
      "calls = ask Remove the variable B? | Remove Variable", "names = A C D E", "current = 3 3"}},
    {"context menus",
     {"menu List_Var 3 = Edit Value... F2, Rename..., Remove, -, Add Variable...", "current = 3 3",
      "menu List3 5 = Edit Value... F2, Remove, -, Add Variable...",
      "menu List3 -1 = (Edit Value... F2), (Remove), -, Add Variable...", "current = -1 -1"}},
    // The listed variables have their own colour as they come and go; the
    // colours never reach the text.
    {"highlighting",
     {"formula If (Rate>1) Then\r\n  Rate*A\r\nElse \"x\" EndIf", "category Rate = none",
      "category If = Keyword", "category A = Variable", "answer rate", "select List_Var 3",
      "run VariableRename", "category Rate = Variable", "answer yes", "run VariableRemove",
      "category Rate = none", "copied = text/plain: If (Rate>1) Then\n  Rate*A\nElse \"x\" EndIf"}},
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

    // With 33 variables the two lists still show the same rows side by side,
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
        Play({"add 28"});
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
            scrolled->setCurrentRow(34);
            m_w->services.answers << "yes";
            m_w->Run("VariableRemove");
            QCOMPARE(names->count(), 34);
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
