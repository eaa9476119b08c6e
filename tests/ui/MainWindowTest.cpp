// The main window as a whole: start-up and its size, the layout of every
// control, menus, the evaluation command with the variables it reads, Clear,
// Close, commands from the keyboard, the two information windows and the help
// document.
#include "HelpLocator.h"
#include "InfoWindows.h"
#include "QtWindowServices.h"
#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

const QString kFilter = "Text File (*.txt);; All files (*.*)";
const QString kMaxBox = "Max number is32 | Vornel | none";
const QString kMax = "boxes = " + kMaxBox;
const QString kInvalid = "boxes = Invalid Expression! | Error Number-%1 | exclamation";

// Value rows are read with "." in every locale. The engine takes 33
// variables; each row beyond gets its own box at every evaluation, and the
// evaluation goes on.
const Scenario kScenarios[] = {
    {"start-up formula", {"click Button_result_2", "result = 3,940.000000000000000"}},
    {"A+B with Go", {"formula A+B", "click Button_result_1", "result = 300.000000000000000"}},
    {"start-up values", {"eval A+2*B+3*C+4*D+5*E = 5,500.000000000000000"}},
    {"comma-decimal locale", {"locale de_DE", "eval A+B*10 = 2.100,000000000000000"}},
    {"empty", {"eval = 0"}},
    {"division by zero", {"eval 1/0 = 0.000000000000000", kInvalid.arg(11)}},
    {"line breaks only",
     {"formula \r\n\r\n", "click Button_result_1", "result = 0.000000000000000", kInvalid.arg(9)}},
    {"added variable", {"add 1", "eval VAR8+1 = 1.000000000000000"}},
    {"the last slot", {"add 28", "eval Var35+E = 500.000000000000000"}},
    {"rows too many",
     {"add 31", "eval A+B = 300.000000000000000", kMax + " / " + kMaxBox + " / " + kMaxBox,
      "eval A+B = 300.000000000000000", kMax + " / " + kMaxBox + " / " + kMaxBox}},
    {"typing replaces the example",
     {"focused = Text_Formula", "type 5+5", "key F9", "formula = 5+5[]",
      "result = 10.000000000000000"}},
    {"clear",
     {"eval A+B = 300.000000000000000", "click Button_ClearFormula", "formula = []", "result = 0"}},
    {"Close button", {"click Button_Close_0", "shown = no"}},
    {"Ctrl+E in the formula", {"focus Text_Formula", "key Ctrl+E", "shown = no"}},
    {"Alt+C access key", {"focus Text_Formula", "key Alt+C", "shown = no"}},
    {"about", {"run MenuHelp_about", "calls = frmAbout"}},
    // Ctrl+O and Ctrl+S reach the file commands from the formula box;
    // cancelling either dialog changes nothing.
    {"file dialogs cancelled",
     {"answer ", "answer ", "focus Text_Formula", "key Ctrl+O", "key Ctrl+S",
      "calls = open " + kFilter + " / save Expression.txt | " + kFilter + " | txt", "example = 0"}},
    // Screen readers get words for symbols.
    {"spoken names",
     {"spoken Button_Num_26 = Or", "spoken Button_Num_16 = Not equal", "spoken Button_Num_7 = 7",
      "spoken Button_result_1 = Evaluate", "spoken Button_Close_0 = Close",
      "spoken List3 = Variable values"}},
    // Wherever the focus is; Enter alone starts a line.
    {"evaluating from the keyboard",
     {"formula A+B",
      "focus Text_Formula",
      "key Ctrl+Return",
      "result = 300.000000000000000",
      "result x",
      "key F9",
      "result = 300.000000000000000",
      "result x",
      "key Ctrl+Num+Enter",
      "result = 300.000000000000000",
      "result x",
      "focus List3",
      "key F9",
      "result = 300.000000000000000",
      "result x",
      "focus Button_Num_7",
      "key Ctrl+Return",
      "result = 300.000000000000000",
      "focus Text_CalResult",
      "result x",
      "key Ctrl+Return",
      "result = 300.000000000000000",
      "focus Text_Formula",
      "key Return",
      "formula = A+B\r\n[]",
      "result = 300.000000000000000",
      "tip Button_result_2 = Evaluate (Ctrl+Return or F9)"}},
};

