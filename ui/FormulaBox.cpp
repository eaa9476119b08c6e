#include "FormulaBox.h"

#include <QEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include "FormulaHighlighter.h"

namespace vornel {

namespace {

// CR LF before the lone characters, so that a CR LF pair is one line break.
const QRegularExpression& LineBreak() {
    static const QRegularExpression pattern(QStringLiteral("\r\n|\r|\n|\u2028|\u2029"));
    return pattern;
}

bool IsLineBreak(QChar c) {
    return c == '\r' || c == '\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// The characters one box position holds outside: two for a line break (CR
// LF), none for the second half of a surrogate pair, one otherwise.
std::size_t CharactersAt(const QString& raw, int position) {
    const QChar c = raw[position];
    if (IsLineBreak(c)) {
        return 2;
    }
    return c.isLowSurrogate() && position > 0 && raw[position - 1].isHighSurrogate() ? 0 : 1;
}

constexpr qreal kWaveWidth = 2.0;       // pixels, the pen
constexpr qreal kWaveHalfPeriod = 3.0;  // pixels
constexpr qreal kWaveHeight = 2.0;      // pixels, crest to trough
constexpr qreal kShortestWave = 12.0;   // pixels: a narrow character still shows a wave

}  // namespace

QString WithCrLf(const QString& text) {
    QString result = text;
    return result.replace(LineBreak(), QStringLiteral("\r\n"));
}

QString WithLineFeeds(const QString& text) {
    QString result = text;
    return result.replace(LineBreak(), QStringLiteral("\n"));
}

FormulaBox::FormulaBox(QWidget* parent)
    : QPlainTextEdit(parent), m_highlighter(new FormulaHighlighter(document())) {
    m_highlighter->SetPalette(palette());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChanged, this, &FormulaBox::NoticeChange);
    // After an edit: the document is laid out again by then.
    connect(document(), &QTextDocument::contentsChanged, this, &FormulaBox::ColourShownText);
}

// The raw text keeps characters such as no-break spaces that the plain-text
// export would turn into ordinary spaces.
QString FormulaBox::Text() const {
    return WithCrLf(document()->toRawText());
}

void FormulaBox::SetText(const QString& text) {
    setPlainText(WithLineFeeds(text));
}

void FormulaBox::NoticeChange() {
    QString raw = document()->toRawText();
    if (raw != m_text) {
        m_text = std::move(raw);
        emit Edited();
    }
}

void FormulaBox::ReplaceRange(std::size_t begin, std::size_t end, const QString& text) {
    const std::vector<int> positions = PositionsOf({begin, end});
    QTextCursor cursor(document());
    cursor.setPosition(positions[0]);
    cursor.setPosition(positions[1], QTextCursor::KeepAnchor);
    cursor.beginEditBlock();
    cursor.insertText(WithLineFeeds(text));
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

// The start of a long selection is what comes into view; the caret stands
// at its end, as after selecting with Shift and the arrow keys.
void FormulaBox::SelectRange(std::size_t begin, std::size_t end) {
    const std::vector<int> positions = PositionsOf({begin, end});
    QTextCursor cursor(document());
    cursor.setPosition(positions[0]);
    setTextCursor(cursor);
    ensureCursorVisible();
    const int across = horizontalScrollBar()->value();
    const int down = verticalScrollBar()->value();
    cursor.setPosition(positions[1], QTextCursor::KeepAnchor);
    setTextCursor(cursor);  // which brings the caret into view
    horizontalScrollBar()->setValue(across);
    verticalScrollBar()->setValue(down);
}

std::pair<std::size_t, std::size_t> FormulaBox::SelectedRange() const {
    const QTextCursor cursor = textCursor();
    return {IndexOf(cursor.selectionStart()), IndexOf(cursor.selectionEnd())};
}

void FormulaBox::SetVariableNames(const QStringList& names) {
    m_highlighter->SetVariableNames(names);
}

std::vector<int> FormulaBox::PositionsOf(const std::vector<std::size_t>& indexes) const {
    const QString raw = document()->toRawText();
    std::vector<int> positions;
    positions.reserve(indexes.size());
    std::size_t seen = 0;
    int position = 0;
    for (const std::size_t index : indexes) {
        while (position < raw.size() && seen + CharactersAt(raw, position) <= index) {
            seen += CharactersAt(raw, position);
            ++position;
        }
        // Behind the second half of a pair that counts as one with the first.
        while (position < raw.size() && CharactersAt(raw, position) == 0) {
            ++position;
        }
        positions.push_back(position);
    }
    return positions;
}

int FormulaBox::PositionOf(std::size_t index) const {
    return PositionsOf({index}).front();
}

std::size_t FormulaBox::IndexOf(int position) const {
    const QString raw = document()->toRawText();
    std::size_t index = 0;
    for (int at = 0; at < position && at < raw.size(); ++at) {
        index += CharactersAt(raw, at);
    }
    return index;
}

// The positions of all marks are found in one pass over the text.
void FormulaBox::SetMarks(std::vector<Mark> marks) {
    m_marks = std::move(marks);
    std::vector<std::size_t> indexes;
    for (const Mark& mark : m_marks) {
        indexes.insert(indexes.end(), {mark.begin, mark.end});
    }
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    const std::vector<int> positions = PositionsOf(indexes);
    const auto positionOf = [&](std::size_t index) {
        return positions[std::size_t(std::lower_bound(indexes.begin(), indexes.end(), index) -
                                     indexes.begin())];
    };
    m_markPositions.clear();
    QList<QTextEdit::ExtraSelection> backgrounds;
    for (const Mark& mark : m_marks) {
        m_markPositions.emplace_back(positionOf(mark.begin), positionOf(mark.end));
        if (!mark.wave) {
            QTextEdit::ExtraSelection selection;
            selection.cursor = QTextCursor(document());
            selection.cursor.setPosition(m_markPositions.back().first);
            selection.cursor.setPosition(m_markPositions.back().second, QTextCursor::KeepAnchor);
            selection.format.setBackground(mark.colour);
            backgrounds << selection;
        }
    }
    setExtraSelections(backgrounds);
    viewport()->update();
}

void FormulaBox::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    if (m_marks.empty()) {
        return;
    }
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    for (std::size_t i = 0; i < m_marks.size(); ++i) {
        if (m_marks[i].wave) {
            PaintWave(painter, m_markPositions[i].first, m_markPositions[i].second,
                      m_marks[i].colour);
        }
    }
}

// Line by line, from the left edge of the first character to the right edge
// of the last, just under the text.
void FormulaBox::PaintWave(QPainter& painter, int from, int to, const QColor& colour) {
    painter.setPen(QPen(colour, kWaveWidth, Qt::SolidLine, Qt::RoundCap));
    QTextCursor cursor(document());
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = std::max(from, block.position());
        const int end = std::min(to, block.position() + block.length() - 1);
        if (start >= end) {
            continue;
        }
        cursor.setPosition(start);
        const QRect left = cursorRect(cursor);
        cursor.setPosition(end);
        const QRect right = cursorRect(cursor);
        if (!viewport()->rect().intersects(left.united(right))) {
            continue;
        }
        const qreal y = left.bottom() - kWaveHeight / 2;
        const qreal widen = std::max(0.0, (kShortestWave - (right.left() - left.left())) / 2);
        qreal first = left.left() - widen;
        const qreal last = std::min(right.left() + widen, qreal(viewport()->width() + 1));
        // Only the part in view is drawn: a mark may span a line of thousands of
        // characters. The wave keeps its phase.
        int step = 0;
        if (first < -kWaveHalfPeriod) {
            step = int((-kWaveHalfPeriod - first) / kWaveHalfPeriod);
            first += step * kWaveHalfPeriod;
        }
        QPainterPath wave(QPointF(first, y));
        for (qreal x = first; x < last; x += kWaveHalfPeriod, ++step) {
            wave.lineTo(std::min(x + kWaveHalfPeriod, last),
                        y + (step % 2 == 0 ? kWaveHeight / 2 : -kWaveHeight / 2));
        }
        painter.drawPath(wave);
    }
}

void FormulaBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        m_highlighter->SetPalette(palette());
    }
    QPlainTextEdit::changeEvent(event);
}

void FormulaBox::scrollContentsBy(int dx, int dy) {
    QPlainTextEdit::scrollContentsBy(dx, dy);
    ColourShownText();
}

void FormulaBox::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    ColourShownText();
}

void FormulaBox::ColourShownText() {
    const qreal left = horizontalScrollBar()->value();
    m_highlighter->SetShownPixels(left, left + viewport()->width());
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        if (blockBoundingGeometry(block).translated(offset).top() > viewport()->height()) {
            break;
        }
        // The line keeps its shaped glyphs between paints: without them, drawing
        // the text, the caret and the marks each shape a long line again.
        block.layout()->setCacheEnabled(true);
        m_highlighter->ColourShownPart(block);
    }
}

QMimeData* FormulaBox::createMimeDataFromSelection() const {
    auto* mime = new QMimeData;
    mime->setText(WithLineFeeds(textCursor().selectedText()));
    return mime;
}

}  // namespace vornel
