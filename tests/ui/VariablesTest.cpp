// The variables list: the two lists selecting in step, inserting a name by
// double-click, adding variables, and what reaches the engine.
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

QPoint RowCentre(QListWidget* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}

// A double-click as the mouse delivers it: a first click, then the second
// press that arrives as a double-click.
void DoubleClickRow(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowCentre(list, row));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, RowCentre(list, row));
}

}  // namespace

class VariablesTest : public QObject {
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

    void valueTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("start-up row") << " 100.00" << 100.0;
        QTest::newRow("added row") << "0.00" << 0.0;
        QTest::newRow("spaces both sides") << "  2.5  " << 2.5;
        QTest::newRow("negative") << " -7.25" << -7.25;
        QTest::newRow("not a number") << "abc" << 0.0;
    }
    void valueTexts() {
        QFETCH(QString, text);
        QFETCH(double, value);
        for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany)}) {
            QLocale::setDefault(locale);
            QCOMPARE(ValueFromText(text), value);
        }
    }

    void listsSelectInStep_data() {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("other");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("otherText");
        QTest::newRow("name C") << "List_Var"
                                << "List3" << 4 << " 300.00";
        QTest::newRow("value of C") << "List3"
                                    << "List_Var" << 4 << " C    ";
        QTest::newRow("heading") << "List_Var"
                                 << "List3" << 0 << " Value";
        QTest::newRow("last value") << "List3"
                                    << "List_Var" << 6 << " E    ";
    }
    void listsSelectInStep() {
        QFETCH(QString, clicked);
        QFETCH(QString, other);
        QFETCH(int, row);
        QFETCH(QString, otherText);
        auto* clickedList = m_w->Control<QListWidget>(clicked);
        auto* otherList = m_w->Control<QListWidget>(other);
        QTest::mouseClick(clickedList->viewport(), Qt::LeftButton, {}, RowCentre(clickedList, row));
        QCOMPARE(clickedList->currentRow(), row);
        QCOMPARE(otherList->currentRow(), row);
        QCOMPARE(otherList->currentItem()->text(), otherText);
        QVERIFY(otherList->currentItem()->isSelected());
        QCOMPARE(m_w->window->focusWidget(), clickedList);
    }

    void keyboardSelectionIsMirroredToo() {
        auto* names = m_w->Control<QListWidget>("List_Var");
        names->setFocus();
        names->setCurrentRow(2);
        QTest::keyClick(names, Qt::Key_Down);
        QTest::keyClick(names, Qt::Key_Down);
        QCOMPARE(m_w->Control<QListWidget>("List3")->currentRow(), 4);
    }

    void doubleClickInsertsTheName_data() {
        QTest::addColumn<int>("additions");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("formula");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("expected");
        QTest::newRow("B at the end") << 0 << 3 << "A+" << 2 << "A+B";
        QTest::newRow("E at the caret") << 0 << 6 << "A+" << 1 << "AE+";
        QTest::newRow("added name keeps its case") << 1 << 7 << "1+" << 2 << "1+Var8";
        QTest::newRow("heading") << 0 << 0 << "A+" << 2 << "A+";
        QTest::newRow("dashed row") << 0 << 1 << "A+" << 2 << "A+";
    }
    void doubleClickInsertsTheName() {
        QFETCH(int, additions);
        QFETCH(int, row);
        QFETCH(QString, formula);
        QFETCH(int, caret);
        QFETCH(QString, expected);
        for (int i = 0; i < additions; ++i) {
            m_w->Click("Command2");
        }
        m_w->Formula()->SetText(formula);
        QTextCursor cursor = m_w->Formula()->textCursor();
        cursor.setPosition(caret);
        m_w->Formula()->setTextCursor(cursor);
        auto* names = m_w->Control<QListWidget>("List_Var");
        DoubleClickRow(names, row);
        QCOMPARE(m_w->Formula()->Text(), expected);
    }

    void addAppendsVariables() {
        for (int i = 0; i < 3; ++i) {
            m_w->Click("Command2");
        }
        auto* names = m_w->Control<QListWidget>("List_Var");
        auto* values = m_w->Control<QListWidget>("List3");
        QCOMPARE(names->count(), 10);
        QCOMPARE(values->count(), 10);
        QStringList added;
        for (int row = 7; row < 10; ++row) {
            added << names->item(row)->text() << values->item(row)->text();
        }
        QCOMPARE(added, (QStringList{"Var8", "0.00", "Var9", "0.00", "Var10", "0.00"}));
        QCOMPARE(names->currentRow(), -1);
        QCOMPARE(m_w->Result(), QString());
        // Rows stay side by side: neither list scrolls sideways, also once a
        // vertical scroll bar narrows them.
        QTRY_VERIFY(names->verticalScrollBar()->isVisible());
        QVERIFY(!names->horizontalScrollBar()->isVisible());
        QVERIFY(!values->horizontalScrollBar()->isVisible());
    }

    void addedVariablesReachTheEngine_data() {
        QTest::addColumn<int>("additions");
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("result");
        QTest::newRow("VAR8+1") << 1 << "VAR8+1"
                                << "1.000000000000000";
        QTest::newRow("var8+1") << 1 << "var8+1"
                                << "1.000000000000000";
        QTest::newRow("Var10 beside A") << 3 << "Var10+A"
                                        << "100.000000000000000";
        QTest::newRow("slot 32 is the last") << 28 << "Var35+E"
                                             << "500.000000000000000";
    }
    void addedVariablesReachTheEngine() {
        QFETCH(int, additions);
        QFETCH(QString, formula);
        QFETCH(QString, result);
        for (int i = 0; i < additions; ++i) {
            m_w->Click("Command2");
        }
        m_w->Formula()->SetText(formula);
        m_w->Click("Button_result_2");
        QCOMPARE(m_w->Result(), result);
    }

    // 33 variables fit the engine; every one beyond gets its own box at every
    // evaluation, and the evaluation goes on.
    void rowsBeyondTheEngineAreRefused_data() {
        QTest::addColumn<int>("additions");
        QTest::addColumn<int>("boxesPerEvaluation");
        QTest::newRow("28 additions: 33 variables") << 28 << 0;
        QTest::newRow("29 additions: 34 variables") << 29 << 1;
        QTest::newRow("31 additions: 36 variables") << 31 << 3;
    }
    void rowsBeyondTheEngineAreRefused() {
        QFETCH(int, additions);
        QFETCH(int, boxesPerEvaluation);
        for (int i = 0; i < additions; ++i) {
            m_w->Click("Command2");
        }
        m_w->Formula()->SetText("A+B");
        const QStringList expected(boxesPerEvaluation,
                                   QStringLiteral("Max number is32 | Vornel | none"));
        for (int evaluation = 0; evaluation < 2; ++evaluation) {
            m_w->Click("Button_result_2");
            QCOMPARE(Describe(m_w->services.TakeMessages()), expected);
            QCOMPARE(m_w->Result(), QStringLiteral("300.000000000000000"));
        }
    }

private:
    std::unique_ptr<StartedWindow> m_w;
};

QTEST_MAIN(VariablesTest)
#include "VariablesTest.moc"
