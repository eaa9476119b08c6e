#include "FormulaBox.h"

#include <QEvent>

#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "FormulaHighlighter.h"

namespace vornel {

namespace {

// CR LF before the lone characters, so that a CR LF pair is one line break.
const QRegularExpression& LineBreak() {
    static const QRegularExpression pattern(QStringLiteral("\r\n|\r|\n|\u2028|\u2029"));
    return pattern;
}

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
    connect(document(), &QTextDocument::contentsChanged, this, &FormulaBox::ClearFaultWhenChanged);
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

QString FormulaBox::SelectedText() const {
    return WithLineFeeds(textCursor().selectedText());
}

void FormulaBox::ReplaceSelection(const QString& text) {
    QTextCursor cursor = textCursor();
    cursor.insertText(WithLineFeeds(text));
    setTextCursor(cursor);
}

void FormulaBox::DeleteSelection() {
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) {
        if (cursor.atEnd()) {
            return;
        }
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
    setTextCursor(cursor);
}

void FormulaBox::SetVariableNames(const QStringList& names) {
    m_highlighter->SetVariableNames(names);
}

int FormulaBox::PositionOf(std::size_t index) const {
    const QString raw = document()->toRawText();
    std::size_t seen = 0;
    int position = 0;
    while (position < raw.size() && seen < index) {
        const QChar c = raw[position];
        const bool pair = position + 1 < raw.size() &&
                          ((c == '\r' && raw[position + 1] == '\n') ||
                           (c.isHighSurrogate() && raw[position + 1].isLowSurrogate()));
        const bool lineBreak =
            c == '\r' || c == '\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
        seen += lineBreak ? 2 : 1;  // CR LF outside, one engine character per code point
        position += pair ? 2 : 1;
    }
    return position;
}

void FormulaBox::MarkFault(std::size_t begin, std::size_t end, const QString& explanation) {
    QTextCursor cursor(document());
    cursor.setPosition(PositionOf(begin));
    cursor.setPosition(PositionOf(end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();

    QTextEdit::ExtraSelection underline;
    underline.cursor = cursor;
    underline.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    underline.format.setUnderlineColor(Qt::red);
    setExtraSelections({underline});
    setToolTip(explanation);
    m_faultyText = document()->toRawText();
}

void FormulaBox::ClearFaultWhenChanged() {
    // Colouring and marking do not change the text; only an edit does.
    if (m_faultyText && *m_faultyText != document()->toRawText()) {
        ClearFault();
    }
}

void FormulaBox::ClearFault() {
    m_faultyText.reset();
    setExtraSelections({});
    setToolTip(QString());
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
        m_highlighter->ColourShownPart(block);
    }
}

QMimeData* FormulaBox::createMimeDataFromSelection() const {
    auto* mime = new QMimeData;
    mime->setText(SelectedText());
    return mime;
}

}  // namespace vornel
