// Expression files from the Qt window: the paths the dialogs give reach the
// model, the dialogs start in the last folder, and the program survives a
// file-size limit. The files' rules are the model's and its tests say them.
#include <csignal>
#include <optional>

#include "QtWindowServices.h"
#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

const QString kFilter = "Text File (*.txt);; All files (*.*)";
QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot read>");
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class ExpressionFilesTest : public WindowTest {
    Q_OBJECT

    std::optional<QTemporaryDir> m_folder;

private slots:
    void initTestCase() { PrepareApplication(); }
    void init() {
        StartWindow();
        QVERIFY(m_folder.emplace().isValid());
    }
    void cleanup() {
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        EndWindow();
    }

    // A path with letters beyond ASCII goes to the file and back.
    void saveThenReopen() {
        const QString path = m_folder->filePath("Ausdr\u00fccke.txt");
        m_w->services.answers = {path, path};
        m_w->Formula()->SetText("If (A>100) Then\r\n  caf\u00e9\r\nEndIf");
        m_w->Run("MenuFile_Save");
        QCOMPARE(ReadBytes(path), QByteArray("If (A>100) Then\n  caf\xc3\xa9\nEndIf"));
        m_w->Formula()->SetText("something else");
        m_w->Run("MenuFile_Open");
        QCOMPARE(m_w->Formula()->Text(), "If (A>100) Then\r\n  caf\u00e9\r\nEndIf");
    }

    // The open and save dialogs start in the folder last chosen in either,
    // also after a restart.
    void dialogsStartInTheLastFolder() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder->path());
        QVERIFY(QDir(m_folder->path()).mkpath("first"));
        QVERIFY(QDir(m_folder->path()).mkpath("second"));
        QVERIFY(WriteBytes(m_folder->filePath("first/chosen.txt"), "1"));
        QStringList startedIn;
        const auto choose = [&startedIn](const QString& file) {
            QTimer::singleShot(0, [&startedIn, file] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                startedIn << dialog->directory().dirName();
                dialog->selectFile(file);
                QMetaObject::invokeMethod(dialog, "accept");
            });
        };
        choose(m_folder->filePath("first/chosen.txt"));
        QtWindowServices().GetOpenFileName(&m_w->window, kFilter);
        choose(m_folder->filePath("second/saved.txt"));
        QtWindowServices().GetSaveFileName(&m_w->window, "Expression.txt", kFilter, "txt");
        choose(m_folder->filePath("first/chosen.txt"));
        QCOMPARE(QtWindowServices().GetOpenFileName(&m_w->window, kFilter),
                 m_folder->filePath("first/chosen.txt"));
        QCOMPARE(startedIn.mid(1), (QStringList{"first", "second"}));
    }

    // The program itself ignores SIGXFSZ, so that any write over a file-size
    // limit fails and is reported instead of ending it.
    void programIgnoresTheFileSizeSignal() {
        QProcess program;
        program.start(VORNEL_PROGRAM, {});
        QVERIFY(program.waitForStarted());
        const auto ignored = [&program] {
            const QString status = ReadBytes(QString("/proc/%1/status").arg(program.processId()));
            const auto mask = QRegularExpression("SigIgn:\\s*(\\w+)").match(status).captured(1);
            return ((mask.toULongLong(nullptr, 16) >> (SIGXFSZ - 1)) & 1) != 0;
        };
        QTRY_VERIFY(ignored());
        program.kill();
        program.waitForFinished();
    }
};

QTEST_MAIN(ExpressionFilesTest)
#include "ExpressionFilesTest.moc"
