#include "QtWindowServices.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
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

QString ChosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0);
}

}  // namespace

void QtWindowServices::ShowMessage(QWidget* parent, const QString& prompt, const QString& title,
                                   MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), title, prompt, QMessageBox::Ok, parent);
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
    return ChosenFile(dialog);
}

QString QtWindowServices::GetSaveFileName(QWidget* parent, const QString& fileName,
                                          const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
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
