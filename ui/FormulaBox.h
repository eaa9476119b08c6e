#pragma once

#include <QColor>
#include <QList>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <vector>

namespace vornel {

class FormulaHighlighter;

// `text` with every line break (CR LF, lone CR, LF, or a text document's
// paragraph and line separators) written as CR LF.
QString WithCrLf(const QString& text);

// `text` with every line break written as LF alone.
QString WithLineFeeds(const QString& text);

// The multi-line formula editor. Outside it, the formula's lines are separated
// by CR LF and positions count characters as the engine does (a line break is
// two, a character beyond U+FFFF one); inside, a line break is a single
// position and such a character two.
class FormulaBox : public QPlainTextEdit {
    Q_OBJECT

public:
    // A wavy underline of `colour` under characters [begin, end), or with
    // `wave` false a background of that colour.
    struct Mark {
        std::size_t begin = 0;
        std::size_t end = 0;
        QColor colour;
        bool wave = true;
    };

    explicit FormulaBox(QWidget* parent = nullptr);

    // The whole formula, lines joined by CR LF.
    QString Text() const;

    // Replaces the whole formula without an undo step; CR LF, LF and CR each
    // start a new line.
    void SetText(const QString& text);

    // Replaces characters [begin, end) with `text` as one undo step; the caret
    // ends just behind it with nothing selected.
    void ReplaceRange(std::size_t begin, std::size_t end, const QString& text);

    // Selects characters [begin, end) (the caret at `end`) and scrolls there.
    void SelectRange(std::size_t begin, std::size_t end);

    // The selection as characters [begin, end).
    std::pair<std::size_t, std::size_t> SelectedRange() const;

    // The names of the variables the formula may use, so that they are shown
    // in their own colour.
    void SetVariableNames(const QStringList& names);

    // Draws `marks` until the next call; the text, its colours and the undo
    // history stay as they are.
    void SetMarks(std::vector<Mark> marks);
    const std::vector<Mark>& Marks() const { return m_marks; }

    // The box positions of the characters `indexes` (in ascending order).
    std::vector<int> PositionsOf(const std::vector<std::size_t>& indexes) const;
    int PositionOf(std::size_t index) const;
    // The character number of box position `position`.
    std::size_t IndexOf(int position) const;

signals:
    // The formula's text changed (colouring and marks are no change).
    void Edited();

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

    // The wavy marks, two pixels thick, over the text.
    void paintEvent(QPaintEvent* event) override;

private:
    void NoticeChange();
    // Tells the colouring which part of the document is in view, and has it
    // colour what it has not yet coloured there.
    void ColourShownText();
    void PaintWave(QPainter& painter, int from, int to, const QColor& colour);

    FormulaHighlighter* m_highlighter;
    QString m_text;  // the raw text as last seen, to tell edits from colouring
    std::vector<Mark> m_marks;
    std::vector<std::pair<int, int>> m_markPositions;  // of m_marks, in the box
};

}  // namespace vornel
