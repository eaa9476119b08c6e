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
const QString kInvalid = "boxes = Invalid Expression! | Error Number-%1 | exclamation";

// Value rows are read with "." in every locale. The engine takes 33
// variables; each row beyond gets its own box at every evaluation, and the
// evaluation goes on.
const Scenario kScenarios[] = {
    {"start-up formula", {"click Button_result_2", "result = 3,940.000000000000000"}},
    {"A+B with Go", {"formula A+B", "click Button_result_1", "result = 300.000000000000000"}},
    {"comma-decimal locale", {"locale de_DE", "eval A+B*10 = 2.100,000000000000000"}},
    {"division by zero", {"eval 1/0 = 0.000000000000000", kInvalid.arg(11)}},
    {"typing replaces the example",
     {"focused = Text_Formula", "type 5+5", "key F9", "formula = 5+5[]",
      "result = 10.000000000000000", "tip Text_Formula = Edit the expression "}},
    // The result line follows typing after a pause, without a box.
    {"result line",
     {"focus Text_Formula", "formula []", "type 1+2*-3", "line = ", "pause",
      "line = A sign cannot follow an operator here (Error Number-9)", "boxes = ", "type 4",
      "pause", "line = A sign cannot follow an operator here (Error Number-9)", "formula [A+B]",
      "pause", "line = = 300.000000000000000"}},
    {"clear, then undo",
     {"eval A+B = 300.000000000000000", "click Button_ClearFormula", "formula = []", "result = 0",
      "focus Text_Formula", "key Ctrl+Z", "formula = A+B[]", "ran = Evaluate / MenuEdit_Undo"}},
    // History: "=" adds, Up recalls, Enter puts back, Ctrl+Enter the value.
    {"history",
     {"eval 2*3 = 6.000000000000000",
      "eval 1/0 = 0.000000000000000",
      kInvalid.arg(11),
      "history = 2*3  =  6.000000000000000 / 1/0  \u2192  A number cannot be divided by zero "
      "(Error Number-11)",
      "formula x[]",
      "focus Text_Formula",
      "key Up",
      "formula = 1/0[]",
      "key Up",
      "formula = 2*3[]",
      "key Down",
      "formula = 1/0[]",
      "select List_History 0",
      "key Return",
      "formula = 2*3[]",
      "focused = Text_Formula",
      "formula A+[]",
      "select List_History 0",
      "key Ctrl+Return",
      "formula = A+6[]",
      "ran = Evaluate / Evaluate",
      "run MenuEdit_ClearHistory",
      "history = "}},
    {"explain", {"focus Text_Formula", "key Shift+F9", "ran = MenuEdit_Explain"}},
    {"Close button", {"click Button_Close_0", "shown = no"}},
    {"Ctrl+E in the formula", {"focus Text_Formula", "key Ctrl+E", "shown = no"}},
    {"Alt+C access key", {"focus Text_Formula", "key Alt+C", "shown = no"}},
    {"about", {"run MenuHelp_about", "calls = frmAbout"}},
    // Ctrl+O and Ctrl+S reach the file commands from the formula box;
    // cancelling either dialog changes nothing.
    {"file dialogs cancelled",
     {"cancel", "cancel", "focus Text_Formula", "key Ctrl+O", "key Ctrl+S",
      "calls = open " + kFilter + " / save Expression.txt | " + kFilter + " | txt", "example = 0"}},
    // Screen readers get words for symbols.
    {"spoken names",
     {"spoken Button_Num_26 = Or", "spoken Button_Num_16 = Not equal", "spoken Button_Num_7 = 7",
      "spoken Button_result_1 = Evaluate", "spoken Button_Close_0 = Close",
      "spoken List3 = Variable values", "spoken Label_ResultLine = Result line"}},
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

// After a failure the formula box selects its place and draws the model's
// marks: a red wave under a failure, under the character beside an empty
// place; the result line shows its messages whole; clicking the message
// selects the place again.
struct FaultMark {
    const char* name;
    const char* formula;
    const char* marked;
    const char* underlined;
};
const FaultMark kFaultMarks[] = {
    {"sign", "1+2*-3", "1+2*[-]3", "-"},
    {"second line", "If (A>1) Then\r\n  A/0\r\nElse\r\n  0\r\nEndIf",
     "If (A>1) Then\r\n  A[/]0\r\nElse\r\n  0\r\nEndIf", "/"},
    {"missing keyword", "IF (TRUE) THEN 1 ENDIF", "IF (TRUE) THEN 1 []ENDIF", "E"},
    {"after a character of two UTF-16 units", "\U0001D465+2*-3", "\U0001D465+2*[-]3", "-"},
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
        // The example is selected, so that typing replaces it, and shown from
        // its first line.
        QCOMPARE(formula->textCursor().selectedText().size(), formula->toPlainText().size());
        QCOMPARE(formula->verticalScrollBar()->value(), 0);
        // The layout's size is where the window starts and the least it has.
        const QSize layout(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));
        QCOMPARE(window.size(), layout + QSize(0, window.menuBar()->sizeHint().height()));
        QCOMPARE(window.minimumSize(), window.size());
        QVERIFY(window.maximumWidth() > 4000);
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

    // An input dialog shows its title whole too, and keeps what was typed with
    // the reason while its check refuses it.
    void inputDialogs() {
        QStringList seen;
        QTimer::singleShot(0, [&seen] {
            auto* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            seen << QString::number(dialog->width());
            auto* line = dialog->findChild<QLineEdit*>("InputLine0");
            line->setText("2x");
            QTest::keyClick(line, Qt::Key_Return);
            seen << dialog->findChild<QLabel*>("InputReason")->text() << line->text()
                 << QString::number(dialog->isVisible());
            line->setText("ok");
            QTest::keyClick(line, Qt::Key_Return);
        });
        const InputRequest request{"Rename Variable",
                                   {{"New name for A:", "A"}},
                                   [](const std::vector<std::string>& lines) {
                                       return lines[0] == "ok" ? "" : "not " + lines[0];
                                   }};
        const auto typed = QtWindowServices().GetInput(&m_w->window, request);
        QVERIFY(typed.has_value());
        QCOMPARE(typed->at(0), "ok");
        QFont bold = m_w->window.font();
        bold.setBold(true);
        QVERIFY(seen.value(0).toInt() >= QFontMetrics(bold).horizontalAdvance("Rename Variable"));
        QCOMPARE(seen.mid(1), (QStringList{"not 2x", "2x", "1"}));
    }

    // The formula, result line, history and lists grow with the window; its
    // size and place are kept for the next run.
    void windowGrows() {
        Main& window = m_w->window;
        const QSize least = window.size();
        const auto size = [this](const char* name) { return m_w->Control(name)->size(); };
        const QSize formula = size("Text_Formula"), history = size("List_History"),
                    names = size("List_Var"), line = size("Label_ResultLine");
        window.resize(least + QSize(400, 200));
        QTRY_COMPARE(size("Text_Formula"), formula + QSize(300, 100));
        QCOMPARE(size("List_History"), history + QSize(300, 100));
        QCOMPARE(size("Label_ResultLine"), line + QSize(300, 0));
        QCOMPARE(size("List_Var"), names + QSize(50, 200));
        const QRect grown = window.normalGeometry();
        window.close();
        FakeServices services;
        Main again(services);
        again.Form_Load();
        QCOMPARE(again.normalGeometry().size(), grown.size());
        window.resize(100, 100);
        QCOMPARE(window.size(), least);
    }

    void everyControl_data() {
        QTest::addColumn<int>("row");
        for (std::size_t i = 0; i < MainControls().size(); ++i) {
            QTest::newRow(MainControls()[i].objectName.c_str()) << int(i);
        }
    }
    // Built once, as the table has it, inside its band without covering a
    // neighbour, its caption showing whole.
    void everyControl() {
        const ControlSpec& entry = FetchCase(MainControls());
        const QString name = QString::fromStdString(entry.objectName);
        QWidget* control = m_w->Control(name);
        QCOMPARE(m_w->window.findChildren<QWidget*>(name).size(), 1);
        const char* const bands[] = {"ClientArea", "Frame1", "Frame2", "Frame3"};
        const QWidget* band = control->parentWidget();
        QCOMPARE(band->objectName(), bands[int(entry.band)]);
        QCOMPARE(control->toolTip(), QString::fromStdString(entry.toolTip));
        QVERIFY(band->rect().contains(control->geometry()));
        for (const QWidget* other : band->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(other == control || entry.kind == ControlKind::Frame ||
                         !other->geometry().intersects(control->geometry()),
                     qPrintable(other->objectName()));
        }
        // "&&" shows one ampersand; a single "&" marks the access key.
        const QString caption = control->property("text").toString();
        QCOMPARE(caption, QString::fromStdString(entry.caption));
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
                            "&Edit: Undo Ctrl+Z Redo Ctrl+Y - Cut Ctrl+X Copy Ctrl+C Paste Ctrl+V "
                            "Delete Del - Explain If Block Shift+F9 Clear History ",
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
        // The failure's red wave; a note's amber one may stand beside it.
        const auto& marks = box->Marks();
        const auto red = std::find_if(marks.begin(), marks.end(), [](const FormulaBox::Mark& m) {
            return m.colour == QColor(0xd0, 0x00, 0x00);
        });
        QVERIFY(red != marks.end());
        const FormulaBox::Mark& mark = *red;
        QTextCursor underlined(box->document());
        underlined.setPosition(box->PositionOf(mark.begin));
        underlined.setPosition(box->PositionOf(mark.end), QTextCursor::KeepAnchor);
        QCOMPARE(underlined.selectedText(), QString::fromUtf8(c.underlined));
        QVERIFY(mark.wave);
        const std::size_t markCount = marks.size();
        // Marking leaves the text, its colours and the undo history alone.
        QCOMPARE(box->Text(), QString::fromUtf8(c.formula));
        QCOMPARE(box->document()->lastBlock().layout()->formats(), colours);
        QCOMPARE(box->document()->availableUndoSteps(), undoSteps);
        // The message shows whole at the starting size, and is a link to the
        // place: Tab moves onto it and Enter follows it.
        auto* line = m_w->Control<QTextBrowser>("Label_ResultLine");
        QTRY_COMPARE(line->verticalScrollBar()->maximum(), 0);
        box->moveCursor(QTextCursor::Start);
        line->setFocus();
        QTest::keyClick(line, Qt::Key_Tab);
        QTest::keyClick(line, Qt::Key_Return);
        QCOMPARE(Marked(box), QString::fromUtf8(c.marked));
        // Colouring again is no edit; typing is.
        box->SetVariableNames({"A", "B"});
        QCOMPARE(box->Marks().size(), markCount);
        QTest::keyClicks(box, "7");
        QVERIFY(box->Marks().empty());
        QCOMPARE(box->toolTip(), "Edit the expression ");
    }

    // Messages longer than the line's rows wrap and scroll: the keyboard
    // reaches the last one, and a click on it selects its place.
    void longMessagesScroll() {
        FormulaBox* box = m_w->Formula();
        box->SetText("2^3+X+Y");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_F9);
        auto* line = m_w->Control<QTextBrowser>("Label_ResultLine");
        const QScrollBar* bar = line->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTest::keyClick(box, Qt::Key_Tab);
        QVERIFY(line->hasFocus());
        QTest::keyClick(line, Qt::Key_End);
        QCOMPARE(bar->value(), bar->maximum());
        QTest::keyClick(line, Qt::Key_Home);
        QCOMPARE(bar->value(), 0);
        // Tab goes through the messages to the last, scrolling it into view.
        QString focused;
        for (int i = 0; i < 20 && line->hasFocus(); ++i) {
            focused = line->textCursor().selectedText();
            QTest::keyClick(line, Qt::Key_Tab);
        }
        QCOMPARE(focused, "Y is not a variable and is skipped");
        QCOMPARE(bar->value(), bar->maximum());
        const QTextCursor last = line->document()->find(focused);
        QTest::mouseClick(line->viewport(), Qt::LeftButton, {},
                          line->cursorRect(last).center() - QPoint(20, 0));
        QCOMPARE(Marked(box), "2^3+X+[Y]");
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
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
