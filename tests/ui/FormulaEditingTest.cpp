// Formula editing: insertion from the keypad and the variables list, the
// example chooser, forward delete and the clipboard commands by real key
// presses; the variables list in step and growing.
#include "Examples.h"
#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

// A keypad button inserts at the caret, over the selection; a double-click
// on a name row of the variables list inserts the name, on a heading row
// nothing.
struct Insertion {
    const char* name;
    const char* formula;
    int member;  // of the keypad clicked, or
    int row;     // of the names list double-clicked
    const char* expected;
};
const Insertion kInsertions[] = {
    {"+ between digits", "1[]2", 12, -1, "1+ []2"},
    {"digit at the start", "[]12", 7, -1, "7[]12"},
    {"Or over a selection", "A[*]B", 26, -1, "A| []B"},
    {"And over a backwards selection", "A]*[B", 27, -1, "A& []B"},
    {"Space", "A[]B", 28, -1, "A []B"},
    {"Enter splits a line", "A[]B", 38, -1, "A\r\n[]B"},
    {"on the second line", "A\r\nB[]", 31, -1, "A\r\nBRound []"},
    {"LF, CR and LF CR are line breaks too", "a\nb\rc\n\rd[]", 28, -1, "a\r\nb\r\nc\r\n\r\nd []"},
    {"name B at the end", "A+[]", -1, 3, "A+B[]"},
    {"name E at the caret", "A[]+", -1, 6, "AE[]+"},
    {"added name keeps its case", "1+[]", -1, 7, "1+Var8[]"},
    {"heading", "A+[]", -1, 0, "A+[]"},
    {"dashed row", "A+[]", -1, 1, "A+[]"},
};

const char* const kFormula = "Text_Formula";
const char* const kResult = "Text_CalResult";
const char* const kResultText = "1,234.500";  // its first five characters selected

// The key pressed on the focused control; the clipboard and the formula before,
// and the clipboard, the formula and the result box after.
struct EditKey {
    const char* name;
    const char* focus;
    Qt::Key key;
    const char* clipboard;
    const char* formula;
    const char* clipboardAfter;
    const char* formulaAfter;
    const char* resultAfter;
};
const EditKey kEditKeys[] = {
    {"delete at the end", kFormula, Qt::Key_Delete, "c", "12[]", "c", "12[]", kResultText},
    {"delete a line break", kFormula, Qt::Key_Delete, "c", "a[]\r\nb", "c", "a[]b", kResultText},
    {"delete one of two line breaks", kFormula, Qt::Key_Delete, "c", "a[]\r\n\r\nb", "c",
     "a[]\r\nb", kResultText},
    {"delete a selection", kFormula, Qt::Key_Delete, "c", "a[b\r\nc]d", "c", "a[]d", kResultText},
    {"copy lines", kFormula, Qt::Key_C, "c", "[If\r\nA]\r\nB", "If\nA", "[If\r\nA]\r\nB",
     kResultText},
    {"cut", kFormula, Qt::Key_X, "c", "A+[B*]C", "B*", "A+[]C", kResultText},
    {"paste", kFormula, Qt::Key_V, "x\r\ny", "A[+]B", "x\r\ny", "Ax\r\ny[]B", kResultText},
    {"copy in the result", kResult, Qt::Key_C, "c", "A[]", "1,234", "A[]", kResultText},
    {"cut in the result", kResult, Qt::Key_X, "c", "A[]", "1,234", "A[]", ".500"},
    {"no paste in the result", kResult, Qt::Key_V, "9", "A[]", "9", "A[]", kResultText},
    {"no delete in the result", kResult, Qt::Key_Delete, "c", "A[]", "c", "A[]", kResultText},
    {"no paste on a list", "List_Var", Qt::Key_V, "9", "[A]", "9", "[A]", kResultText},
};

}  // namespace

