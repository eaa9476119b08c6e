// The variables list: two lists read row by row as one table of names and
// values, below two heading rows; values edited, variables renamed, added
// and removed.
#include <QAction>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include <vornel/Exp.h>
#include <vornel/Names.h>
#include "FormulaBox.h"
#include "Main.h"

namespace vornel {

namespace {

constexpr int kFirstVariableRow = 2;

const QStringList kStartNames = {QStringLiteral(" Variable "), QStringLiteral("-----------------"),
                                 QStringLiteral(" A    "),     QStringLiteral(" B    "),
                                 QStringLiteral(" C    "),     QStringLiteral(" D    "),
                                 QStringLiteral(" E    ")};
const QStringList kStartValues = {QStringLiteral(" Value"),  QStringLiteral("-----------------"),
                                  QStringLiteral(" 100.00"), QStringLiteral(" 200.00"),
                                  QStringLiteral(" 300.00"), QStringLiteral(" 400.00"),
                                  QStringLiteral(" 500.00")};

// Row r goes to slot r - 2; rows past the 16-bit range stay out of range
// instead of wrapping around to small slot numbers.
std::int16_t SlotOfRow(int row) {
    return std::int16_t(
        std::min(row - kFirstVariableRow, int(std::numeric_limits<std::int16_t>::max())));
}

QString RowText(const QListWidget* list, int row) {
    const QListWidgetItem* item = list->item(row);
    return item != nullptr ? item->text() : QString();
}

// A changed row keeps the indent its text had, so rows made at start-up stay
// lined up with their neighbours.
void ReplaceRowText(QListWidget* list, int row, const QString& text) {
    const QString old = RowText(list, row);
    qsizetype indent = 0;
    while (indent < old.size() && old.at(indent).isSpace()) {
        ++indent;
    }
    list->item(row)->setText(old.left(indent) + text);
}

QString Quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

}  // namespace

// QString::toDouble reads the C locale's form whatever the user's locale is.
double ValueFromText(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? value : 0.0;
}

std::optional<double> ValueFromInput(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = trimmed.toDouble(&ok);
    if (!ok) {
        value = QLocale().toDouble(trimmed, &ok);
    }
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

QString ValueRowText(double value) {
    // The shortest text that reads back as the same double, never an exponent.
    char digits[400];
    const auto written =
        std::to_chars(std::begin(digits), std::end(digits), value + 0.0, std::chars_format::fixed);
    QString text = QString::fromLatin1(digits, written.ptr - digits);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0) {
        return text + QStringLiteral(".00");
    }
    return text.size() - point < 3 ? text + QLatin1Char('0') : text;
}

void Main::FillVariables() {
    m_names->addItems(kStartNames);
    m_values->addItems(kStartValues);
    VariablesChanged();
}

void Main::StoreVariables(Exp& engine) const {
    for (int row = kFirstVariableRow; row < m_names->count(); ++row) {
        const QString name = RowText(m_names, row).trimmed().toUpper();
        engine.SetVariable(SlotOfRow(row), name.toStdString(),
                           ValueFromText(RowText(m_values, row)));
    }
}

QStringList Main::VariableNames() const {
    QStringList names;
    for (int row = kFirstVariableRow; row < m_names->count(); ++row) {
        names << RowText(m_names, row).trimmed();
    }
    return names;
}

// Selecting the row a list already has raises no signal, so the two
// handlers stop after one round.
void Main::List_Var_Click(int row) {
    m_values->setCurrentRow(row);
    UpdateVariableCommands();
}

void Main::List3_Click(int row) {
    m_names->setCurrentRow(row);
    UpdateVariableCommands();
}

void Main::List_Var_DblClick(int row) {
    if (row < kFirstVariableRow) {
        return;
    }
    m_formula->ReplaceSelection(RowText(m_names, row).trimmed());
}

void Main::List3_DblClick(int row) {
    if (row >= kFirstVariableRow) {
        EditValue();
    }
}

// The next number after the rows present, passing over names already taken
// (a variable renamed to Var9, or rows removed since Var9 was added).
void Main::Command2_Click() {
    const QStringList names = VariableNames();
    int number = m_names->count() + 1;
    while (names.contains(QStringLiteral("Var%1").arg(number), Qt::CaseInsensitive)) {
        ++number;
    }
    m_names->addItem(QStringLiteral("Var%1").arg(number));
    AddValueRow();
    VariablesChanged();
}

void Main::AddValueRow() {
    m_values->addItem(QStringLiteral("0.00"));
}

void Main::BuildVariableCommands() {
    const auto command = [this](const char* name, const QString& text) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    m_editValue = command("VariableEditValue", QStringLiteral("Edit Value..."));
    m_editValue->setShortcut(QKeySequence(Qt::Key_F2));
    m_editValue->setShortcutContext(Qt::WidgetShortcut);
    m_rename = command("VariableRename", QStringLiteral("Rename..."));
    m_remove = command("VariableRemove", QStringLiteral("Remove"));
    m_addVariable = command("VariableAdd", QStringLiteral("Add Variable"));
    connect(m_editValue, &QAction::triggered, this, &Main::EditValue);
    connect(m_rename, &QAction::triggered, this, &Main::RenameVariable);
    connect(m_remove, &QAction::triggered, this, &Main::RemoveVariable);
    connect(m_addVariable, &QAction::triggered, this, &Main::Command2_Click);
    for (QListWidget* list : {m_names, m_values}) {
        list->addAction(m_editValue);
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this,
                [this, list](const QPoint& position) { ShowVariableMenu(list, position); });
    }
    // The two lists show the same rows however either one is scrolled: wheel,
    // scroll bar, keyboard, or rows added and removed.
    QScrollBar* names = m_names->verticalScrollBar();
    QScrollBar* values = m_values->verticalScrollBar();
    connect(names, &QScrollBar::valueChanged, values, &QScrollBar::setValue);
    connect(values, &QScrollBar::valueChanged, names, &QScrollBar::setValue);
    connect(names, &QScrollBar::rangeChanged, this,
            [names, values] { values->setValue(names->value()); });
    connect(values, &QScrollBar::rangeChanged, this,
            [names, values] { names->setValue(values->value()); });
    UpdateVariableCommands();
}

