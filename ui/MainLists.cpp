// The variables lists as the model holds them: two lists read row by row as
// one table, selected and scrolled in step, with a context menu of the
// commands that change a variable.
#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>

#include "FormulaBox.h"
#include "Main.h"

namespace vornel {

void Main::List_Var_Click(int row) {
    m_model.List_Var_Click(row);
}

void Main::List3_Click(int row) {
    m_model.List3_Click(row);
}

void Main::List_Var_DblClick(int row) {
    m_model.List_Var_DblClick(row);
}

void Main::List3_DblClick(int row) {
    m_model.List3_DblClick(row);
}

void Main::Command2_Click() {
    m_model.Command2_Click();
}

void Main::BuildVariableCommands() {
    const auto command = [this](const char* name, const QString& text,
                                void (MainModel::*handler)()) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, [this, handler] { (m_model.*handler)(); });
        return action;
    };
    m_editValue =
        command("VariableEditValue", QStringLiteral("Edit Value..."), &MainModel::EditValue);
    m_editValue->setShortcut(QKeySequence(Qt::Key_F2));
    m_editValue->setShortcutContext(Qt::WidgetShortcut);
    m_rename = command("VariableRename", QStringLiteral("Rename..."), &MainModel::RenameVariable);
    m_remove = command("VariableRemove", QStringLiteral("Remove"), &MainModel::RemoveVariable);
    m_addVariable =
        command("VariableAdd", QStringLiteral("Add Variable..."), &MainModel::Command2_Click);
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
    ShowVariableSelection();
}

// The menu works on the row under the pointer, which becomes the selected
// one; outside the rows only adding is offered.
void Main::ShowVariableMenu(QListWidget* list, const QPoint& position) {
    const QListWidgetItem* item = list->itemAt(position);
    m_model.List_Var_Click(item != nullptr ? list->row(item) : -1);
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

void Main::ShowVariables() {
    {
        const QSignalBlocker namesQuiet(m_names);
        const QSignalBlocker valuesQuiet(m_values);
        m_names->clear();
        m_values->clear();
        for (const VariableRow& row : m_model.VariableRows()) {
            m_names->addItem(QString::fromStdString(row.name));
            m_values->addItem(QString::fromStdString(row.value));
        }
    }
    QStringList names;
    for (const std::string& name : m_model.VariableNames()) {
        names << QString::fromStdString(name);
    }
    m_formula->SetVariableNames(names);
    ShowVariableSelection();
}

// A new or changed row is scrolled into view.
void Main::ShowVariableSelection() {
    const int row = m_model.SelectedVariableRow();
    for (QListWidget* list : {m_names, m_values}) {
        const QSignalBlocker quiet(list);
        list->setCurrentRow(row);
        if (row >= 0) {
            list->scrollToItem(list->item(row));
        }
    }
    for (QAction* action : {m_editValue, m_rename, m_remove}) {
        action->setEnabled(m_model.VariableSelected());
    }
}

}  // namespace vornel
