#include "QtWindowServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QUrl>

#include "InfoWindows.h"

namespace vornel {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Window managers draw the title in a bold font, beside an icon and up to
// three buttons, and cut a title that does not fit. A box's title may be its
// only diagnostic ("Error Number-11"), so the box is made wide enough for it.
int WidthForTitle(const QString& title, const QFont& font) {
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    constexpr int kTitleBarItems = 4;
    return metrics.horizontalAdvance(title) * 5 / 4 + kTitleBarItems * 2 * metrics.height();
}

// The open and save dialogs start in the folder last chosen in either, in
// this run or an earlier one.
const QString kLastFolderKey = QStringLiteral("files/lastFolder");

QString SettingsScope() {
    return QStringLiteral("vornel");
}

void StartInLastFolder(QFileDialog& dialog) {
    const QString folder =
        QSettings(SettingsScope(), SettingsScope()).value(kLastFolderKey).toString();
    if (!folder.isEmpty() && QDir(folder).exists()) {
        dialog.setDirectory(folder);
    }
}

QString ChosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const QString chosen = dialog.selectedFiles().value(0);
    if (!chosen.isEmpty()) {
        QSettings(SettingsScope(), SettingsScope())
            .setValue(kLastFolderKey, QFileInfo(chosen).absolutePath());
    }
    return chosen;
}

}  // namespace

void QtWindowServices::ShowMessage(QWidget* parent, const QString& prompt, const QString& title,
                                   MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), title, prompt, QMessageBox::Ok, parent);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(WidthForTitle(title, box.font()), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}

void QtWindowServices::ShowProductInformation(QWidget* parent) {
    Dialog dialog(parent);
    dialog.exec();
}

void QtWindowServices::ShowAbout(QWidget* parent) {
    frmAbout about(parent);
    about.exec();
}

bool QtWindowServices::StartHelpViewer(const QString& path) {
#ifdef Q_OS_WIN
    if (path.endsWith(QStringLiteral(".chm"), Qt::CaseInsensitive)) {
        return QProcess::startDetached(QStringLiteral("hh.exe"), {QDir::toNativeSeparators(path)});
    }
#endif
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString QtWindowServices::GetOpenFileName(QWidget* parent, const QString& filter) {
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    StartInLastFolder(dialog);
    return ChosenFile(dialog);
}

QString QtWindowServices::GetSaveFileName(QWidget* parent, const QString& fileName,
                                          const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    StartInLastFolder(dialog);
    dialog.selectFile(fileName);
    return ChosenFile(dialog);
}

std::optional<QString> QtWindowServices::GetText(QWidget* parent, const QString& title,
                                                 const QString& label, const QString& text) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setTextValue(text);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue();
}

}  // namespace vornel
