// Changing the variables: values edited through F2, a double-click or the
// context menu; names changed and refused; rows removed; evaluating from the
// keyboard.
#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

const QString kNotNumber = "The inputed value is not number. | Error | exclamation";

enum class Way { F2OnNames, F2OnValues, DoubleClickValue, MenuCommand };

// A value typed for a variable row: what the row holds afterwards, and the
// formula's result once evaluated.
struct ValueEdit {
    const char* name;
    const char* locale;
    Way way;
    int row;
    std::optional<QString> typed;  // nothing: Cancel
    const char* rowAfter;
    const char* formula;
    const char* result;
    QStringList boxes;
};
const ValueEdit kValueEdits[] = {
    {"F2 on a name", "en_US", Way::F2OnNames, 3, "250", " 250.00", "B", "250.000000000000000", {}},
    {"F2 on a value", "en_US", Way::F2OnValues, 2, "-7", " -7.00", "A", "-7.000000000000000", {}},
    {"double-click keeps every digit",
     "en_US",
     Way::DoubleClickValue,
     2,
     "0.125",
     " 0.125",
     "A*8",
     "1.000000000000000",
     {}},
    {"menu, spaces around",
     "en_US",
     Way::MenuCommand,
     6,
     " 1.5 ",
     " 1.50",
     "E*2",
     "3.000000000000000",
     {}},
    {"an exponent is written out",
     "en_US",
     Way::F2OnNames,
     2,
     "1e3",
     " 1000.00",
     "A",
     "1,000.000000000000000",
     {}},
    {"the locale's grouping",
     "en_US",
     Way::F2OnNames,
     2,
     "1,234.5",
     " 1234.50",
     "A",
     "1,234.500000000000000",
     {}},
    {"the locale's decimal comma",
     "de_DE",
     Way::F2OnNames,
     2,
     "1,5",
     " 1.50",
     "A*2",
     "3,000000000000000",
     {}},
    {"a point in a comma locale",
     "de_DE",
     Way::F2OnNames,
     2,
     "2.25",
     " 2.25",
     "A",
     "2,250000000000000",
     {}},
    {"letters",
     "en_US",
     Way::F2OnNames,
     3,
     "abc",
     " 200.00",
     "B",
     "200.000000000000000",
     {kNotNumber}},
    {"nothing",
     "en_US",
     Way::F2OnValues,
     3,
     "",
     " 200.00",
     "B",
     "200.000000000000000",
     {kNotNumber}},
    {"infinity",
     "en_US",
     Way::F2OnNames,
     3,
     "inf",
     " 200.00",
     "B",
     "200.000000000000000",
     {kNotNumber}},
    {"beyond a double",
     "en_US",
     Way::F2OnNames,
     3,
     "1e999",
     " 200.00",
     "B",
     "200.000000000000000",
     {kNotNumber}},
    {"Cancel",
     "en_US",
     Way::MenuCommand,
     3,
     std::nullopt,
     " 200.00",
     "B",
     "200.000000000000000",
     {}},
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

// The colour the first character of `span` is shown in.
QColor ShownColour(const FormulaBox* box, const QString& span) {
    const auto at = int(box->document()->toPlainText().indexOf(span));
    const QTextBlock block = box->document()->findBlock(at);
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (at - block.position() >= range.start &&
            at - block.position() < range.start + range.length) {
            return range.format.foreground().color();
        }
    }
    return {};
}

QStringList Rows(const QListWidget* list) {
    QStringList rows;
    for (int row = 0; row < list->count(); ++row) {
        rows << list->item(row)->text();
    }
    return rows;
}

}  // namespace

class VariableEditingTest : public WindowTest {
    Q_OBJECT

    QListWidget* Names() { return m_w->Control<QListWidget>("List_Var"); }
    QListWidget* Values() { return m_w->Control<QListWidget>("List3"); }