// The menu works on the row under the pointer, which becomes the selected
// one; outside the rows only adding is offered.
void Main::ShowVariableMenu(QListWidget* list, const QPoint& position) {
    const QListWidgetItem* item = list->itemAt(position);
    SelectVariableRow(item != nullptr ? list->row(item) : -1);
    QMenu menu(this);
    menu.addAction(m_editValue);
    if (list == m_names) {
        menu.addAction(m_rename);
    }
    menu.addAction(m_remove);
    menu.addSeparator();
    menu.addAction(m_addVariable);
    menu.exec(list->viewport()->mapToGlobal(position));
}

void Main::UpdateVariableCommands() {
    const bool onVariable = SelectedVariableRow() >= kFirstVariableRow;
    for (QAction* action : {m_editValue, m_rename, m_remove}) {
        action->setEnabled(onVariable);
    }
}

// The selected variable's row, or -1 when a heading or nothing is selected.
int Main::SelectedVariableRow() const {
    const int row = m_names->currentRow();
    return row >= kFirstVariableRow && row < m_values->count() ? row : -1;
}

void Main::SelectVariableRow(int row) {
    m_names->setCurrentRow(row);
    m_values->setCurrentRow(row);
    UpdateVariableCommands();
}

void Main::EditValue() {
    const int row = SelectedVariableRow();
    if (row < 0) {
        return;
    }
    const QString name = RowText(m_names, row).trimmed();
    const std::optional<QString> typed = m_services.GetText(
        this, QStringLiteral("Edit Value"), QStringLiteral("Value of %1:").arg(name),
        RowText(m_values, row).trimmed());
    if (typed) {
        List3_ItemCheck(row, *typed);
    }
}