class FormulaEditingTest : public WindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { PrepareApplication(); }
    void init() { StartWindow(); }
    void cleanup() { EndWindow(); }

    void insertion_data() { AddCaseRows(kInsertions); }
    void insertion() {
        const Insertion& c = FetchCase(kInsertions);
        m_w->Click("Command2");  // adds Var8
        SetMarked(m_w->Formula(), c.formula);
        if (c.row >= 0) {
            DoubleClickRow(m_w->Control<QListWidget>("List_Var"), c.row);
        } else {
            m_w->Click(QStringLiteral("Button_Num_%1").arg(c.member));
        }
        QCOMPARE(Marked(m_w->Formula()), c.expected);
    }

    // Choosing an example replaces the formula, also choosing the shown one
    // again; the result stays.
    void examplesReplaceTheFormula() {
        m_w->Formula()->SetText("old");
        m_w->Control<QLineEdit>(kResult)->setText("7");
        auto* examples = m_w->Control<QComboBox>("Combo1");
        examples->setFocus();
        QTest::keyClick(examples, Qt::Key_Down);
        QCOMPARE(m_w->Formula()->Text(), *ExampleExpression(1));
        m_w->Formula()->SetText("old");
        emit examples->activated(1);
        QCOMPARE(m_w->Formula()->Text(), *ExampleExpression(1));
        QCOMPARE(m_w->Result(), "7");
    }

    // Real key presses on the focused control must run the window's own
    // command, which works only on the formula and result boxes.
    void editKeys_data() { AddCaseRows(kEditKeys); }
    void editKeys() {
        const EditKey& c = FetchCase(kEditKeys);
        const QHash<int, QString> commands = {{Qt::Key_Delete, "MenuEdit_Delete"},
                                              {Qt::Key_C, "MenuEdit_Copy"},
                                              {Qt::Key_X, "MenuEdit_Cut"},
                                              {Qt::Key_V, "MenuEdit_Paste"}};
        QGuiApplication::clipboard()->setText(c.clipboard);
        SetMarked(m_w->Formula(), c.formula);
        auto* result = m_w->Control<QLineEdit>(kResult);
        result->setText(kResultText);
        result->setSelection(0, 5);
        QWidget* focused = m_w->Control(c.focus);
        focused->setFocus();
        QSignalSpy command(m_w->Control<QAction>(commands[c.key]), &QAction::triggered);

        const auto modifier = c.key == Qt::Key_Delete ? Qt::NoModifier : Qt::ControlModifier;
        QTest::keyClick(focused, c.key, modifier);
        QCOMPARE(command.count(), 1);
        QCOMPARE(QGuiApplication::clipboard()->text(), c.clipboardAfter);
        QCOMPARE(Marked(m_w->Formula()), c.formulaAfter);
        QCOMPARE(result->text(), c.resultAfter);
    }

    void listsSelectInStep() {
        auto* names = m_w->Control<QListWidget>("List_Var");
        auto* values = m_w->Control<QListWidget>("List3");
        QTest::mouseClick(names->viewport(), Qt::LeftButton, {}, RowCentre(names, 4));
        QCOMPARE(values->currentRow(), 4);
        QTest::mouseClick(values->viewport(), Qt::LeftButton, {}, RowCentre(values, 5));
        QCOMPARE(names->currentRow(), 5);
        QVERIFY(names->currentItem()->isSelected());
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
        for (int i = 0; i < 33; ++i) {
            m_w->Click("Command2");
        }
        auto* names = m_w->Control<QListWidget>("List_Var");
        auto* values = m_w->Control<QListWidget>("List3");
        auto* scrolled = m_w->Control<QListWidget>(list);
        QCOMPARE(values->count(), 40);
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

    void addAppendsVariables() {
        for (int i = 0; i < 3; ++i) {
            m_w->Click("Command2");
        }
        auto* names = m_w->Control<QListWidget>("List_Var");
        auto* values = m_w->Control<QListWidget>("List3");
        QCOMPARE(values->count(), names->count());
        QStringList added;
        for (int row = 7; row < names->count(); ++row) {
            added << names->item(row)->text() + "=" + values->item(row)->text();
        }
        QCOMPARE(added, (QStringList{"Var8=0.00", "Var9=0.00", "Var10=0.00"}));
        // Rows stay side by side: neither list scrolls sideways, also once a
        // vertical scroll bar narrows them.
        QTRY_VERIFY(names->verticalScrollBar()->isVisible());
        QVERIFY(!names->horizontalScrollBar()->isVisible());
        QVERIFY(!values->horizontalScrollBar()->isVisible());
    }
};

QTEST_MAIN(FormulaEditingTest)
#include "FormulaEditingTest.moc"
