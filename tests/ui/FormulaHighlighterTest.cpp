// The formula box's colouring: which category each character of a line gets,
// variables renamed, palettes for light and dark bases, and the document's
// text left exactly as it was.
#include <QtTest>

#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

#include "FormulaBox.h"
#include "FormulaHighlighter.h"

using vornel::FormulaHighlighter;
using Category = FormulaHighlighter::Category;

namespace {

const QMetaEnum kCategories = QMetaEnum::fromType<Category>();

// The name of the category whose format `format` is, "none" for no format.
QString NameOf(const FormulaHighlighter& highlighter, const QTextCharFormat& format) {
    for (int i = 0; i < kCategories.keyCount(); ++i) {
        if (highlighter.Format(Category(kCategories.value(i))) == format) {
            return kCategories.key(i);
        }
    }
    return format.isEmpty() ? "none" : "unknown";
}

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

// The category of every character of the first `span` in `document`.
QStringList CategoriesOf(const QTextDocument& document, const FormulaHighlighter& highlighter,
                         const QString& span) {
    const auto from = int(document.toPlainText().indexOf(span));
    if (from < 0) {
        return {"missing " + span};
    }
    QStringList names;
    for (int position = from; position < from + span.size(); ++position) {
        const QTextBlock block = document.findBlock(position);
        const int inBlock = position - block.position();
        QTextCharFormat format;
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (inBlock >= range.start && inBlock < range.start + range.length) {
                format = range.format;
            }
        }
        names << NameOf(highlighter, format);
    }
    return names;
}

// A document laid out and coloured as in the formula box, once the event loop
// has run: a document reports edits to its highlighter only when it has a
// layout, and a new highlighter waits for the event loop to colour it whole.
struct Coloured {
    QTextDocument document;
    FormulaHighlighter highlighter{&document};

    Coloured() {
        document.setDocumentLayout(new QPlainTextDocumentLayout(&document));
        QCoreApplication::processEvents();
    }

    QStringList CategoriesOf(const QString& span) const {
        return ::CategoriesOf(document, highlighter, span);
    }

