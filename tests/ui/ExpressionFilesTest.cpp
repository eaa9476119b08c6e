// Expression files from the window: the open and save commands with their
// dialogs faked, the size limit, encodings and a failed save.
#include <csignal>
#include <optional>

#include <sys/resource.h>

#include "QtWindowServices.h"
#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

const QString kFilter = "Text File (*.txt);; All files (*.*)";
const QString kCannotOpen = "Can not open the file: %1 | Vornel | exclamation";
const QString kTooLarge = "The file is too large, can not be opened. | Vornel | exclamation";

struct Opening {
    const char* name;
    QByteArray bytes;   // of "open.txt"
    const char* file;   // the file chosen
    QString formula;    // when no box is expected
    QStringList boxes;  // %1: the chosen path
};
const Opening kOpenings[] = {
    {"65000 bytes", QByteArray(65000, 'A'), "open.txt", QString(65000, 'A'), {}},
    {"65001 bytes", QByteArray(65001, 'A'), "open.txt", "", {kTooLarge}},
    {"empty file", "", "open.txt", "", {}},
    {"missing file", "", "missing.txt", "", {kCannotOpen}},
    {"a folder", "", "folder.txt", "", {kCannotOpen}},
};

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

    // Opening replaces the formula alone; a refused file leaves it as it was.
    void open_data() { AddCaseRows(kOpenings); }
    void open() {
        const Opening& c = FetchCase(kOpenings);
        QVERIFY(WriteBytes(m_folder->filePath("open.txt"), c.bytes));
        QVERIFY(QDir(m_folder->path()).mkpath("folder.txt"));
        m_w->Formula()->SetText("old");
        m_w->Control<QLineEdit>("Text_CalResult")->setText("300.000000000000000");
        const QString path = m_folder->filePath(c.file);
        m_w->services.answers = {path};
        m_w->Run("MenuFile_Open");
        QCOMPARE(m_w->Formula()->Text(), c.boxes.isEmpty() ? c.formula : "old");
        QStringList boxes = c.boxes;
        QCOMPARE(m_w->services.TakeMessages(), boxes.replaceInStrings("%1", path));
        QCOMPARE(m_w->Result(), "300.000000000000000");
    }

    void saveThenReopen_data() {
        QTest::addColumn<QByteArray>("opened");  // empty: the formula is typed
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QByteArray>("saved");
        const char* const ifBlock = "If (A>100) Then\r\n        A*2\r\nElse\r\n\tB\r\nEndIf";
        QTest::newRow("indented If block") << QByteArray() << ifBlock << QByteArray(ifBlock);
        QTest::newRow("Windows-1252 letters")
            << QByteArray() << "Café € ½" << QByteArray("Caf\xe9 \x80 \xbd");
        QTest::newRow("outside Windows-1252")
            << QByteArray() << "Ω→1" << QByteArray("\xef\xbb\xbfΩ→1");
        // Saved in the encoding it was opened in.
        const QByteArray utf8("A+1 \xc3\xa9\xe2\x82\xac"), marked("\xef\xbb\xbf\xc3\xa9+1");
        QTest::newRow("opened as UTF-8 without a mark") << utf8 << "A+1 é€" << utf8;
        QTest::newRow("opened as UTF-8 with a mark") << marked << "é+1" << marked;
        QTest::newRow("opened as Windows-1252")
            << QByteArray("\xe9+1") << "é+1" << QByteArray("\xe9+1");
    }
    // The whole older file is replaced, and nothing else is left behind.
    void saveThenReopen() {
        QFETCH(QByteArray, opened);
        QFETCH(QString, formula);
        QFETCH(QByteArray, saved);
        const QString path = m_folder->filePath("Expression.txt");
        m_w->services.answers = {path, path, path};
        if (opened.isEmpty()) {
            m_w->Formula()->SetText(formula);
        } else {
            QVERIFY(WriteBytes(path, opened));
            m_w->Run("MenuFile_Open");
            QCOMPARE(m_w->Formula()->Text(), formula);
        }
        QVERIFY(WriteBytes(path, "an older and longer expression"));
        m_w->Run("MenuFile_Save");
        QCOMPARE(ReadBytes(path), saved);

        m_w->Formula()->SetText("something else");
        m_w->Run("MenuFile_Open");
        QCOMPARE(m_w->Formula()->Text(), formula);
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList{"Expression.txt"});
    }

    // A write that fails part way must not cost the user the file that was
    // there before.
    void failedSaveKeepsTheOldFile() {
        const QString path = m_folder->filePath("Expression.txt");
        QVERIFY(WriteBytes(path, "A+B"));
        const QString formula = QString(4000, '1') + "+2";
        m_w->Formula()->SetText(formula);
        m_w->services.answers = {path};
        // A lowered file size limit stops writes for root too, unlike permissions.
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit lowered = old;
        lowered.rlim_cur = 1000;
        setrlimit(RLIMIT_FSIZE, &lowered);
        m_w->Run("MenuFile_Save");
        setrlimit(RLIMIT_FSIZE, &old);

        QCOMPARE(m_w->services.TakeMessages(),
                 QStringList{"Can not save the file: " + path + " | Vornel | exclamation"});
        QCOMPARE(ReadBytes(path), QByteArray("A+B"));
        QCOMPARE(m_w->Formula()->Text(), formula);
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList{"Expression.txt"});
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