    QString Evaluate(const QString& formula) {
        m_w->Formula()->SetText(formula);
        m_w->Formula()->setFocus();
        QTest::keyClick(m_w->Formula(), Qt::Key_F9);
        return m_w->Result();
    }

    void Select(int row) {
        Names()->setFocus();
        Names()->setCurrentRow(row);
    }

    // The context menu of `list` at `row` (-1: below the rows), as
    // "text shortcut" for each enabled entry and "(text)" for a disabled one.
    QStringList ContextMenu(QListWidget* list, int row) {
        const QPoint at =
            row >= 0 ? RowCentre(list, row) : QPoint(5, list->viewport()->height() - 5);
        QStringList shown;
        QTimer::singleShot(0, [&shown] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            for (const QAction* entry : menu->actions()) {
                const QString text = (entry->text() + " " + entry->shortcut().toString()).trimmed();
                shown << (entry->isSeparator() ? "-"
                          : entry->isEnabled() ? text
                                               : "(" + text + ")");
            }
            menu->close();
        });
        emit list->customContextMenuRequested(at);
        return shown;
    }

private slots:
    void initTestCase() { PrepareApplication(); }
    void init() { StartWindow(); }
    void cleanup() { EndWindow(); }

    void editValue_data() { AddCaseRows(kValueEdits); }
    void editValue() {
        const ValueEdit& c = FetchCase(kValueEdits);
        QLocale::setDefault(QLocale(c.locale));
        m_w->services.typed << c.typed;
        const QString before = Values()->item(c.row)->text().trimmed();
        switch (c.way) {
            case Way::F2OnNames:
                Select(c.row);
                QTest::keyClick(Names(), Qt::Key_F2);
                break;
            case Way::F2OnValues:
                Values()->setFocus();
                Values()->setCurrentRow(c.row);
                QTest::keyClick(Values(), Qt::Key_F2);
                break;
            case Way::DoubleClickValue:
                DoubleClickRow(Values(), c.row);
                break;
            case Way::MenuCommand:
                Select(c.row);
                m_w->Run("VariableEditValue");
                break;
        }
        QCOMPARE(m_w->services.calls.last(), "input Edit Value | Value of " +
                                                 Names()->item(c.row)->text().trimmed() + ": | " +
                                                 before);
        QCOMPARE(m_w->services.TakeMessages(), c.boxes);
        QCOMPARE(Values()->item(c.row)->text(), c.rowAfter);
        QCOMPARE(Evaluate(c.formula), c.result);
    }

    // A row made by Add has no indent, and keeps none.
    void longRowsShowWholeInATip_data() { AddCaseRows(kLongRows); }
    void longRowsShowWholeInATip() {
        const LongRow& c = FetchCase(kLongRows);
        auto* list = m_w->Control<QListWidget>(c.list);
        m_w->services.typed << QString(c.typed);
        Select(2);
        m_w->Run(list == Names() ? "VariableRename" : "VariableEditValue");
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

    void editAnAddedValue() {
        m_w->Click("Command2");
        m_w->services.typed << "3";
        Select(7);
        QTest::keyClick(Names(), Qt::Key_F2);
        QCOMPARE(Values()->item(7)->text(), "3.00");
        QCOMPARE(Evaluate("Var8*Var8"), "9.000000000000000");
    }

    void headingsStayAsTheyAre_data() {
        QTest::addColumn<int>("row");
        QTest::newRow("title") << 0;
        QTest::newRow("dashes") << 1;
    }
    void headingsStayAsTheyAre() {
        QFETCH(int, row);
        const QStringList names = Rows(Names());
        const QStringList values = Rows(Values());
        Select(row);
        QTest::keyClick(Names(), Qt::Key_F2);
        DoubleClickRow(Values(), row);
        for (const char* command : {"VariableEditValue", "VariableRename", "VariableRemove"}) {
            m_w->Run(command);
        }
        QCOMPARE(ContextMenu(Names(), row), (QStringList{"(Edit Value... F2)", "(Rename...)",
                                                         "(Remove)", "-", "Add Variable"}));
        QCOMPARE(m_w->services.calls, QStringList{"Dialog"});
        QCOMPARE(Rows(Names()), names);
        QCOMPARE(Rows(Values()), values);
    }

    void contextMenus() {
        QCOMPARE(ContextMenu(Names(), 3),
                 (QStringList{"Edit Value... F2", "Rename...", "Remove", "-", "Add Variable"}));
        QCOMPARE(Values()->currentRow(), 3);
        QCOMPARE(ContextMenu(Values(), 5),
                 (QStringList{"Edit Value... F2", "Remove", "-", "Add Variable"}));
        QCOMPARE(Names()->currentRow(), 5);
        QCOMPARE(ContextMenu(Values(), -1),
                 (QStringList{"(Edit Value... F2)", "(Remove)", "-", "Add Variable"}));
        QCOMPARE(Names()->currentRow(), -1);
    }

    void rename_data() { AddCaseRows(kRenamings); }
    void rename() {
        const Renaming& c = FetchCase(kRenamings);
        m_w->services.typed << c.typed;
        Select(2);
        m_w->Run("VariableRename");
        QCOMPARE(m_w->services.calls.last(), "input Rename Variable | New name for A: | A");
        QCOMPARE(m_w->services.TakeMessages(),
                 c.refusal ? QStringList{QString(c.refusal) + " | Vornel | exclamation"}
                           : QStringList());
        QCOMPARE(Names()->item(2)->text(), c.rowAfter);
        const QString name = Names()->item(2)->text().trimmed();
        QCOMPARE(Evaluate(name + "+B"), "300.000000000000000");
    }

    void renameThenUseInAnIfBlock() {
        m_w->services.typed << "Rate" << std::nullopt;
        Select(4);
        m_w->Run("VariableRename");
        m_w->Run("VariableRename");  // cancelled
        QCOMPARE(Names()->item(4)->text(), " Rate");
        QCOMPARE(Evaluate("If (Rate>250) Then Rate/3 Else 0 EndIf"), "100.000000000000000");
        QCOMPARE(Evaluate("C"), "0.000000000000000");
        QCOMPARE(m_w->services.TakeMessages(),
                 QStringList{"Invalid Expression! | Error Number-9 | exclamation"});
    }

    // The rows below a removed one move up a slot: with 34 variable rows the
    // last is beyond the engine's 33 slots until one row goes.
    void removeShiftsTheSlots() {
        for (int i = 0; i < 29; ++i) {
            m_w->Click("Command2");
        }
        QCOMPARE(Evaluate("C"), "300.000000000000000");
        QCOMPARE(m_w->services.TakeMessages(), QStringList{"Max number is32 | Vornel | none"});
        m_w->Formula()->SetText("C+Var36");  // the 34th variable, not the engine's
        QVERIFY(ShownColour(m_w->Formula(), "Var36") != ShownColour(m_w->Formula(), "C"));
        m_w->services.typed << "5";
        Select(35);
        m_w->Run("VariableEditValue");
        Select(3);
        m_w->Run("VariableRemove");
        QCOMPARE(Names()->count(), 35);
        QCOMPARE(Values()->count(), 35);
        QCOMPARE(Names()->item(3)->text(), " C    ");
        QCOMPARE(Values()->item(3)->text(), " 300.00");
        QCOMPARE(Names()->currentRow(), 3);
        QCOMPARE(Values()->currentRow(), 3);
        QCOMPARE(Evaluate("Var36+C"), "305.000000000000000");
        QCOMPARE(ShownColour(m_w->Formula(), "Var36"), ShownColour(m_w->Formula(), "C"));
        QCOMPARE(Evaluate("B"), "0.000000000000000");
        QCOMPARE(m_w->services.TakeMessages(),
                 QStringList{"Invalid Expression! | Error Number-9 | exclamation"});
    }

    void removeTheLastRowsOneByOne() {
        Select(6);
        QStringList selected;
        for (int i = 0; i < 6; ++i) {
            m_w->Run("VariableRemove");
            selected << QString::number(Names()->currentRow());
        }
        QCOMPARE(selected, (QStringList{"5", "4", "3", "2", "-1", "-1"}));
        QCOMPARE(Rows(Names()), (QStringList{" Variable ", "-----------------"}));
        QCOMPARE(Rows(Values()), (QStringList{" Value", "-----------------"}));
    }

    // Add names the next variable by the row count; a name already in the
    // list is passed over.
    void addNeverRepeatsAName() {
        m_w->Click("Command2");
        m_w->Click("Command2");
        Select(7);
        m_w->Run("VariableRemove");
        m_w->Click("Command2");
        m_w->services.typed << "var12";
        Select(2);
        m_w->Run("VariableRename");
        m_w->Run("VariableAdd");
        m_w->Click("Command2");
        QCOMPARE(Rows(Names()).mid(2), (QStringList{" var12", " B    ", " C    ", " D    ",
                                                    " E    ", "Var9", "Var10", "Var11", "Var13"}));
    }

    // The formula shows the listed variables in their own colour, as they
    // come and go; the colours never reach the text.
    void highlighting() {
        const QString formula = "If (Rate>1) Then\r\n  Rate*A\r\nElse \"x\" EndIf";
        FormulaBox* box = m_w->Formula();
        box->SetText(formula);
        QCoreApplication::processEvents();
        const QColor unknown = ShownColour(box, "Rate");
        QVERIFY(ShownColour(box, "If") != unknown);
        m_w->services.typed << "rate";
        Select(3);
        m_w->Run("VariableRename");
        QCOMPARE(ShownColour(box, "Rate"), ShownColour(box, "A"));
        QVERIFY(ShownColour(box, "Rate") != unknown);
        m_w->Run("VariableRemove");
        QCOMPARE(ShownColour(box, "Rate"), unknown);
        QCOMPARE(box->Text(), formula);
        box->selectAll();
        box->copy();
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(copied->formats(), QStringList{"text/plain"});
        QCOMPARE(copied->text(), QString(formula).replace("\r\n", "\n"));
    }

    void evaluateFromTheKeyboard_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("Ctrl+Return in the formula")
            << "Text_Formula" << QKeySequence("Ctrl+Return");
        QTest::newRow("F9 in the formula") << "Text_Formula" << QKeySequence("F9");
        QTest::newRow("F9 in the values") << "List3" << QKeySequence("F9");
        QTest::newRow("Ctrl+Return on a key") << "Button_Num_7" << QKeySequence("Ctrl+Return");
        QTest::newRow("Ctrl+Return in the result")
            << "Text_CalResult" << QKeySequence("Ctrl+Return");
    }
    void evaluateFromTheKeyboard() {
        QFETCH(QString, focus);
        QFETCH(QKeySequence, keys);
        m_w->Formula()->SetText("A+B");
        QWidget* control = m_w->Control(focus);
        control->setFocus();
        QTest::keySequence(control, keys);
        QCOMPARE(m_w->Result(), "300.000000000000000");
        QCOMPARE(m_w->Formula()->Text(), "A+B");
    }

    // Ctrl with the keypad's Enter evaluates too; Enter alone starts a line.
    void enterKeys() {
        m_w->Formula()->SetText("A+B");
        m_w->Formula()->moveCursor(QTextCursor::End);
        m_w->Formula()->setFocus();
        QTest::keyClick(m_w->Formula(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
        QCOMPARE(m_w->Result(), "300.000000000000000");
        QTest::keyClick(m_w->Formula(), Qt::Key_Return);
        QCOMPARE(m_w->Formula()->Text(), "A+B\r\n");
        QCOMPARE(m_w->Result(), "300.000000000000000");
        QCOMPARE(m_w->Control("Button_result_2")->toolTip(), "Evaluate (Ctrl+Return or F9)");
    }
};

QTEST_MAIN(VariableEditingTest)
#include "VariableEditingTest.moc"
