// Expression files: the formula alone, saved to and opened from text files.
#include <QApplication>
#include <QFile>
#include <QSaveFile>

#if __has_include(<sys/resource.h>)
#include <sys/resource.h>
#endif

#include "ExpressionFile.h"
#include "FormulaBox.h"
#include "Main.h"

namespace vornel {

namespace {

const QString kFileFilter = QStringLiteral("Text File (*.txt);; All files (*.*)");
const QString kDefaultSuffix = QStringLiteral("txt");
const QString kOfferedName = QStringLiteral("Expression.txt");

// The busy pointer for the time a file is read or written.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// False when the process may not write a file of `size` bytes (ulimit -f):
// such a save is refused before anything is written.
bool WithinFileSizeLimit(qint64 size) {
#if __has_include(<sys/resource.h>)
    rlimit limit{};
    return getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           rlim_t(size) <= limit.rlim_cur;
#else
    return size >= 0;
#endif
}

// The old file is replaced only once the new content is completely on disk.
// Unbuffered, because a write that fails while QSaveFile flushes its buffer
// inside commit() goes unnoticed and a cut-off file would replace the old one.
bool WriteWholeFile(const QString& fileName, const std::string& bytes) {
    if (!WithinFileSizeLimit(qint64(bytes.size()))) {
        return false;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return false;
    }
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
        file.cancelWriting();
    }
    return file.commit();
}

}  // namespace

void Main::FileOpenProc() {
    const QString fileName = m_services.GetOpenFileName(this, kFileFilter);
    if (!fileName.isEmpty()) {
        OpenFile(fileName);
    }
}

void Main::OpenFile(const QString& fileName) {
    FileReadResult read;
    {
        BusyCursor busy;
        read = ReadExpressionFile(QFile::encodeName(fileName).toStdString());
    }
    switch (read.status) {
        case FileReadStatus::Ok:
            m_formula->SetText(QString::fromStdString(read.text));
            m_openedEncoding = read.encoding;
            break;
        case FileReadStatus::TooLarge:
            ShowWarning(QStringLiteral("The file is too large, can not be opened."));
            break;
        case FileReadStatus::CannotOpen:
            ShowWarning(QStringLiteral("Can not open the file: ") + fileName);
            break;
    }
}

void Main::MenuFile_Save_Click() {
    const QString fileName = GetFileName(kOfferedName);
    if (!fileName.isEmpty()) {
        SaveFileAs(fileName);
    }
}

QString Main::GetFileName(const QString& fileName) {
    return m_services.GetSaveFileName(this, fileName, kFileFilter, kDefaultSuffix);
}

void Main::SaveFileAs(const QString& fileName) {
    bool saved = false;
    {
        BusyCursor busy;
        saved = WriteWholeFile(
            fileName, EncodeExpressionFile(m_formula->Text().toStdString(), m_openedEncoding));
    }
    if (!saved) {
        ShowWarning(QStringLiteral("Can not save the file: ") + fileName);
    }
}

}  // namespace vornel
