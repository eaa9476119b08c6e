// The main window as a whole: start-up, the layout of every control, menus,
// the evaluation command with the variables it reads, Clear, Close, the two
// information windows and the help document.
#include "Examples.h"
#include "HelpLocator.h"
#include "InfoWindows.h"
#include "QtWindowServices.h"
#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

const char* const kEquals = "Button_result_2";
const char* const kGo = "Button_result_1";
const QString kMax = "Max number is32 | Vornel | none";
const QString kInvalid = "Invalid Expression! | Error Number-%1 | exclamation";

// Value rows are read with "." in every locale. The engine takes 33
// variables; each row beyond gets its own box at every evaluation, and the
// evaluation goes on.
struct Evaluation {
    const char* name;
    const char* locale;
    int additions;        // clicks on Add first
    const char* formula;  // nullptr: the start-up formula
    const char* button;
    const char* result;
    QStringList boxes;  // at each of two evaluations
};
const Evaluation kEvaluations[] = {
    {"A+B with =", "en_US", 0, "A+B", kEquals, "300.000000000000000", {}},
    {"A+B with Go", "en_US", 0, "A+B", kGo, "300.000000000000000", {}},
    {"start-up values", "en_US", 0, "A+2*B+3*C+4*D+5*E", kEquals, "5,500.000000000000000", {}},
    {"comma-decimal locale", "de_DE", 0, "A+B*10", kEquals, "2.100,000000000000000", {}},
    {"start-up formula", "en_US", 0, nullptr, kEquals, "3,940.000000000000000", {}},
    {"empty", "en_US", 0, "", kEquals, "0", {}},
    {"division by zero", "en_US", 0, "1/0", kEquals, "0.000000000000000", {kInvalid.arg(11)}},
    {"line breaks only", "en_US", 0, "\r\n\r\n", kGo, "0.000000000000000", {kInvalid.arg(9)}},
    {"added variable", "en_US", 1, "VAR8+1", kEquals, "1.000000000000000", {}},
    {"the last slot", "en_US", 28, "Var35+E", kEquals, "500.000000000000000", {}},
    {"one row too many", "en_US", 29, "A+B", kEquals, "300.000000000000000", {kMax}},
    {"three too many", "en_US", 31, "A+B", kEquals, "300.000000000000000", QStringList(3, kMax)},
};

}  // namespace

