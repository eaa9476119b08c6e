#include "FormulaHighlighter.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cmath>

#include <vornel/Names.h>

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

// The engine's character classes, on the ASCII range where they are defined:
// a letter of another script neither starts nor continues a name.
template <bool (*Test)(char)>
bool InAscii(char16_t c) {
    return c < 0x80 && Test(static_cast<char>(c));
}
constexpr auto IsWideDigit = InAscii<IsAsciiDigit>;
constexpr auto IsWideNameStart = InAscii<IsNameStart>;
constexpr auto IsWideNameChar = InAscii<IsNameChar>;
constexpr auto IsWideNumberChar = InAscii<IsNumberChar>;

bool IsOperator(char16_t c) {
    return QStringView(u"+-*/(),<>=&|^").contains(QChar(c));
}

bool IsName(QStringView text) {
    return !text.isEmpty() && IsWideNameStart(text.front().unicode()) &&
           std::all_of(text.begin(), text.end(),
                       [](QChar c) { return IsWideNameChar(c.unicode()); });
}

// A keyword of If blocks, or a truth value, which reads best with them.
bool IsKeyword(QStringView word) {
    const auto matches = [word](std::string_view candidate) {
        return word.compare(QLatin1StringView(candidate.data(), qsizetype(candidate.size())),
                            Qt::CaseInsensitive) == 0;
    };
    return std::any_of(kKeywords.begin(), kKeywords.end(), matches) || matches(kTrue) ||
           matches(kFalse);
}

enum class TokenKind { Name, Number, String, Operator, Other };

struct Token {
    TokenKind kind;
    qsizetype length;
};

// How many characters from `from` on pass `test`.
qsizetype RunLength(QStringView line, qsizetype from, bool (*test)(char16_t)) {
    qsizetype end = from;
    while (end < line.size() && test(line[end].unicode())) {
        ++end;
    }
    return end - from;
}

// The token that starts at `from`, which lies inside `line`. A number is a
// digit, or a point before a digit, then digits and points ("1.2.3" is one
// token, which the engine rejects as a whole); a string literal without its
// closing quote runs to the end of the line.
Token ScanToken(QStringView line, qsizetype from) {
    const char16_t c = line[from].unicode();
    const bool pointBeforeDigit =
        c == u'.' && from + 1 < line.size() && IsWideDigit(line[from + 1].unicode());
    if (IsWideNameStart(c)) {
        return {TokenKind::Name, 1 + RunLength(line, from + 1, IsWideNameChar)};
    }
    if (IsWideDigit(c) || pointBeforeDigit) {
        return {TokenKind::Number, 1 + RunLength(line, from + 1, IsWideNumberChar)};
    }
    if (c == u'"') {
        const qsizetype close = line.indexOf(QChar(u'"'), from + 1);
        return {TokenKind::String, (close < 0 ? line.size() : close + 1) - from};
    }
    return {IsOperator(c) ? TokenKind::Operator : TokenKind::Other, 1};
}

// The characters of a long line that were coloured last time.
struct ColouredPart : QTextBlockUserData {
    qsizetype from = 0;
    qsizetype to = 0;
};

std::optional<Category> CategoryOfSymbol(TokenKind kind) {
    switch (kind) {
        case TokenKind::Number:
            return Category::Number;
        case TokenKind::String:
            return Category::String;
        case TokenKind::Operator:
            return Category::Operator;
        default:
            return std::nullopt;
    }
}

}  // namespace

FormulaHighlighter::FormulaHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    ChooseColours(QGuiApplication::palette().color(QPalette::Base));
}

void FormulaHighlighter::SetVariableNames(const QStringList& names) {
    QSet<QString> variables;
    for (const QString& name : names) {
        // Only a name the scanner can read can ever match, and keeping to
        // those keeps the upper-casing to A-Z.
        if (IsName(name)) {
            variables.insert(name.toUpper());
        }
    }
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
    // The whole line is scanned, since a string literal may open before the
    // coloured part, but only the names inside it are looked up.
    const auto [from, to] = ColouredSpan(line);
    for (qsizetype at = 0; at < to;) {
        const Token token = ScanToken(line, at);
        const qsizetype end = at + token.length;
        if (end > from) {
            const std::optional<Category> category =
                token.kind == TokenKind::Name ? CategoryOfName(line.mid(at, token.length))
                                              : CategoryOfSymbol(token.kind);
            if (category) {
                const qsizetype start = std::max(at, from);
                setFormat(static_cast<int>(start), static_cast<int>(std::min(end, to) - start),
                          Format(*category));
            }
        }
        at = end;
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

std::optional<Category> FormulaHighlighter::CategoryOfName(QStringView word) const {
    // Keywords first: an If block is cut at them whatever the variables are
    // called. A variable before a function: its value replaces the name.
    if (IsKeyword(word)) {
        return Category::Keyword;
    }
    if (m_variables.contains(word.toString().toUpper())) {
        return Category::Variable;
    }
    if (IsFunctionName(word.toLatin1().toStdString())) {
        return Category::Function;
    }
    return std::nullopt;
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
