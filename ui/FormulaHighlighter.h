#pragma once

#include <QFont>
#include <QPalette>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextCharFormat>

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vornel {

// Colours the formula box: keywords of an If block, the built-in functions,
// numbers, string literals, operators and the names of known variables. Each
// line is coloured on its own (a string literal left open ends with its line),
// and only formats change: the document's text is never touched. Which
// stretch gets which category comes from the model's ColourFormula; this class
// adds the colours and colours only the shown part of a very long line.
class FormulaHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    enum class Category { Keyword, Function, Number, String, Operator, Variable };
    Q_ENUM(Category)

    // A line up to this length is coloured whole. A longer one is coloured
    // only where it is shown and kShownMargin characters either side: laying
    // out a line costs time for every coloured stretch, and a whole coloured
    // line of 32,000 characters takes some 70 ms per keystroke.
    static constexpr qsizetype kLongestWholeLine = 2000;
    static constexpr qsizetype kShownMargin = 500;

    // Attaches to `document` with the colours for the application's palette
    // and no variable names.
    explicit FormulaHighlighter(QTextDocument* document);

    // The names of the variables in the window's list, already trimmed. A name
    // in the formula is a variable when it equals one of them whole, ignoring
    // case; a variable named like a function is coloured as the variable,
    // since its value replaces the name. Re-highlights the document.
    void SetVariableNames(const QStringList& names);

    // Chooses the colour set for a light or a dark QPalette::Base colour and
    // re-highlights the document.
    void SetPalette(const QPalette& palette);

    // The format of `category` for the current palette.
    QTextCharFormat Format(Category category) const;

    // The horizontal stretch of the document that the box shows, in pixels
    // from the document's left edge. A long line coloured from now on is
    // coloured around the characters that stretch shows.
    void SetShownPixels(qreal left, qreal right);

    // Colours `block` again when it is a long line whose coloured characters
    // do not cover the ones the shown stretch holds. Call it for each block in
    // view after scrolling, resizing and editing.
    void ColourShownPart(const QTextBlock& block);

protected:
    void highlightBlock(const QString& text) override;

private:
    static constexpr std::size_t kCategoryCount = 6;

    // The characters of the current block to colour: all of a short line,
    // the shown part and its margins of a long one.
    std::pair<qsizetype, qsizetype> ColouredSpan(QStringView line);
    // The characters of `line` that the shown stretch holds, at least partly.
    std::pair<qsizetype, qsizetype> ShownCharacters(QStringView line);
    void ChooseColours(const QColor& base);

    std::array<QTextCharFormat, kCategoryCount> m_formats;
    std::vector<std::string> m_variables;  // UTF-8, A-Z upper-cased, sorted, unique
    qreal m_shownLeft = 0;
    qreal m_shownRight = 0;
    // The advance of each ASCII character in m_advancesFont.
    std::array<qreal, 128> m_advances{};
    std::optional<QFont> m_advancesFont;
};

}  // namespace vornel
