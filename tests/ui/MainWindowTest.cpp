// The main window as a whole: start-up, the layout of every control, menus,
// the evaluation command, Clear and Close.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

const QString kExample1 = QStringLiteral(
    "If (A>100 & B<200 ) Then\r\n"
    "        B*C-(Max(D,E-100))\r\n"
    "ElseIf (A<100 | B>=100) Then\r\n"
    "        Ceil(B/5)+20*B-Min(E*10, A)\r\n"
    "ElseIf (A=100) Then\r\n"
    "        Round(B/5,3)*C-Min(E*20, D)\r\n"
    "Else\r\n"
    "        A*C-Round(E/12,2)\r\n"
    "EndIf");

QStringList RowTexts(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) {
        texts.append(list->item(row)->text());
    }
    return texts;
}

QString BandName(Band band) {
    switch (band) {
        case Band::Client:
            return QStringLiteral("ClientArea");
        case Band::Frame1:
            return QStringLiteral("Frame1");
        case Band::Frame2:
            return QStringLiteral("Frame2");
        case Band::Frame3:
            return QStringLiteral("Frame3");
    }
    return {};
}

// The caption as shown: "&&" shows one ampersand, a single "&" marks the
// access key and is not drawn.
QString ShownCaption(QString caption) {
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    return caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PrepareApplication(); }
    void init() {
        m_w = std::make_unique<StartedWindow>();
        QVERIFY(m_w->WaitActive());
    }
    void cleanup() {
        QCOMPARE(m_w->services.unexpected, QStringList());
        QCOMPARE(Describe(m_w->services.messages), QStringList());
        m_w.reset();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void startupShowsProductInformationBeforeAnythingElse() {
        FakeServices services;
        Main window(services);
        QStringList seenDuringDialog;
        services.onProductInformation = [&] {
            seenDuringDialog << QString::number(window.isVisible())
                             << QString::number(window.findChild<QComboBox*>("Combo1")->count())
                             << QString::number(window.findChild<QListWidget*>("List_Var")->count())
                             << window.findChild<FormulaBox*>("Text_Formula")->Text();
        };
        window.Form_Load();
        QCOMPARE(services.calls, QStringList{"Dialog"});
        QCOMPARE(seenDuringDialog, (QStringList{"0", "0", "0", ""}));
    }

    void startupState() {
        QCOMPARE(m_w->Formula()->Text(), kExample1);
        QCOMPARE(m_w->Result(), QString());
        QCOMPARE(RowTexts(m_w->Control<QListWidget>("List_Var")),
                 (QStringList{" Variable ", "-----------------", " A    ", " B    ", " C    ",
                              " D    ", " E    "}));
        QCOMPARE(RowTexts(m_w->Control<QListWidget>("List3")),
                 (QStringList{" Value", "-----------------", " 100.00", " 200.00", " 300.00",
                              " 400.00", " 500.00"}));
        auto* examples = m_w->Control<QComboBox>("Combo1");
        QCOMPARE(examples->currentIndex(), 0);
        QStringList names;
        for (int row = 0; row < examples->count(); ++row) {
            names << examples->itemText(row);
        }
        QCOMPARE(names, (QStringList{"Example Expression 1", "Example Expression 2",
                                     "Example Expression 3", "Example Expression 4"}));
    }

    void windowFrame() {
        Main& window = *m_w->window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Vornel"));
        QCOMPARE(window.centralWidget()->size(), QSize(545, 362));
        QVERIFY(window.menuBar()->height() > 0);
        QCOMPARE(window.centralWidget()->y(), window.menuBar()->geometry().bottom() + 1);
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QCOMPARE(window.height(), 362 + window.menuBar()->height());
    }

    void everyControlFromTheTable_data() {
        QTest::addColumn<int>("index");
        const auto& controls = MainControls();
        for (int i = 0; i < int(controls.size()); ++i) {
            QTest::newRow(qPrintable(controls[std::size_t(i)].objectName)) << i;
        }
    }
    void everyControlFromTheTable() {
        QFETCH(int, index);
        const ControlSpec& spec = MainControls()[std::size_t(index)];
        auto* control = m_w->Control<QWidget>(spec.objectName);
        QVERIFY(control != nullptr);
        QCOMPARE(control->parentWidget()->objectName(), BandName(spec.band));
        QCOMPARE(control->geometry(), TwipsToPixels(spec.twips));
        QCOMPARE(control->toolTip(), spec.toolTip);
        QCOMPARE(control->property("index").isValid(), spec.member.has_value());
        if (spec.member) {
            QCOMPARE(control->property("index").toInt(), *spec.member);
        }
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), spec.caption);
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            QCOMPARE(label->text(), spec.caption);
        }
    }

    // Pixel positions worked out by hand from the twips of the layout, so a
    // wrong table entry shows here as well.
    void knownPositions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("band");
        QTest::addColumn<QRect>("pixels");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Frame3") << "Frame3"
                                << "ClientArea" << QRect(0, 4, 545, 45) << "";
        QTest::newRow("Frame2") << "Frame2"
                                << "ClientArea" << QRect(0, 48, 545, 177) << "";
        QTest::newRow("Frame1") << "Frame1"
                                << "ClientArea" << QRect(0, 224, 545, 137) << "";
        QTest::newRow("Label1") << "Label1"
                                << "Frame3" << QRect(16, 20, 101, 17) << "Calculate Result:";
        QTest::newRow("Text_CalResult") << "Text_CalResult"
                                        << "Frame3" << QRect(124, 16, 369, 21) << "";
        QTest::newRow("Text_Formula") << "Text_Formula"
                                      << "Frame2" << QRect(176, 16, 355, 134) << "";
        QTest::newRow("List3") << "List3"
                               << "Frame2" << QRect(88, 40, 76, 106) << "";
        QTest::newRow("Go") << "Button_result_1"
                            << "Frame2" << QRect(488, 152, 45, 21) << "";
        QTest::newRow("7") << "Button_Num_7"
                           << "Frame1" << QRect(12, 16, 33, 25) << "7";
        QTest::newRow("*") << "Button_Num_15"
                           << "Frame1" << QRect(132, 16, 33, 25) << "*";
        QTest::newRow("If") << "Button_Num_23"
                            << "Frame1" << QRect(180, 16, 49, 25) << "If";
        QTest::newRow("EndIf") << "Button_Num_21"
                               << "Frame1" << QRect(388, 16, 49, 25) << "EndIf";
        QTest::newRow("<>") << "Button_Num_16"
                            << "Frame1" << QRect(388, 44, 49, 25) << "<>";
        QTest::newRow("Enter") << "Button_Num_38"
                               << "Frame1" << QRect(452, 44, 81, 25) << "Enter";
        QTest::newRow("Or") << "Button_Num_26"
                            << "Frame1" << QRect(180, 72, 49, 25) << "|  Or";
        QTest::newRow("And") << "Button_Num_27"
                             << "Frame1" << QRect(232, 72, 49, 25) << "&& And";
        QTest::newRow("Space") << "Button_Num_28"
                               << "Frame1" << QRect(452, 72, 81, 25) << "Space";
        QTest::newRow("00") << "Button_Num_10"
                            << "Frame1" << QRect(48, 100, 33, 25) << "00";
        QTest::newRow("Round") << "Button_Num_31"
                               << "Frame1" << QRect(388, 100, 49, 25) << "Round";
        QTest::newRow("=") << "Button_result_2"
                           << "Frame1" << QRect(452, 16, 81, 25) << "=";
        QTest::newRow("Close") << "Button_Close_0"
                               << "Frame1" << QRect(452, 100, 81, 25) << "&Close";
    }
    void knownPositions() {
        QFETCH(QString, name);
        QFETCH(QString, band);
        QFETCH(QRect, pixels);
        QFETCH(QString, caption);
        auto* control = m_w->Control<QWidget>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(control->parentWidget()->objectName(), band);
        QCOMPARE(control->geometry(), pixels);
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), caption);
        }
    }

    void captionsFit_data() {
        QTest::addColumn<QString>("name");
        for (const ControlSpec& spec : MainControls()) {
            if (!spec.caption.isEmpty()) {
                QTest::newRow(qPrintable(spec.objectName)) << spec.objectName;
            }
        }
    }
    void captionsFit() {
        QFETCH(QString, name);
        auto* control = m_w->Control<QWidget>(name);
        const auto* button = qobject_cast<QPushButton*>(control);
        const QString text = button ? button->text() : qobject_cast<QLabel*>(control)->text();
        const QFontMetrics metrics(control->font());
        // A button draws a frame and a little padding around its caption.
        const int padding = button ? 6 : 0;
        QVERIFY2(metrics.horizontalAdvance(ShownCaption(text)) + padding <= control->width(),
                 qPrintable(QStringLiteral("caption %1 is %2 px wide")
                                .arg(text)
                                .arg(metrics.horizontalAdvance(ShownCaption(text)))));
        QVERIFY(metrics.height() + 2 <= control->height());
    }

    void keypadIsLightBlue_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("lightBlue");
        QTest::newRow("keypad") << "Button_Num_29" << true;
        QTest::newRow("=") << "Button_result_2" << true;
        QTest::newRow("Close") << "Button_Close_0" << false;
    }
    void keypadIsLightBlue() {
        QFETCH(QString, name);
        QFETCH(bool, lightBlue);
        const QColor color = m_w->Control<QWidget>(name)->palette().color(QPalette::Button);
        const bool isLightBlue = color.blue() > 200 && color.blue() > color.red() + 40;
        QCOMPARE(isLightBlue, lightBlue);
    }

    void goButtonShowsItsPicture() {
        auto* go = m_w->Control<QPushButton>("Button_result_1");
        QVERIFY(go->text().isEmpty());
        QCOMPARE(go->iconSize(), QSize(20, 16));
        QVERIFY(!go->icon().pixmap(QSize(20, 16)).isNull());
        QVERIFY(go->icon().availableSizes().contains(QSize(20, 16)));
    }

    void menus_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("menuTitle");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("shortcuts");
        QTest::newRow("File") << "MenuFile"
                              << "&File"
                              << QStringList{"MenuFile_Open", "MenuFile_Save", "r1",
                                             "MenuOpen_Exit"}
                              << QStringList{"&Open Expression from...", "&Save Expression as...",
                                             "", "&Exit"}
                              << QStringList{"Ctrl+O", "Ctrl+S", "", "Ctrl+E"};
        QTest::newRow("Edit") << "MenuEdit"
                              << "&Edit"
                              << QStringList{"MenuEdit_Cut", "MenuEdit_Copy", "MenuEdit_Paste",
                                             "MenuEdit_Delete"}
                              << QStringList{"Cut", "Copy", "Paste", "Delete"}
                              << QStringList{"Ctrl+X", "Ctrl+C", "Ctrl+V", "Del"};
        QTest::newRow("Help") << "MenuHelp"
                              << "&Help" << QStringList{"MenuHelp_Help", "MenuHelp_about"}
                              << QStringList{"Help", "About..."} << QStringList{"F1", ""};
    }
    void menus() {
        QFETCH(QString, menu);
        QFETCH(QString, menuTitle);
        QFETCH(QStringList, items);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, shortcuts);
        auto* shownMenu = m_w->Control<QMenu>(menu);
        QVERIFY(shownMenu != nullptr);
        QVERIFY(m_w->window->menuBar()->actions().contains(shownMenu->menuAction()));
        QCOMPARE(shownMenu->title(), menuTitle);
        QStringList names, shownTexts, keys;
        for (const QAction* action : shownMenu->actions()) {
            names << action->objectName();
            shownTexts << action->text();
            keys << action->shortcut().toString();
            QCOMPARE(action->isSeparator(), action->objectName() == "r1");
        }
        QCOMPARE(names, items);
        QCOMPARE(shownTexts, texts);
        QCOMPARE(keys, shortcuts);
    }

    void evaluation_data() {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("messages");
        const QString equals = QStringLiteral("Button_result_2");
        const QString go = QStringLiteral("Button_result_1");
        QTest::newRow("A+B with =") << "A+B" << equals << "300.000000000000000" << QStringList();
        QTest::newRow("A+B with Go") << "A+B" << go << "300.000000000000000" << QStringList();
        QTest::newRow("lower-case names")
            << "a*b+e" << go << "20,500.000000000000000" << QStringList();
        QTest::newRow("grouping") << "E*E*E*10" << equals << "1,250,000,000.000000000000000"
                                  << QStringList();
        QTest::newRow("negative") << "A-B*2.25" << equals << "-350.000000000000000"
                                  << QStringList();
        QTest::newRow("example 1")
            << kExample1 << equals << "3,940.000000000000000" << QStringList();
        QTest::newRow("empty") << "" << equals << "0" << QStringList();
        QTest::newRow("division by zero")
            << "1/0" << equals << "0.000000000000000"
            << QStringList{"Invalid Expression! | Error Number-11 | exclamation"};
        QTest::newRow("spaces only")
            << "   " << go << "0.000000000000000"
            << QStringList{"Invalid Expression! | Error Number-9 | exclamation"};
        QTest::newRow("line breaks only")
            << "\r\n\r\n"
            << equals << "0.000000000000000"
            << QStringList{"Invalid Expression! | Error Number-9 | exclamation"};
    }
    void evaluation() {
        QFETCH(QString, formula);
        QFETCH(QString, button);
        QFETCH(QString, result);
        QFETCH(QStringList, messages);
        m_w->Formula()->SetText(formula);
        m_w->Click(button);
        QCOMPARE(m_w->Result(), result);
        QCOMPARE(Describe(m_w->services.TakeMessages()), messages);
    }

    // Value rows are read with "." in every locale; only the display follows
    // the user's locale.
    void evaluationInOtherLocales_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("result");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "A+B*10"
                                << "2.100,000000000000000";
        const QLocale swiss(QLocale::German, QLocale::Switzerland);
        QTest::newRow("Swiss") << swiss << "A*C/8"
                               << "3" + swiss.groupSeparator() + "750.000000000000000";
        QTest::newRow("French small") << QLocale(QLocale::French, QLocale::France) << "A/8"
                                      << "12,500000000000000";
    }
    void evaluationInOtherLocales() {
        QFETCH(QLocale, locale);
        QFETCH(QString, formula);
        QFETCH(QString, result);
        QLocale::setDefault(locale);
        m_w->Formula()->SetText(formula);
        m_w->Click("Button_result_2");
        QCOMPARE(m_w->Result(), result);
    }

    void evaluationKeepsFormulaAndSelection() {
        FormulaBox* formula = m_w->Formula();
        formula->SetText("A+B\r\n");
        QTextCursor cursor = formula->textCursor();
        cursor.setPosition(1);
        cursor.setPosition(3, QTextCursor::KeepAnchor);
        formula->setTextCursor(cursor);
        m_w->Click("Button_result_2");
        QCOMPARE(formula->Text(), QStringLiteral("A+B\r\n"));
        QCOMPARE(formula->textCursor().selectionStart(), 1);
        QCOMPARE(formula->textCursor().selectionEnd(), 3);
    }

    void clear() {
        m_w->Formula()->SetText("A+B");
        m_w->Click("Button_result_2");
        m_w->Click("Button_ClearFormula");
        QCOMPARE(m_w->Formula()->Text(), QString());
        QCOMPARE(m_w->Result(), QStringLiteral("0"));
    }

    void close_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Close button") << "button";
        QTest::newRow("File Exit") << "menu";
        QTest::newRow("Ctrl+E in the formula") << "key";
        QTest::newRow("Alt+C access key") << "access";
    }
    void close() {
        QFETCH(QString, how);
        if (how == "button") {
            m_w->Click("Button_Close_0");
        } else if (how == "menu") {
            m_w->Control<QAction>("MenuOpen_Exit")->trigger();
        } else if (how == "key") {
            m_w->Formula()->setFocus();
            QTest::keyClick(m_w->Formula(), Qt::Key_E, Qt::ControlModifier);
        } else {
            m_w->Formula()->setFocus();
            QTest::keyClick(m_w->Formula(), Qt::Key_C, Qt::AltModifier);
        }
        // An access key clicks its button with a short animation.
        QTRY_VERIFY(!m_w->window->isVisible());
    }

private:
    std::unique_ptr<StartedWindow> m_w;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
