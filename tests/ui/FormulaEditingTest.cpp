// Formula editing: keypad insertion, the example chooser, forward delete and
// the clipboard commands, driven by clicks and real key presses.
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

// Puts `text` in the formula box and selects box positions start..end
// (a line break is one position there).
void SetFormula(FormulaBox* formula, const QString& text, int start, int end) {
    formula->SetText(text);
    QTextCursor cursor = formula->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    formula->setTextCursor(cursor);
}

}  // namespace

class FormulaEditingTest : public QObject {
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
    }

    void lineBreakConversions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("crLf");
        QTest::addColumn<QString>("lineFeeds");
        QTest::newRow("none") << "A+B"
                              << "A+B"
                              << "A+B";
        QTest::newRow("CR LF") << "a\r\nb"
                               << "a\r\nb"
                               << "a\nb";
        QTest::newRow("LF") << "a\nb\n"
                            << "a\r\nb\r\n"
                            << "a\nb\n";
        QTest::newRow("lone CR") << "a\rb"
                                 << "a\r\nb"
                                 << "a\nb";
        QTest::newRow("CR CR LF") << "a\r\r\nb"
                                  << "a\r\n\r\nb"
                                  << "a\n\nb";
        QTest::newRow("LF CR") << "a\n\rb"
                               << "a\r\n\r\nb"
                               << "a\n\nb";
        QTest::newRow("paragraph separator") << QString("a\u2029b") << "a\r\nb"
                                             << "a\nb";
    }
    void lineBreakConversions() {
        QFETCH(QString, text);
        QFETCH(QString, crLf);
        QFETCH(QString, lineFeeds);
        QCOMPARE(WithCrLf(text), crLf);
        QCOMPARE(WithLineFeeds(text), lineFeeds);
        m_w->Formula()->SetText(text);
        QCOMPARE(m_w->Formula()->Text(), crLf);
    }

    void everyKeypadButtonInserts_data() {
        QTest::addColumn<int>("member");
        QTest::addColumn<QString>("inserted");
        const QStringList bare = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "00", "."};
        for (int member = 0; member < bare.size(); ++member) {
            QTest::addRow("%d", member) << member << bare[member];
        }
        const QList<QPair<int, QString>> others = {
            {12, "+ "},   {13, "- "},   {14, "/ "},     {15, "* "},      {16, "<> "},
            {17, "< "},   {18, ">= "},  {19, "<= "},    {20, "Else "},   {21, "EndIf "},
            {22, "> "},   {23, "If "},  {24, "Then "},  {25, "ElseIf "}, {26, "| "},
            {27, "& "},   {28, " "},    {29, "Floor "}, {30, "Exp "},    {31, "Round "},
            {32, "Max "}, {33, "Min "}, {34, "Ceil "},  {35, "( "},      {36, ") "},
            {38, "\r\n"},
        };
        for (const auto& [member, inserted] : others) {
            QTest::addRow("%d", member) << member << inserted;
        }
    }
    void everyKeypadButtonInserts() {
        QFETCH(int, member);
        QFETCH(QString, inserted);
        SetFormula(m_w->Formula(), "[]", 1, 1);
        const QString name = QStringLiteral("Button_Num_%1").arg(member);
        m_w->Click(name);
        QCOMPARE(m_w->Formula()->Text(), "[" + inserted + "]");
        QCOMPARE(m_w->window->focusWidget(), m_w->Control<QWidget>(name));
    }

    void keypadAtTheSelection_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("member");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("caret");
        QTest::newRow("+ between digits") << "12" << 1 << 1 << 12 << "1+ 2" << 3;
        QTest::newRow("digit at start") << "12" << 0 << 0 << 9 << "912" << 1;
        QTest::newRow("selection replaced") << "A*B" << 1 << 2 << 12 << "A+ B" << 3;
        QTest::newRow("backwards selection") << "A*B" << 2 << 1 << 14 << "A/ B" << 3;
        QTest::newRow("Enter splits a line") << "AB" << 1 << 1 << 38 << "A\r\nB" << 2;
        QTest::newRow("on the second line") << "A\r\nB" << 3 << 3 << 30 << "A\r\nBExp " << 7;
    }
    void keypadAtTheSelection() {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(int, member);
        QFETCH(QString, expected);
        QFETCH(int, caret);
        SetFormula(m_w->Formula(), text, start, end);
        m_w->Click(QStringLiteral("Button_Num_%1").arg(member));
        QCOMPARE(m_w->Formula()->Text(), expected);
        QVERIFY(!m_w->Formula()->textCursor().hasSelection());
        QCOMPARE(m_w->Formula()->textCursor().position(), caret);
    }

    // The chooser is worked with the keyboard, as a user would, starting at
    // "Example Expression 1".
    void examplesReplaceTheFormula_data() {
        QTest::addColumn<int>("downPresses");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2") << 1
                           << "If (B+C>=300) Then\r\n        A*100+Round(B/C,3)-Exp(D,2)\r\n"
                              "Else\r\n        B*10+Floor(B/C)+Exp(A,3)\r\nEndIf";
        QTest::newRow("3") << 2 << "A*B+B/C-D+Max(E,300)/B+Ceil(5000/A*3.2)+Exp(2,8)";
        QTest::newRow("4") << 3 << "Round(1000*3+3200/13-Round(432*23/43,3)+6400/12,3)";
    }
    void examplesReplaceTheFormula() {
        QFETCH(int, downPresses);
        QFETCH(QString, expected);
        SetFormula(m_w->Formula(), "some\r\nold text", 3, 3);
        m_w->Control<QLineEdit>("Text_CalResult")->setText("7");
        auto* examples = m_w->Control<QComboBox>("Combo1");
        examples->setFocus();
        for (int i = 0; i < downPresses; ++i) {
            QTest::keyClick(examples, Qt::Key_Down);
        }
        QCOMPARE(m_w->Formula()->Text(), expected);
        QCOMPARE(m_w->Result(), QStringLiteral("7"));
    }

    void choosingTheSameExampleAgainRestoresIt() {
        auto* examples = m_w->Control<QComboBox>("Combo1");
        const QString example1 = m_w->Formula()->Text();
        m_w->Formula()->SetText("changed");
        emit examples->activated(0);
        QCOMPARE(m_w->Formula()->Text(), example1);
    }

    void deleteKey_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("expected");
        QTest::newRow("caret at the end") << "12" << 2 << 2 << "12";
        QTest::newRow("empty formula") << "" << 0 << 0 << "";
        QTest::newRow("caret at the start") << "abc" << 0 << 0 << "bc";
        QTest::newRow("before a line break") << "a\r\nb" << 1 << 1 << "ab";
        QTest::newRow("before one of two line breaks") << "a\r\n\r\nb" << 1 << 1 << "a\r\nb";
        QTest::newRow("selection") << "abcd" << 1 << 3 << "ad";
        QTest::newRow("selection over a line break") << "ab\r\ncd" << 1 << 4 << "ad";
        QTest::newRow("selection up to the end") << "abc" << 3 << 1 << "a";
    }
    void deleteKey() {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, expected);
        SetFormula(m_w->Formula(), text, start, end);
        m_w->Formula()->setFocus();
        QSignalSpy command(m_w->Control<QAction>("MenuEdit_Delete"), &QAction::triggered);
        QTest::keyClick(m_w->Formula(), Qt::Key_Delete);
        QCOMPARE(command.count(), 1);
        QCOMPARE(m_w->Formula()->Text(), expected);
        QCOMPARE(m_w->Formula()->textCursor().position(), std::min(start, end));
    }

    // Each row: the focused control, the key pressed, the state before and the
    // state after, and which window command the key must run.
    void clipboardByFocus_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("clipboardBefore");
        QTest::addColumn<QString>("formulaBefore");
        QTest::addColumn<QString>("resultBefore");
        QTest::addColumn<QString>("clipboardAfter");
        QTest::addColumn<QString>("formulaAfter");
        QTest::addColumn<QString>("resultAfter");
        const QString formula = QStringLiteral("Text_Formula");
        const QString result = QStringLiteral("Text_CalResult");
        // Selections: in the formula the part between "[" and "]" (the
        // brackets are removed first), in the result its first five characters.
        QTest::newRow("copy in the formula") << formula << int(Qt::Key_C) << "MenuEdit_Copy"
                                             << "old"
                                             << "A+[B*C]"
                                             << "1,234.5"
                                             << "B*C"
                                             << "A+B*C"
                                             << "1,234.5";
        QTest::newRow("copy several lines") << formula << int(Qt::Key_C) << "MenuEdit_Copy"
                                            << "old"
                                            << "[If\r\nA]\r\nEndIf"
                                            << ""
                                            << "If\nA"
                                            << "If\r\nA\r\nEndIf"
                                            << "";
        QTest::newRow("copy an empty selection") << formula << int(Qt::Key_C) << "MenuEdit_Copy"
                                                 << "old"
                                                 << "A+B[]"
                                                 << ""
                                                 << ""
                                                 << "A+B"
                                                 << "";
        QTest::newRow("cut in the formula") << formula << int(Qt::Key_X) << "MenuEdit_Cut"
                                            << "old"
                                            << "A+[B*]C"
                                            << ""
                                            << "B*"
                                            << "A+C"
                                            << "";
        QTest::newRow("paste over the selection") << formula << int(Qt::Key_V) << "MenuEdit_Paste"
                                                  << "x\r\ny"
                                                  << "A[+]B"
                                                  << ""
                                                  << "x\r\ny"
                                                  << "Ax\r\nyB"
                                                  << "";
        QTest::newRow("paste an empty clipboard") << formula << int(Qt::Key_V) << "MenuEdit_Paste"
                                                  << ""
                                                  << "A[+]B"
                                                  << ""
                                                  << ""
                                                  << "AB"
                                                  << "";
        QTest::newRow("copy in the result") << result << int(Qt::Key_C) << "MenuEdit_Copy"
                                            << "old"
                                            << "A"
                                            << "1,234.500"
                                            << "1,234"
                                            << "A"
                                            << "1,234.500";
        QTest::newRow("cut in the result") << result << int(Qt::Key_X) << "MenuEdit_Cut"
                                           << "old"
                                           << "A"
                                           << "1,234.500"
                                           << "1,234"
                                           << "A"
                                           << ".500";
        QTest::newRow("paste in the result does nothing")
            << result << int(Qt::Key_V) << "MenuEdit_Paste"
            << "9"
            << "[A]"
            << "1,234.500"
            << "9"
            << "A"
            << "1,234.500";
        QTest::newRow("paste on the names list does nothing")
            << "List_Var" << int(Qt::Key_V) << "MenuEdit_Paste"
            << "9"
            << "[A]"
            << ""
            << "9"
            << "A"
            << "";
        QTest::newRow("copy on the values list does nothing")
            << "List3" << int(Qt::Key_C) << "MenuEdit_Copy"
            << "old"
            << "[A]"
            << ""
            << "old"
            << "A"
            << "";
        QTest::newRow("paste on a keypad button does nothing")
            << "Button_Num_7" << int(Qt::Key_V) << "MenuEdit_Paste"
            << "9"
            << "[A]"
            << ""
            << "9"
            << "A"
            << "";
        QTest::newRow("cut on the example chooser does nothing")
            << "Combo1" << int(Qt::Key_X) << "MenuEdit_Cut"
            << "old"
            << "[A]"
            << ""
            << "old"
            << "A"
            << "";
        QTest::newRow("delete in the result does nothing")
            << result << int(Qt::Key_Delete) << "MenuEdit_Delete"
            << "old"
            << "A"
            << "1,234.5"
            << "old"
            << "A"
            << "1,234.5";
    }
    void clipboardByFocus() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(QString, command);
        QFETCH(QString, clipboardBefore);
        QFETCH(QString, formulaBefore);
        QFETCH(QString, resultBefore);
        QFETCH(QString, clipboardAfter);
        QFETCH(QString, formulaAfter);
        QFETCH(QString, resultAfter);

        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboardBefore.isEmpty() ? clipboard->clear() : clipboard->setText(clipboardBefore);
        const int start = std::max(0, int(formulaBefore.indexOf('[')));
        const int end = std::max(0, int(formulaBefore.indexOf(']')) - 1);
        const QString plain = QString(formulaBefore).remove('[').remove(']');
        // Box positions count a line break once.
        SetFormula(m_w->Formula(), plain, WithLineFeeds(plain.left(start)).size(),
                   WithLineFeeds(plain.left(end)).size());
        auto* result = m_w->Control<QLineEdit>("Text_CalResult");
        result->setText(resultBefore);
        result->setSelection(0, 5);

        QWidget* focused = m_w->Control<QWidget>(focus);
        focused->setFocus();
        QCOMPARE(m_w->window->focusWidget(), focused);
        QSignalSpy commandRuns(m_w->Control<QAction>(command), &QAction::triggered);
        const auto modifiers = key == Qt::Key_Delete ? Qt::NoModifier : Qt::ControlModifier;
        QTest::keyClick(focused, Qt::Key(key), modifiers);

        QCOMPARE(commandRuns.count(), 1);
        QCOMPARE(clipboard->text(), clipboardAfter);
        QVERIFY(!clipboard->text().contains(QChar::ParagraphSeparator));
        QCOMPARE(m_w->Formula()->Text(), formulaAfter);
        QCOMPARE(result->text(), resultAfter);
    }

    // Choosing a menu item leaves the focus where it was, so the command works
    // on the box that had it.
    void editMenuWorksOnTheFocusedBox() {
        SetFormula(m_w->Formula(), "A+B", 1, 3);
        m_w->Formula()->setFocus();
        m_w->Control<QAction>("MenuEdit_Cut")->trigger();
        QCOMPARE(m_w->Formula()->Text(), QStringLiteral("A"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("+B"));
        m_w->Control<QAction>("MenuEdit_Paste")->trigger();
        m_w->Control<QAction>("MenuEdit_Paste")->trigger();
        QCOMPARE(m_w->Formula()->Text(), QStringLiteral("A+B+B"));
    }

private:
    std::unique_ptr<StartedWindow> m_w;
};

QTEST_MAIN(FormulaEditingTest)
#include "FormulaEditingTest.moc"
