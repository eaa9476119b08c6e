// The variables list: two lists read row by row as one table of names and
// values, below two heading rows.
#include <QListWidget>

#include <algorithm>
#include <limits>

#include "Exp.h"
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

}  // namespace

// QString::toDouble reads the C locale's form whatever the user's locale is.
double ValueFromText(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? value : 0.0;
}

void Main::FillVariables() {
    m_names->addItems(kStartNames);
    m_values->addItems(kStartValues);
}

void Main::StoreVariables(Exp& engine) const {
    for (int row = kFirstVariableRow; row < m_names->count(); ++row) {
        const QString name = RowText(m_names, row).trimmed().toUpper();
        engine.SetVariable(SlotOfRow(row), name.toStdString(),
                           ValueFromText(RowText(m_values, row)));
    }
}

// Selecting the row a list already has raises no signal, so the two
// handlers stop after one round.
void Main::List_Var_Click(int row) {
    m_values->setCurrentRow(row);
}

void Main::List3_Click(int row) {
    m_names->setCurrentRow(row);
}

void Main::List_Var_DblClick() {
    const int row = m_names->currentRow();
    if (row < kFirstVariableRow) {
        return;
    }
    m_formula->ReplaceSelection(RowText(m_names, row).trimmed());
}

void Main::Command2_Click() {
    m_names->addItem(QStringLiteral("Var%1").arg(m_names->count() + 1));
    AddValueRow();
}

void Main::AddValueRow() {
    m_values->addItem(QStringLiteral("0.00"));
}

}  // namespace vornel
