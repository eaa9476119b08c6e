#include "QtWindowServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
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

// A dialog that asks before replacing a file leaves the focus nowhere when
// it closes under some window managers; the window takes it back.
QString ChosenFile(QFileDialog& dialog) {
    const int answer = dialog.exec();
    if (QWidget* window = dialog.parentWidget()) {
        window->activateWindow();
    }
    if (answer != QDialog::Accepted) {
        return {};
    }
    const QString chosen = dialog.selectedFiles().value(0);
    if (!chosen.isEmpty()) {
        QSettings(SettingsScope(), SettingsScope())
            .setValue(kLastFolderKey, QFileInfo(chosen).absolutePath());
    }
    return chosen;
}

// The lines of an input request with the reason of a refusal below them.
class InputDialog : public QDialog {
public:
    InputDialog(QWidget* parent, const InputRequest& request)
        : QDialog(parent), m_request(request), m_reason(new QLabel(this)) {
        setWindowTitle(QString::fromStdString(request.title));
        auto* form = new QFormLayout(this);
        for (const InputRequest::Field& field : request.fields) {
            auto* line = new QLineEdit(QString::fromStdString(field.text), this);
            line->setObjectName(QStringLiteral("InputLine%1").arg(m_lines.size()));
            form->addRow(QString::fromStdString(field.label), line);
            m_lines << line;
        }
        m_reason->setObjectName(QStringLiteral("InputReason"));
        m_reason->setStyleSheet(QStringLiteral("color: #c00000"));
        m_reason->setWordWrap(true);
        m_reason->hide();
        form->addRow(m_reason);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        form->addRow(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &InputDialog::Check);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        setMinimumWidth(WidthForTitle(windowTitle(), font()));
        if (!m_lines.isEmpty()) {
            m_lines.first()->selectAll();
        }
    }

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const QLineEdit* line : m_lines) {
            lines.push_back(line->text().toStdString());
        }
        return lines;
    }

private:
    void Check() {
        const std::string reason = m_request.check ? m_request.check(Lines()) : std::string();
        if (reason.empty()) {
            accept();
            return;
        }
        m_reason->setText(QString::fromStdString(reason));
        m_reason->show();
    }

    const InputRequest& m_request;
    QList<QLineEdit*> m_lines;
    QLabel* m_reason;
};

}  // namespace

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

bool QtWindowServices::Ask(QWidget* parent, const QString& prompt, const QString& title) {
    QMessageBox box(QMessageBox::Question, title, prompt, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::vector<std::string>> QtWindowServices::GetInput(QWidget* parent,
                                                                   const InputRequest& request) {
    InputDialog dialog(parent, request);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Lines();
}

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

}  // namespace vornel
