#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>

namespace vornel {

class FormulaHighlighter;

// `text` with every line break (CR LF, lone CR, LF, or a text document's
// paragraph and line separators) written as CR LF.
QString WithCrLf(const QString& text);

// `text` with every line break written as LF alone.
QString WithLineFeeds(const QString& text);

// The multi-line formula editor. Outside it, the formula's lines are separated
// by CR LF, as the engine and expression files take them; inside, a line break
// is a single position, so deleting "the line break" removes CR and LF at once.
class FormulaBox : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit FormulaBox(QWidget* parent = nullptr);

    // The whole formula, lines joined by CR LF.
    QString Text() const;

    // Replaces the whole formula; CR LF, LF and CR each start a new line.
    void SetText(const QString& text);

    // The selected part with LF line breaks (empty when nothing is selected).
    QString SelectedText() const;

    // Replaces the selection (or inserts at the caret) with `text`; the caret
    // ends just behind the inserted text with nothing selected.
    void ReplaceSelection(const QString& text);

    // Forward delete: removes the selection, or else the character behind the
    // caret, where a line break counts as one character. Nothing happens with
    // the caret at the very end.
    void DeleteSelection();

    // The names of the variables the formula may use, so that they are shown
    // in their own colour.
    void SetVariableNames(const QStringList& names);

    // Points at the part of the formula a failed evaluation concerns:
    // characters [begin, end) of Text() as the engine counts them. Selects it
    // (an empty range places the caret there), scrolls it into view, and
    // underlines it with a red wavy line and shows `explanation` as the tool
    // tip until the formula changes. Colours, text and undo history are
    // untouched.
    void MarkFault(std::size_t begin, std::size_t end, const QString& explanation);

    // Removes the mark of MarkFault; editing the formula also removes it.
    void ClearFault();

    // The box position of the character numbered `index` of Text(): a line
    // break is two characters there (CR LF) and one position here.
    int PositionOf(std::size_t index) const;

protected:
    // A new palette (a dark or light desktop theme) gets its own colours.
    void changeEvent(QEvent* event) override;

    // The box's own copy and drag carry the plain text only, never the colours
    // the formula is shown in.
    QMimeData* createMimeDataFromSelection() const override;

    // A long line is coloured only around the part in view, so scrolling and
    // resizing colour the part that comes into view.
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ClearFaultWhenChanged();
    // Tells the colouring which part of the document is in view, and has it
    // colour what it has not yet coloured there.
    void ColourShownText();

    FormulaHighlighter* m_highlighter;
    std::optional<QString> m_faultyText;  // the formula as it was when marked
};

}  // namespace vornel
