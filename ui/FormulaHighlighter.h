#pragma once

#include <QPalette>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <array>
#include <optional>

namespace vornel {

// Colours the formula box: keywords of an If block, the built-in functions,
// numbers, string literals, operators and the names of known variables. Each
// line is coloured on its own (a string literal left open ends with its line),
// and only formats change: the document's text is never touched.
class FormulaHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    enum class Category { Keyword, Function, Number, String, Operator, Variable };
    Q_ENUM(Category)

    // A longer line is shown without colours: laying out a line costs time
    // for every coloured stretch, and at this length a keystroke already
    // takes some 25 ms.
    static constexpr qsizetype kLongestColouredLine = 10000;

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

protected:
    void highlightBlock(const QString& text) override;

private:
    static constexpr std::size_t kCategoryCount = 6;

    // The category of the whole name `word`, if any.
    std::optional<Category> CategoryOfName(QStringView word) const;
    void ChooseColours(const QColor& base);

    std::array<QTextCharFormat, kCategoryCount> m_formats;
    QSet<QString> m_variables;  // upper-cased
};

}  // namespace vornel
