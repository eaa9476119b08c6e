#include "FormulaBox.h"

#include <QMimeData>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

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

FormulaBox::FormulaBox(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
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

QMimeData* FormulaBox::createMimeDataFromSelection() const {
    auto* mime = new QMimeData;
    mime->setText(SelectedText());
    return mime;
}

}  // namespace vornel