// After a failure the formula box points at its place: the selection
// ("[" anchor, "]" caret), the underlined text and the tool tip.
struct FaultMark {
    const char* name;
    const char* formula;
    const char* marked;
    const char* underlined;
    const char* explanation;
};
const FaultMark kFaultMarks[] = {
    {"sign", "1+2*-3", "1+2*[-]3", "-", "A sign cannot follow an operator here (Error Number-9)"},
    {"second line", "If (A>1) Then\r\n  A/0\r\nElse\r\n  0\r\nEndIf",
     "If (A>1) Then\r\n  A[/]0\r\nElse\r\n  0\r\nEndIf", "/",
     "A number cannot be divided by zero (Error Number-11)"},
    {"missing keyword", "IF (TRUE) THEN 1 ENDIF", "IF (TRUE) THEN 1 []ENDIF", "",
     "An If block needs Else, and it is missing here (Error Number-5)"},
    {"after a character of two UTF-16 units", "\U0001D465+2*-3", "\U0001D465+2*[-]3", "-",
     "A sign cannot follow an operator here (Error Number-9)"},
};

}  // namespace

class MainWindowTest : public WindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { PrepareApplication(); }
    void init() { StartWindow(); }
    void cleanup() { EndWindow(); }

    void scenario_data() { AddCaseRows(kScenarios); }
    void scenario() { PlayCase(kScenarios); }

    void startUp() {
        FakeServices services;
        Main window(services);
        auto* names = window.findChild<QListWidget*>("List_Var");
        auto* formula = window.findChild<FormulaBox*>("Text_Formula");
        services.onProductInformation = [&] {
            services.calls << QStringLiteral("shown %1, %2 rows, '%3'")
                                  .arg(window.isVisible())
                                  .arg(names->count())
                                  .arg(formula->Text());
        };
        window.Form_Load();
        QCOMPARE(services.calls, (QStringList{"Dialog", "shown 0, 0 rows, ''"}));
        const auto* examples = window.findChild<QComboBox*>("Combo1");
        QCOMPARE(examples->currentText(), "Example Expression 1");
        QCOMPARE(examples->itemText(examples->count() - 1), "Example Expression 4");
        QCOMPARE(window.findChild<QLineEdit*>("Text_CalResult")->text(), "");
        QCOMPARE(window.windowTitle(), "Vornel");
        QCOMPARE(window.minimumSize(), window.maximumSize());
        // The client area below the menu bar.
        const QWidget* client = window.centralWidget();
        QCOMPARE(window.size(), client->size() + QSize(0, window.menuBar()->sizeHint().height()));
        QVERIFY(window.windowFlags().testFlag(Qt::CustomizeWindowHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        // The build puts the help document beside the programs, where start-up
        // looks first.
        window.findChild<QAction*>("MenuHelp_Help")->trigger();
        QCOMPARE(
            services.calls.last(),
            "help " + QDir(QCoreApplication::applicationDirPath()).filePath("vornel-help.html"));
    }

    // A box is wide enough for its whole title in a bold title-bar font
    // beside the window manager's icon and three buttons.
    void boxTitlesShowWhole() {
        for (const QString title : {"Error Number-11", "Vornel", ""}) {
            int width = 0;
            QTimer::singleShot(0, [&width] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box != nullptr);
                width = box->width();
                box->accept();
            });
            QtWindowServices().ShowMessage(&m_w->window, "x", title, MessageIcon::Exclamation);
            QFont bold = m_w->window.font();
            bold.setBold(true);
            QVERIFY2(width >= QFontMetrics(bold).horizontalAdvance(title) + 4 * 24,
                     qPrintable(title));
        }
    }

    void everyControl_data() {
        QTest::addColumn<int>("row");
        for (std::size_t i = 0; i < MainControls().size(); ++i) {
            QTest::newRow(qPrintable(MainControls()[i].objectName)) << int(i);
        }
    }
    // Built once, as the table has it, inside its band without covering a
    // neighbour, its caption showing whole.
    void everyControl() {
        const ControlSpec& entry = FetchCase(MainControls());
        QWidget* control = m_w->Control(entry.objectName);
        QCOMPARE(m_w->window.findChildren<QWidget*>(entry.objectName).size(), 1);
        const char* const bands[] = {"ClientArea", "Frame1", "Frame2", "Frame3"};
        const QWidget* band = control->parentWidget();
        QCOMPARE(band->objectName(), bands[int(entry.band)]);
        QCOMPARE(control->toolTip(), entry.toolTip);
        QVERIFY(band->rect().contains(control->geometry()));
        for (const QWidget* other : band->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(other == control || entry.kind == ControlKind::Frame ||
                         !other->geometry().intersects(control->geometry()),
                     qPrintable(other->objectName()));
        }
        // "&&" shows one ampersand; a single "&" marks the access key.
        const QString caption = control->property("text").toString();
        QCOMPARE(caption, entry.caption);
        const auto* button = qobject_cast<QPushButton*>(control);
        QString shown = caption;
        shown.replace("&&", "\1").remove('&').replace('\1', '&');
        QVERIFY(control->fontMetrics().horizontalAdvance(shown) + (button ? 6 : 0) <=
                control->width());
        QVERIFY(control->fontMetrics().height() + 2 <= control->height());
        // Screen readers get words for every control, never a symbol.
        const QString spoken =
            QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
        QVERIFY2(QRegularExpression("^[A-Za-z0-9][A-Za-z0-9 ]*:?$").match(spoken).hasMatch(),
                 qPrintable(spoken));
        if (button) {
            const QColor colour = button->palette().color(QPalette::Button);
            QCOMPARE(colour.blue() > colour.red() + 40, entry.kind == ControlKind::KeypadButton);
            QCOMPARE(button->icon().pixmap(button->iconSize()).isNull(),
                     entry.kind != ControlKind::PictureButton);
        }
    }

    // The keypad keeps its light blue in a dark theme, with dark text on it.
    void keypadReadableInADarkTheme() {
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        dark.setColor(QPalette::Button, QColor(0x45, 0x45, 0x45));
        dark.setColor(QPalette::ButtonText, Qt::white);
        QApplication::setPalette(dark);
        FakeServices services;
        Main window(services);
        QApplication::setPalette(light);
        for (const char* key : {"Button_Num_7", "Button_Num_26", "Button_result_2"}) {
            const QPalette shown = window.findChild<QPushButton*>(key)->palette();
            QVERIFY2(shown.color(QPalette::Button).lightness() -
                             shown.color(QPalette::ButtonText).lightness() >
                         150,
                     key);
        }
    }

    void menus() {
        QStringList shown;
        for (const QAction* menu : m_w->window.menuBar()->actions()) {
            shown << menu->text() + ":";
            for (const QAction* item : menu->menu()->actions()) {
                shown.last() += item->isSeparator()
                                    ? QStringLiteral(" -")
                                    : " " + item->text() + " " + item->shortcut().toString();
            }
        }
        QCOMPARE(shown, (QStringList{
                            "&File: &Open Expression from... Ctrl+O &Save Expression as... Ctrl+S "
                            "- &Exit Ctrl+E",
                            "&Edit: Cut Ctrl+X Copy Ctrl+C Paste Ctrl+V Delete Del",
                            "&Help: Help F1 About... ",
                        }));
    }

    void faultMark_data() { AddCaseRows(kFaultMarks); }
    void faultMark() {
        const FaultMark& c = FetchCase(kFaultMarks);
        FormulaBox* box = m_w->Formula();
        box->SetText(QString::fromUtf8(c.formula));
        const auto colours = box->document()->lastBlock().layout()->formats();
        const int undoSteps = box->document()->availableUndoSteps();
        m_w->Click("Button_result_2");
        QCOMPARE(m_w->services.TakeMessages().size(), 1);
        QCOMPARE(Marked(box), QString::fromUtf8(c.marked));
        QVERIFY(box->hasFocus());
        const auto marks = box->extraSelections();
        QCOMPARE(marks.size(), 1);
        QCOMPARE(marks[0].cursor.selectedText(), QString::fromUtf8(c.underlined));
        QCOMPARE(marks[0].format.underlineStyle(), QTextCharFormat::WaveUnderline);
        QCOMPARE(marks[0].format.underlineColor(), QColor(Qt::red));
        QCOMPARE(box->toolTip(), c.explanation);
        QCOMPARE(m_w->Control<QLineEdit>("Text_CalResult")->toolTip(), c.explanation);
        // Marking leaves the text, its colours and the undo history alone.
        QCOMPARE(box->Text(), QString::fromUtf8(c.formula));
        QCOMPARE(box->document()->lastBlock().layout()->formats(), colours);
        QCOMPARE(box->document()->availableUndoSteps(), undoSteps);
        // Colouring again is no edit; typing is.
        box->SetVariableNames({"A", "B"});
        QCOMPARE(box->extraSelections().size(), 1);
        QTest::keyClicks(box, "7");
        QVERIFY(box->extraSelections().isEmpty());
        QCOMPARE(box->toolTip(), QString());
    }

    void informationWindows() {
        frmAbout about;
        Dialog dialog;
        QCOMPARE(about.windowTitle(), "About Vornel");
        QCOMPARE(about.findChild<QLabel*>("lblVersion")->text(), "Version 2.1");
        QCOMPARE(dialog.findChild<QLabel*>("Label1")->text(), "Vornel V2.1");
        // Every text shows whole, and both windows have their picture.
        for (const QLabel* label : about.findChildren<QLabel*>() + dialog.findChildren<QLabel*>()) {
            QVERIFY2(label->text().isEmpty()
                         ? !label->pixmap().isNull()
                         : label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->objectName()));
        }
        // Esc and Enter close the About window.
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
            about.open();
            QVERIFY(QTest::qWaitForWindowExposed(&about));
            QTest::keyClick(&about, key);
            QVERIFY(!about.isVisible());
            QCOMPARE(about.result(), key == Qt::Key_Escape ? QDialog::Rejected : QDialog::Accepted);
        }
    }

    void help_data() {
        QTest::addColumn<QStringList>("holders");  // folders holding the document
        QTest::addColumn<QString>("started");      // none: a box says so
        QTest::addColumn<bool>("viewerStarts");
        QTest::newRow("beside the program") << QStringList{"program"} << "program" << true;
        QTest::newRow("both: the program's own wins")
            << QStringList{"program", "data"} << "program" << true;
        QTest::newRow("installed only") << QStringList{"data"} << "data" << true;
        QTest::newRow("nowhere") << QStringList() << "" << true;
        QTest::newRow("no viewer starts") << QStringList{"data"} << "data" << false;
    }
    void help() {
        QFETCH(QStringList, holders);
        QFETCH(QString, started);
        QFETCH(bool, viewerStarts);
        QTemporaryDir root;
        for (const QString& folder : {QStringLiteral("program"), QStringLiteral("data")}) {
            QVERIFY(QDir(root.path()).mkpath(folder));
            QFile document(root.filePath(folder + "/vornel-help.html"));
            QVERIFY(!holders.contains(folder) || document.open(QIODevice::WriteOnly));
        }
        m_w->window.SetHelpDocumentCandidates(
            HelpDocumentCandidates(root.filePath("program"), root.filePath("data")));
        m_w->services.helpViewerStarts = viewerStarts;
        QTest::keyClick(m_w->Formula(), Qt::Key_F1);
        const QString path = root.filePath(started + "/vornel-help.html");
        const QString box = started.isEmpty()
                                ? "The help document vornel-help.html cannot be found."
                                : "No viewer could be started for the help document:\n" + path;
        QCOMPARE(m_w->services.TakeMessages(), started.isEmpty() || !viewerStarts
                                                   ? QStringList{box + " | Vornel | exclamation"}
                                                   : QStringList());
        QCOMPARE(m_w->services.calls,
                 started.isEmpty() ? QStringList() : QStringList{"help " + path});
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
