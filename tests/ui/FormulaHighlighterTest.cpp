// The formula box's colouring: which category each character of a line gets,
// palettes for light and dark bases, and the longest lines.
#include <QtTest>

#include <algorithm>
#include <cmath>

#include "WindowFixture.h"

using vornel::FormulaHighlighter;
using Category = FormulaHighlighter::Category;

namespace {

const QMetaEnum kCategories = QMetaEnum::fromType<Category>();

// Contrast ratio of two colours by their relative luminance (1 to 21).
double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const auto [dark, light] = std::minmax({luminance(a), luminance(b)});
    return (light + 0.05) / (dark + 0.05);
}

// The text colour of each category, in the order of the enumeration.
QList<QColor> Colours(const FormulaHighlighter& highlighter) {
    QList<QColor> colours;
    for (int i = 0; i < kCategories.keyCount(); ++i) {
        colours << highlighter.Format(Category(kCategories.value(i))).foreground().color();
    }
    return colours;
}

QPalette WithBase(const QColor& base) {
    QPalette palette;
    palette.setColor(QPalette::Base, base);
    return palette;
}

}  // namespace

class FormulaHighlighterTest : public QObject {
    Q_OBJECT

private slots:
    void categories_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<QString>("span");
        QTest::addColumn<QString>("expected");
        const QStringList none;
        const auto row = [](const char* name, const QString& text, const QStringList& variables,
                            const QString& span, const char* expected) {
            QTest::newRow(name) << text << variables << span << QString(expected);
        };
        row("keyword, lower case", "if (a>1) then", none, "then", "Keyword");
        row("keyword, mixed case", "2 eNdIf", none, "eNdIf", "Keyword");
        row("ElseIf is one word", "ELSEIF (A<1) Then", none, "ELSEIF", "Keyword");
        row("truth value", "If (true) Then", none, "true", "Keyword");
        row("keyword begins a longer name", "Thenx+1", none, "Thenx", "none");
        row("ElseIf followed by a digit", "ElseIf2", none, "ElseIf2", "none");
        row("function, lower case", "ceil(B/5)", none, "ceil", "Function");
        row("function, upper case", "FLOOR(2.5)", none, "FLOOR", "Function");
        row("function begins a longer name", "MaxValue*2", none, "MaxValue", "none");
        row("function followed by a digit", "Round2", none, "Round2", "none");
        row("variable, other case", "RATE*2", {"Rate"}, "RATE", "Variable");
        row("variable is matched whole", "AB+a", {"A"}, "AB", "none");
        row("variable after a longer name", "AB+a", {"A"}, "a", "Variable");
        row("variable named like a function", "Max(D,E)", {"max"}, "Max", "Variable");
        row("function next to a longer variable", "Max(D,E)", {"Maxi"}, "Max", "Function");
        row("variable named like a keyword", "If (1) Then", {"Then"}, "Then", "Keyword");
        row("digits inside a name", "X9*2", none, "X9", "none");
        row("digits inside a variable", "X9*2", {"X9"}, "X9", "Variable");
        row("digit before a name is a number", "9X", {"X"}, "9", "Number");
        row("name after a digit", "9X", {"X"}, "X", "Variable");
        row("underscore starts a name", "2*_X1", {"_x1"}, "_X1", "Variable");
        row("accented letter ends a name", "A\u00e9", {"A"}, "A", "Variable");
        row("other characters", "A \u00e9#%!;\t", none, " \u00e9#%!;\t", "none");
        row("after characters of two UTF-16 units", "\U0001D465\"\U0001D465\"+Max(1)", none,
            "\"+Max", "String Operator Function");
        row("decimal number", "A*12.5", none, "12.5", "Number");
        row("point before a digit", "A*.5", none, ".5", "Number");
        row("several points", "1.2.3+A", none, "1.2.3", "Number");
        row("point alone", "A.B", none, ".", "none");
        row("every operator", "A+-*/(),<>=&|^B", none, "+-*/(),<>=&|^", "Operator");
        row("string holding operators and names", "If (A=\"a+Max<(Then)\") Then", {"a"},
            "\"a+Max<(Then)\"", "String");
        row("string ends at its quote", "If (\"x\"=A) Then", none, "=", "Operator");
        row("empty string", "A=\"\"+B", none, "+", "Operator");
        row("unclosed string runs to the line's end", "If (A=\"abc Then", none, "\"abc Then",
            "String");
        row("unclosed string stops at the line break", "If (A=\"x\n12", none, "12", "Number");
    }
    void categories() {
        QFETCH(QString, text);
        QFETCH(QStringList, variables);
        QFETCH(QString, span);
        QFETCH(QString, expected);
        vornel::FormulaBox box;
        box.SetVariableNames(variables);
        box.SetText(text);
        QCOMPARE(vornel::test::CategoriesOf(box, span), expected);
    }

    // Each colour set is readable on its kind of base, and tells the
    // categories apart; the two sets share no colour.
    void palettes_data() {
        QTest::addColumn<QColor>("base");
        QTest::addColumn<QColor>("other");  // a base of the other kind
        QTest::newRow("white") << QColor(Qt::white) << QColor(0x2b2b2b);
        QTest::newRow("light grey") << QColor(0xf0f0f0) << QColor(Qt::black);
        QTest::newRow("dark grey") << QColor(0x2b2b2b) << QColor(Qt::white);
        QTest::newRow("black") << QColor(Qt::black) << QColor(0xf0f0f0);
    }
    void palettes() {
        QFETCH(QColor, base);
        QFETCH(QColor, other);
        vornel::FormulaBox box;
        box.SetText("12");
        auto* highlighter = box.document()->findChild<FormulaHighlighter*>();
        highlighter->SetPalette(WithBase(other));
        const QList<QColor> others = Colours(*highlighter);
        highlighter->SetPalette(WithBase(base));
        const QList<QColor> colours = Colours(*highlighter);
        for (int i = 0; i < colours.size(); ++i) {
            QVERIFY2(Contrast(colours[i], base) >= 4.5, kCategories.key(i));
            QCOMPARE(colours.count(colours[i]), 1);
            QVERIFY2(!others.contains(colours[i]), kCategories.key(i));
        }
        QCOMPARE(vornel::test::CategoriesOf(box, "12"), "Number");
    }

    // The longest lines are coloured wherever the box is scrolled to: a
    // string literal opened far to the left still runs on into view.
    void longLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("at");  // the caret: -1 at the end
        QTest::addColumn<QString>("span");
        QTest::addColumn<QString>("expected");
        const auto longest = [](const QString& unit, const QString& last) {
            return unit.repeated(32766 / int(unit.size()) + 1).left(32766 - last.size()) + last;
        };
        const auto row = [](const char* name, const QString& text, int at, const char* span,
                            const char* expected) {
            QTest::newRow(name) << text << at << QString(span) << QString(expected);
        };
        const QString names = longest("Max(A1,.5)+\"s\"*", "*Rate");
        row("start in view", names, 0, "Max", "Function");
        row("end in view", names, -1, "Rate", "Variable");
        // A line break has no colour.
        row("next line, start in view", names + "\nRate", 0, "\nRate", "none Variable");
        row("string opened far to the left", "A=\"" + longest("+Max(A1,.5)", "Rate"), -1, "Rate",
            "String");
        const QString tabs = QString("Max(A1,.5)\t+").repeated(1360);
        row("middle in view, after tabs", tabs + "Rate+" + tabs, int(tabs.size()), "Rate",
            "Variable");
    }
    void longLines() {
        QFETCH(QString, text);
        QFETCH(int, at);
        QFETCH(QString, span);
        QFETCH(QString, expected);
        vornel::FormulaBox box;
        box.resize(300, 100);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.SetVariableNames({"rate"});
        box.SetText(text);
        box.document()->setModified(false);
        const int undoSteps = box.document()->availableUndoSteps();
        QTextCursor caret(box.document());
        caret.setPosition(at < 0 ? int(text.size()) : at);
        box.setTextCursor(caret);
        QCoreApplication::processEvents();
        QCOMPARE(box.Text(), vornel::WithCrLf(text));
        QVERIFY(!box.document()->isModified());
        QCOMPARE(box.document()->availableUndoSteps(), undoSteps);
        QCOMPARE(vornel::test::CategoriesOf(box, span), expected);
    }
};

QTEST_MAIN(FormulaHighlighterTest)
#include "FormulaHighlighterTest.moc"