    // The text colour of each category, in the order of the enumeration.
    QList<QColor> Colours() const {
        QList<QColor> colours;
        for (int i = 0; i < kCategories.keyCount(); ++i) {
            colours << highlighter.Format(Category(kCategories.value(i))).foreground().color();
        }
        return colours;
    }
};

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
        row("decimal number", "A*12.5", none, "12.5", "Number");
        row("point before a digit", "A*.5", none, ".5", "Number");
        row("several points", "1.2.3+A", none, "1.2.3", "Number");
        row("point alone", "A.B", none, ".", "none");
        row("every operator", "A+-*/(),<>=&|^B", none, "+-*/(),<>=&|^", "Operator");
        row("string holding operators and names", "If (A=\"a+Max<(Then)\") Then", {"a"},
            "\"a+Max<(Then)\"", "String");
        row("string ends at its quote", "If (\"x\"=A) Then", none, "=", "Operator");
        row("unclosed string runs to the line's end", "If (A=\"abc Then", none, "\"abc Then",
            "String");
        row("unclosed string stops at the line break", "If (A=\"x\n12", none, "12", "Number");
    }
    void categories() {
        QFETCH(QString, text);
        QFETCH(QStringList, variables);
        QFETCH(QString, span);
        QFETCH(QString, expected);
        Coloured coloured;
        coloured.highlighter.SetVariableNames(variables);
        coloured.document.setPlainText(text);
        QCOMPARE(coloured.CategoriesOf(span), QStringList(span.size(), expected));
    }

    void renamingRecolours() {
        Coloured coloured;
        coloured.document.setPlainText("Rate*Pay");
        QCOMPARE(coloured.CategoriesOf("Rate").first(), "none");
        coloured.highlighter.SetVariableNames({"Rate"});
        QCOMPARE(coloured.CategoriesOf("Rate").first(), "Variable");
        coloured.highlighter.SetVariableNames({"pay"});
        QCOMPARE(coloured.CategoriesOf("Rate").first(), "none");
        QCOMPARE(coloured.CategoriesOf("Pay").first(), "Variable");
    }

    void textUnchanged_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("If block, CR LF") << "If (A>100 & B<200 ) Then\r\nB*C-(Max(D,E-100))\r\n"
                                            "Else\r\nA*C-Round(E/12,2)\r\nEndIf\r\n";
        QTest::newRow("lone CR, LF CR") << "A\rB*2\n\r\"s\"\r\n";
        QTest::newRow("unclosed string over CR LF") << "If (A=\"x\r\ny\") Then 1";
        QTest::newRow("separators and tabs") << "A\u2029\tB\u2028Ceil(.5)";
    }
    void textUnchanged() {
        QFETCH(QString, text);
        QTextDocument plain;
        plain.setPlainText(text);
        Coloured coloured;
        coloured.document.setPlainText(text);
        coloured.document.setModified(false);
        coloured.highlighter.SetVariableNames({"A", "B"});
        coloured.highlighter.SetPalette(WithBase(QColor(0x2b2b2b)));
        QVERIFY(!coloured.document.firstBlock().layout()->formats().isEmpty());
        QCOMPARE(coloured.document.toRawText(), plain.toRawText());
        QVERIFY(!coloured.document.isModified());
        QCOMPARE(coloured.document.availableUndoSteps(), plain.availableUndoSteps());
    }

    void paletteContrast_data() {
        QTest::addColumn<QColor>("base");
        QTest::newRow("white") << QColor(Qt::white);
        QTest::newRow("light grey") << QColor(0xf0f0f0);
        QTest::newRow("dark grey") << QColor(0x2b2b2b);
        QTest::newRow("black") << QColor(Qt::black);
    }
    void paletteContrast() {
        QFETCH(QColor, base);
        Coloured coloured;
        coloured.highlighter.SetPalette(WithBase(base));
        const QList<QColor> colours = coloured.Colours();
        for (int i = 0; i < colours.size(); ++i) {
            QVERIFY2(Contrast(colours[i], base) >= 4.5, kCategories.key(i));
        }
    }

    void darkAndLightColoursDiffer() {
        Coloured coloured;
        coloured.document.setPlainText("12");
        coloured.highlighter.SetPalette(WithBase(Qt::white));
        const QList<QColor> light = coloured.Colours();
        coloured.highlighter.SetPalette(WithBase(QColor(0x2b2b2b)));
        const QList<QColor> dark = coloured.Colours();
        for (int i = 0; i < light.size(); ++i) {
            QVERIFY2(dark[i] != light[i], kCategories.key(i));
            QCOMPARE(light.count(light[i]), 1);
            QCOMPARE(dark.count(dark[i]), 1);
        }
        QCOMPARE(coloured.CategoriesOf("12").first(), "Number");
    }

    // The longest lines are coloured wherever the box is scrolled to: a
    // string literal opened far to the left still runs on into view.
    void longLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("atEnd");
        QTest::addColumn<QString>("span");
        QTest::addColumn<QString>("expected");
        const auto longest = [](const QString& unit, const QString& last) {
            QString line;
            while (line.size() < 32766) {
                line += unit;
            }
            return line.left(32766 - last.size()) + last;
        };
        const QString names = longest("Max(A1,.5)+\"s\"*", "*Rate");
        QTest::newRow("start in view") << names << false << "Max"
                                       << "Function";
        QTest::newRow("end in view") << names << true << "Rate"
                                     << "Variable";
        QTest::newRow("next line, start in view") << names + "\nRate" << false << "\nRate"
                                                  << "Variable";
        QTest::newRow("string opened far to the left")
            << "A=\"" + longest("+Max(A1,.5)", "Rate") << true << "Rate"
            << "String";
    }
    void longLines() {
        QFETCH(QString, text);
        QFETCH(bool, atEnd);
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
        box.moveCursor(atEnd ? QTextCursor::End : QTextCursor::Start);
        QCoreApplication::processEvents();
        QCOMPARE(box.Text(), vornel::WithCrLf(text));
        QVERIFY(!box.document()->isModified());
        QCOMPARE(box.document()->availableUndoSteps(), undoSteps);
        const auto* highlighter = box.document()->findChild<FormulaHighlighter*>();
        QStringList categories = CategoriesOf(*box.document(), *highlighter, span);
        if (span.startsWith('\n')) {
            categories.removeFirst();  // the line break has no colour
        }
        QCOMPARE(categories, QStringList(categories.size(), expected));
    }
};

QTEST_MAIN(FormulaHighlighterTest)
#include "FormulaHighlighterTest.moc"