// A value row always holds a number text with "." (the evaluation reads it
// so): a number in that form or in the user's own is stored in it, anything
// else is refused and the row keeps its text.
void Main::List3_ItemCheck(int row, const QString& text) {
    const std::optional<double> value = ValueFromInput(text);
    if (!value) {
        m_services.ShowMessage(this, QStringLiteral("The inputed value is not number."),
                               QStringLiteral("Error"), MessageIcon::Exclamation);
        return;
    }
    ReplaceRowText(m_values, row, ValueRowText(*value));
}

void Main::RenameVariable() {
    const int row = SelectedVariableRow();
    if (row < 0) {
        return;
    }
    const QString old = RowText(m_names, row).trimmed();
    const std::optional<QString> typed = m_services.GetText(
        this, QStringLiteral("Rename Variable"), QStringLiteral("New name for %1:").arg(old), old);
    if (!typed || typed->trimmed() == old) {
        return;
    }
    const QString name = typed->trimmed();
    const QString refusal = NameRefusal(name, row);
    if (!refusal.isEmpty()) {
        ShowWarning(refusal);
        return;
    }
    ReplaceRowText(m_names, row, name);
    VariablesChanged();
}

// Why `name` cannot be given to the variable in `row`, or an empty text.
QString Main::NameRefusal(const QString& name, int row) const {
    // The reason goes on a line of its own, so that no line breaks inside the
    // quoted name.
    const QString cannot = QStringLiteral("%1 cannot be a variable name:\n").arg(Quoted(name));
    switch (CheckVariableName(name.toStdString())) {
        case NameProblem::None:
            break;
        case NameProblem::Empty:
            return QStringLiteral("A variable needs a name.");
        case NameProblem::BadStart:
            return cannot + QStringLiteral("a name begins with a letter (A to Z) or \"_\".");
        case NameProblem::BadCharacter:
            return cannot + QStringLiteral("a name holds only letters (A to Z), digits and \"_\".");
        case NameProblem::FunctionName:
            return cannot + QStringLiteral("it is the name of a function.");
        case NameProblem::TruthValue:
            return cannot + QStringLiteral("conditions read it as a truth value.");
        case NameProblem::Keyword:
            return cannot + QStringLiteral("it is a keyword of If blocks.");
        case NameProblem::HoldsKeyword:
            return cannot +
                   QStringLiteral("it holds THEN, ELSE or ENDIF, which would break If blocks.");
        case NameProblem::BeginsWithIf:
            return cannot +
                   QStringLiteral("a formula beginning with it would be read as an If block.");
    }
    for (int other = kFirstVariableRow; other < m_names->count(); ++other) {
        const QString taken = RowText(m_names, other).trimmed();
        if (other != row && taken.compare(name, Qt::CaseInsensitive) == 0) {
            return cannot + QStringLiteral("the variable %1 has it already.").arg(Quoted(taken));
        }
    }
    return {};
}

// The rows below move up, and so reach the engine one slot lower.
void Main::RemoveVariable() {
    const int row = SelectedVariableRow();
    if (row < 0) {
        return;
    }
    {
        const QSignalBlocker namesQuiet(m_names);
        const QSignalBlocker valuesQuiet(m_values);
        delete m_names->takeItem(row);
        delete m_values->takeItem(row);
    }
    const int next = std::min(row, m_names->count() - 1);
    SelectVariableRow(next >= kFirstVariableRow ? next : -1);
    VariablesChanged();
}

void Main::VariablesChanged() {
    UpdateVariableCommands();
    // Only the names that reach the engine are variables to a formula.
    m_formula->SetVariableNames(VariableNames().mid(0, kVariableSlots));
}

}  // namespace vornel
