#include "FormulaHighlighter.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cmath>

#include <vornel/model/Colouring.h>

namespace vornel {

namespace {

using Category = FormulaHighlighter::Category;

// Indexed by Category. Each set keeps a contrast of at least 5.5:1 with its
// base (white, or a dark grey such as #2b2b2b); operators sit a little
// quieter than plain text.
constexpr std::array<QRgb, 6> kOnLightBase = {0x1f4e9c, 0x7b3f9e, 0x9a5100,
                                              0x276e2b, 0x555555, 0x00686f};
constexpr std::array<QRgb, 6> kOnDarkBase = {0x7fa7dc, 0xc5a0dc, 0xe0a868,
                                             0x9ccb8a, 0xb4b4b4, 0x6cc4c4};

// The UTF-16 units of a line, walked forwards one character (as the model
// counts them) at a time: a surrogate pair is one character.
class UnitCursor {
public:
    explicit UnitCursor(QStringView line) : m_line(line) {}

    // The UTF-16 position of character `character`, which is at or after the
    // last one asked for.
    qsizetype UnitOf(std::size_t character) {
        for (; m_character < character && m_unit < m_line.size(); ++m_character) {
            const bool pair = m_line[m_unit].isHighSurrogate() && m_unit + 1 < m_line.size() &&
                              m_line[m_unit + 1].isLowSurrogate();
            m_unit += pair ? 2 : 1;
        }
        return m_unit;
    }

private:
    QStringView m_line;
    std::size_t m_character = 0;
    qsizetype m_unit = 0;
};

// The characters of a long line that were coloured last time.
struct ColouredPart : QTextBlockUserData {
    qsizetype from = 0;
    qsizetype to = 0;
};

Category CategoryOf(Colouring kind) {
    switch (kind) {
        case Colouring::Keyword:
            return Category::Keyword;
        case Colouring::Function:
            return Category::Function;
        case Colouring::Number:
            return Category::Number;
        case Colouring::String:
            return Category::String;
        case Colouring::Variable:
            return Category::Variable;
        case Colouring::Operator:
            break;
    }
    return Category::Operator;
}

}  // namespace

FormulaHighlighter::FormulaHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    ChooseColours(QGuiApplication::palette().color(QPalette::Base));
}

void FormulaHighlighter::SetVariableNames(const QStringList& names) {
    // Names match ignoring the case of A-Z, so upper-casing them, in order and
    // once each, leaves the colouring as it is and tells a real change apart.
    std::vector<std::string> variables;
    for (const QString& name : names) {
        std::string utf8 = name.toStdString();
        std::transform(utf8.begin(), utf8.end(), utf8.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
        variables.push_back(std::move(utf8));
    }
    std::sort(variables.begin(), variables.end());
    variables.erase(std::unique(variables.begin(), variables.end()), variables.end());
    if (variables != m_variables) {
        m_variables = std::move(variables);
        rehighlight();
    }
}

void FormulaHighlighter::SetPalette(const QPalette& palette) {
    ChooseColours(palette.color(QPalette::Base));
    rehighlight();
}

QTextCharFormat FormulaHighlighter::Format(Category category) const {
    return m_formats[static_cast<std::size_t>(category)];
}

void FormulaHighlighter::SetShownPixels(qreal left, qreal right) {
    m_shownLeft = left;
    m_shownRight = right;
}

void FormulaHighlighter::ColourShownPart(const QTextBlock& block) {
    if (document() == nullptr || block.document() != document() ||
        block.length() - 1 <= kLongestWholeLine) {
        return;
    }
    const auto [first, last] = ShownCharacters(block.text());
    const auto* part = static_cast<const ColouredPart*>(block.userData());
    if (part == nullptr || first < part->from || last > part->to) {
        rehighlightBlock(block);
    }
}

void FormulaHighlighter::highlightBlock(const QString& text) {
    const QStringView line(text);
    // The whole line is coloured by the model, since a string literal may open
    // before the coloured part, but only the stretches inside it get a format.
    const auto [from, to] = ColouredSpan(line);
    UnitCursor units(line);
    for (const ColouredStretch& stretch : ColourFormula(text.toStdString(), m_variables)) {
        const qsizetype begin = units.UnitOf(stretch.begin);
        if (begin >= to) {
            break;
        }
        const qsizetype end = units.UnitOf(stretch.end);
        if (end > from) {
            const qsizetype start = std::max(begin, from);
            setFormat(static_cast<int>(start), static_cast<int>(std::min(end, to) - start),
                      Format(CategoryOf(stretch.kind)));
        }
    }
}

std::pair<qsizetype, qsizetype> FormulaHighlighter::ColouredSpan(QStringView line) {
    if (line.size() <= kLongestWholeLine) {
        return {0, line.size()};
    }
    const auto [first, last] = ShownCharacters(line);
    auto* part = static_cast<ColouredPart*>(currentBlockUserData());
    if (part == nullptr) {
        part = new ColouredPart;
        setCurrentBlockUserData(part);
    }
    part->from = std::max(first - kShownMargin, qsizetype(0));
    part->to = std::min(last + kShownMargin, line.size());
    return {part->from, part->to};
}

// Worked out from each character's advance rather than from the line's
// layout, which is cleared by every edit and costs a whole shaping of the
// line to ask. Kerning and bold keywords put it a few pixels off, well
// inside the margins.
std::pair<qsizetype, qsizetype> FormulaHighlighter::ShownCharacters(QStringView line) {
    const QFont font = document()->defaultFont();
    if (font != m_advancesFont) {  // also when no font was measured yet
        const QFontMetricsF metrics(font);
        for (std::size_t c = 0; c < m_advances.size(); ++c) {
            m_advances[c] = metrics.horizontalAdvance(QChar(char16_t(c)));
        }
        m_advancesFont = font;
    }
    const qreal margin = document()->documentMargin();
    const qreal tab = document()->defaultTextOption().tabStopDistance();
    qreal x = margin;
    qsizetype first = line.size();
    for (qsizetype at = 0; at < line.size(); ++at) {
        const char16_t c = line[at].unicode();
        if (c == u'\t' && tab > 0) {
            x = margin + (std::floor((x - margin) / tab) + 1) * tab;
        } else {
            x += c < m_advances.size() ? m_advances[c]
                                       : QFontMetricsF(font).horizontalAdvance(QChar(c));
        }
        if (x > m_shownLeft && first == line.size()) {
            first = at;
        }
        if (x >= m_shownRight) {
            return {std::min(first, at), at + 1};
        }
    }
    return {first, line.size()};
}

void FormulaHighlighter::ChooseColours(const QColor& base) {
    const bool dark = qGray(base.rgb()) < 128;
    const std::array<QRgb, 6>& colours = dark ? kOnDarkBase : kOnLightBase;
    for (std::size_t i = 0; i < kCategoryCount; ++i) {
        QTextCharFormat format;
        format.setForeground(QColor(colours[i]));
        m_formats[i] = format;
    }
    m_formats[static_cast<std::size_t>(Category::Keyword)].setFontWeight(QFont::Bold);
}

}  // namespace vornel