class MainWindowTest : public WindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { PrepareApplication(); }
    void init() { StartWindow(); }
    void cleanup() { EndWindow(); }

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
        QCOMPARE(formula->Text(), *ExampleExpression(0));
        QCOMPARE(window.findChild<QComboBox*>("Combo1")->currentText(), "Example Expression 1");
        QCOMPARE(window.findChild<QLineEdit*>("Text_CalResult")->text(), "");
        QCOMPARE(names->count(), 7);
        QCOMPARE(window.findChild<QListWidget*>("List3")->count(), 7);
        QCOMPARE(window.windowTitle(), "Vornel");
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(window.windowFlags().testFlag(Qt::CustomizeWindowHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    }

    // The formula box has the keyboard focus, with the example selected.
    void typingAfterStartUp() {
        QCOMPARE(QApplication::focusWidget(), m_w->Formula());
        QTest::keyClicks(QApplication::focusWidget(), "5+5");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
        QCOMPARE(m_w->Formula()->Text(), "5+5");
        QCOMPARE(m_w->Result(), "10.000000000000000");
    }

    // A box is wide enough for its whole title in a bold title-bar font
    // beside the window manager's icon and three buttons.
    void boxTitlesShowWhole_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("failure number") << "Error Number-11"
                                        << "Invalid Expression!";
        QTest::newRow("application title") << "Vornel"
                                           << "Max number is32";
        QTest::newRow("no title") << ""
                                  << "x";
    }
    void boxTitlesShowWhole() {
        QFETCH(QString, title);
        QFETCH(QString, prompt);
        int width = 0;
        QTimer::singleShot(0, [&width] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            width = box->width();
            box->accept();
        });
        QtWindowServices().ShowMessage(&m_w->window, prompt, title, MessageIcon::Exclamation);
        QFont bold = m_w->window.font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        QVERIFY2(width >= metrics.horizontalAdvance(title) + 4 * 24,
                 qPrintable(QString::number(width)));
    }

    void everyControl_data() {
        QTest::addColumn<int>("row");
        for (std::size_t i = 0; i < MainControls().size(); ++i) {
            QTest::newRow(qPrintable(MainControls()[i].objectName)) << int(i);
        }
    }
    // Built as the table has it, inside its band without covering a neighbour,
    // its caption showing whole.
    void everyControl() {
        const ControlSpec& entry = FetchCase(MainControls());
        QWidget* control = m_w->Control(entry.objectName);
        QVERIFY(control != nullptr);
        const char* const bands[] = {"ClientArea", "Frame1", "Frame2", "Frame3"};
        const QWidget* band = control->parentWidget();
        QCOMPARE(band->objectName(), bands[int(entry.band)]);
        QCOMPARE(control->geometry(), TwipsToPixels(entry.twips));
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

    void spokenNames_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("Or") << "Button_Num_26"
                            << "Or";
        QTest::newRow("And") << "Button_Num_27"
                             << "And";
        QTest::newRow("Not equal") << "Button_Num_16"
                                   << "Not equal";
        QTest::newRow("a digit") << "Button_Num_7"
                                 << "7";
        QTest::newRow("Go picture") << "Button_result_1"
                                    << "Evaluate";
        QTest::newRow("=") << "Button_result_2"
                           << "Evaluate";
        QTest::newRow("access key") << "Button_Close_0"
                                    << "Close";
        QTest::newRow("formula") << "Text_Formula"
                                 << "Expression";
        QTest::newRow("values") << "List3"
                                << "Variable values";
    }
    void spokenNames() {
        QFETCH(QString, control);
        QFETCH(QString, spoken);
        QCOMPARE(
            QAccessible::queryAccessibleInterface(m_w->Control(control))->text(QAccessible::Name),
            spoken);
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

    void evaluation_data() { AddCaseRows(kEvaluations); }
    void evaluation() {
        const Evaluation& c = FetchCase(kEvaluations);
        QLocale::setDefault(QLocale(c.locale));
        for (int i = 0; i < c.additions; ++i) {
            m_w->Click("Command2");
        }
        if (c.formula != nullptr) {
            m_w->Formula()->SetText(c.formula);
        }
        for (int evaluation = 0; evaluation < 2; ++evaluation) {
            m_w->Click(c.button);
            QCOMPARE(m_w->Result(), c.result);
            QCOMPARE(m_w->services.TakeMessages(), c.boxes);
        }
    }

    void clear() {
        m_w->Formula()->SetText("A+B");
        m_w->Click(kEquals);
        m_w->Click("Button_ClearFormula");
        QCOMPARE(m_w->Formula()->Text(), "");
        QCOMPARE(m_w->Result(), "0");
    }

    void close_data() {
        QTest::addColumn<QKeySequence>("keys");  // none: a click on the Close button
        QTest::newRow("Close button") << QKeySequence();
        QTest::newRow("Ctrl+E in the formula") << QKeySequence("Ctrl+E");
        QTest::newRow("Alt+C access key") << QKeySequence("Alt+C");
    }
    void close() {
        QFETCH(QKeySequence, keys);
        m_w->Formula()->setFocus();
        if (keys.isEmpty()) {
            m_w->Click("Button_Close_0");
        } else {
            QTest::keySequence(m_w->Formula(), keys);
        }
        // An access key clicks its button with a short animation.
        QTRY_VERIFY(!m_w->window.isVisible());
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
        m_w->Run("MenuHelp_about");
        QCOMPARE(m_w->services.calls, (QStringList{"Dialog", "frmAbout"}));
    }

    void aboutClosesWith_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("Enter") << int(Qt::Key_Return);
    }
    void aboutClosesWith() {
        QFETCH(int, key);
        frmAbout about;
        about.open();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::keyClick(&about, Qt::Key(key));
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), key == Qt::Key_Escape ? QDialog::Rejected : QDialog::Accepted);
    }

    void help_data() {
        QTest::addColumn<QStringList>("holders");  // folders holding the document
        QTest::addColumn<QString>("started");      // none: a box says so
        QTest::newRow("beside the program") << QStringList{"program"} << "program";
        QTest::newRow("both: the program's own wins")
            << QStringList{"program", "data"} << "program";
        QTest::newRow("installed only") << QStringList{"data"} << "data";
        QTest::newRow("nowhere") << QStringList() << "";
    }
    void help() {
        QFETCH(QStringList, holders);
        QFETCH(QString, started);
        QTemporaryDir root;
        for (const QString& folder : {QStringLiteral("program"), QStringLiteral("data")}) {
            QVERIFY(QDir(root.path()).mkpath(folder));
            QFile document(root.filePath(folder + "/vornel-help.html"));
            QVERIFY(!holders.contains(folder) || document.open(QIODevice::WriteOnly));
        }
        m_w->window.SetHelpDocumentCandidates(
            HelpDocumentCandidates(root.filePath("program"), root.filePath("data")));
        m_w->services.calls.clear();
        QTest::keyClick(m_w->Formula(), Qt::Key_F1);
        if (started.isEmpty()) {
            QCOMPARE(m_w->services.TakeMessages(),
                     QStringList{"The help document vornel-help.html cannot be found. | Vornel | "
                                 "exclamation"});
        }
        const QString path = root.filePath(started + "/vornel-help.html");
        QCOMPARE(m_w->services.calls,
                 started.isEmpty() ? QStringList() : QStringList{"help " + path});
    }

    // The build puts the help document beside the programs, where start-up
    // looks first. A viewer that does not start is reported.
    void helpBesideTheProgram() {
        const QString path =
            QDir(QCoreApplication::applicationDirPath()).filePath("vornel-help.html");
        QVERIFY(QFile::exists(path));
        m_w->services.calls.clear();
        m_w->services.helpViewerStarts = false;
        m_w->Run("MenuHelp_Help");
        QCOMPARE(m_w->services.calls, QStringList{"help " + path});
        QCOMPARE(m_w->services.TakeMessages(),
                 QStringList{"No viewer could be started for the help document:\n" + path +
                             " | Vornel | exclamation"});
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
