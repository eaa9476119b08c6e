// Expression files from the window: the open and save commands with their
// dialogs faked, the size limit, line breaks, encodings and failed saves.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>
#include <sys/resource.h>

#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

const QString kFilter = QStringLiteral("Text File (*.txt);; All files (*.*)");
const QString kOpenDialog = QStringLiteral("open dialog ") + kFilter;
const QString kSaveDialog = QStringLiteral("save dialog Expression.txt | %1 | txt").arg(kFilter);

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot read>");
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Lowers this process's file size limit for one scope. Writes beyond it fail
// for root too, unlike permissions.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

}  // namespace

class ExpressionFilesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PrepareApplication(); }
    void init() {
        m_w = std::make_unique<StartedWindow>();
        QVERIFY(m_w->WaitActive());
        m_w->services.calls.clear();
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
    }
    void cleanup() {
        QCOMPARE(m_w->services.unexpected, QStringList());
        QCOMPARE(Describe(m_w->services.messages), QStringList());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        m_w.reset();
        m_folder.reset();
    }

    void cancelledOpenChangesNothing() {
        const QString before = m_w->Formula()->Text();
        m_w->services.openAnswers = {""};
        m_w->Control<QAction>("MenuFile_Open")->trigger();
        QCOMPARE(m_w->services.calls, QStringList{kOpenDialog});
        QCOMPARE(m_w->Formula()->Text(), before);
    }

    void cancelledSaveWritesNothing() {
        m_w->services.saveAnswers = {""};
        m_w->Control<QAction>("MenuFile_Save")->trigger();
        QCOMPARE(m_w->services.calls, QStringList{kSaveDialog});
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList());
    }

    void shortcutsReachTheFileCommandsFromTheFormula_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("Ctrl+O") << int(Qt::Key_O) << kOpenDialog;
        QTest::newRow("Ctrl+S") << int(Qt::Key_S) << kSaveDialog;
    }
    void shortcutsReachTheFileCommandsFromTheFormula() {
        QFETCH(int, key);
        QFETCH(QString, dialog);
        m_w->services.openAnswers = {""};
        m_w->services.saveAnswers = {""};
        m_w->Formula()->setFocus();
        QTest::keyClick(m_w->Formula(), Qt::Key(key), Qt::ControlModifier);
        QCOMPARE(m_w->services.calls, QStringList{dialog});
    }

    // Each row: the file's bytes, then the formula and the message expected.
    void open_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("message");
        const QString unchanged = QStringLiteral("<unchanged>");
        QTest::newRow("exactly 65000 bytes") << QByteArray(65000, 'A') << QString(65000, 'A') << "";
        QTest::newRow("65001 bytes")
            << QByteArray(65001, 'A') << unchanged
            << "The file is too large, can not be opened. | Vornel | exclamation";
        QTest::newRow("empty file") << QByteArray() << ""
                                    << "";
        QTest::newRow("CR LF") << QByteArray("A\r\n+B") << "A\r\n+B"
                               << "";
        QTest::newRow("LF") << QByteArray("A\n+B\n") << "A\r\n+B\r\n"
                            << "";
        QTest::newRow("CR") << QByteArray("A\r+B") << "A\r\n+B"
                            << "";
        QTest::newRow("trailing line break kept") << QByteArray("A+B\r\n") << "A+B\r\n"
                                                  << "";
        QTest::newRow("Windows-1252") << QByteArray("Caf\xe9 \x80 \xbd") << "Café € ½"
                                      << "";
        QTest::newRow("UTF-8 with its mark") << QByteArray("\xef\xbb\xbf\xce\xa9+1") << "Ω+1"
                                             << "";
    }
    void open() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, formula);
        QFETCH(QString, message);
        const QString path = m_folder->filePath("open.txt");
        QVERIFY(WriteBytes(path, bytes));
        const QString before = QStringLiteral("old\r\nformula");
        m_w->Formula()->SetText(before);
        m_w->Control<QLineEdit>("Text_CalResult")->setText("300.000000000000000");
        m_w->Control<QListWidget>("List3")->setCurrentRow(3);

        m_w->services.openAnswers = {path};
        m_w->Control<QAction>("MenuFile_Open")->trigger();

        QCOMPARE(m_w->Formula()->Text(), formula == "<unchanged>" ? before : formula);
        QCOMPARE(Describe(m_w->services.TakeMessages()),
                 message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(m_w->Result(), QStringLiteral("300.000000000000000"));
        QCOMPARE(m_w->Control<QListWidget>("List3")->count(), 7);
        QCOMPARE(m_w->Control<QListWidget>("List3")->currentRow(), 3);
    }

    // A name the size of which cannot be read gets the open-failure message.
    void unopenableNames_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << "missing.txt";
        QTest::newRow("a folder") << "folder.txt";
    }
    void unopenableNames() {
        QFETCH(QString, name);
        QVERIFY(QDir(m_folder->path()).mkpath("folder.txt"));
        const QString path = m_folder->filePath(name);
        m_w->Formula()->SetText("A+B");
        m_w->services.openAnswers = {path};
        m_w->Control<QAction>("MenuFile_Open")->trigger();
        QCOMPARE(Describe(m_w->services.TakeMessages()),
                 QStringList{"Can not open the file: " + path + " | Vornel | exclamation"});
        QCOMPARE(m_w->Formula()->Text(), QStringLiteral("A+B"));
    }

    void saveWritesTheFormulaAsItIs_data() {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("one line, no line break added") << "A+B" << QByteArray("A+B");
        QTest::newRow("If block with indentation")
            << "If (A>100) Then\r\n        A*2\r\nElse\r\n\tB\r\nEndIf"
            << QByteArray("If (A>100) Then\r\n        A*2\r\nElse\r\n\tB\r\nEndIf");
        QTest::newRow("trailing spaces and empty lines") << "A+B  \r\n\r\n"
                                                         << QByteArray("A+B  \r\n\r\n");
        QTest::newRow("Windows-1252 letters") << "Café € ½" << QByteArray("Caf\xe9 \x80 \xbd");
        QTest::newRow("outside Windows-1252") << "Ω→1"
                                              << QByteArray(
                                                     "\xef\xbb\xbf\xce\xa9\xe2\x86\x92"
                                                     "1");
        QTest::newRow("empty") << "" << QByteArray();
    }
    void saveWritesTheFormulaAsItIs() {
        QFETCH(QString, formula);
        QFETCH(QByteArray, bytes);
        const QString path = m_folder->filePath("Expression.txt");
        QVERIFY(WriteBytes(path, "an older and longer expression"));
        m_w->Formula()->SetText(formula);

        m_w->services.saveAnswers = {path};
        m_w->Control<QAction>("MenuFile_Save")->trigger();
        QCOMPARE(ReadBytes(path), bytes);
        QCOMPARE(m_w->Formula()->Text(), formula);

        m_w->Formula()->SetText("something else");
        m_w->services.openAnswers = {path};
        m_w->Control<QAction>("MenuFile_Open")->trigger();
        QCOMPARE(m_w->Formula()->Text(), formula);
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList{"Expression.txt"});
    }

    void saveIntoAFolderThatCannotExist() {
        const QString regularFile = m_folder->filePath("plain");
        QVERIFY(WriteBytes(regularFile, "x"));
        const QString path = regularFile + "/Expression.txt";
        m_w->Formula()->SetText("A+B");
        m_w->services.saveAnswers = {path};
        m_w->Control<QAction>("MenuFile_Save")->trigger();
        QCOMPARE(Describe(m_w->services.TakeMessages()),
                 QStringList{"Can not save the file: " + path + " | Vornel | exclamation"});
        QCOMPARE(m_w->Formula()->Text(), QStringLiteral("A+B"));
        QCOMPARE(ReadBytes(regularFile), QByteArray("x"));
    }

    // A write that fails part way must not cost the user the file that was
    // there before.
    void failedWriteKeepsTheOldFile() {
        const QString path = m_folder->filePath("Expression.txt");
        QVERIFY(WriteBytes(path, "A+B"));
        const QString formula = QString(4000, '1') + "+2";
        m_w->Formula()->SetText(formula);
        m_w->services.saveAnswers = {path};
        {
            FileSizeLimit limit(1000);
            m_w->Control<QAction>("MenuFile_Save")->trigger();
        }
        QCOMPARE(Describe(m_w->services.TakeMessages()),
                 QStringList{"Can not save the file: " + path + " | Vornel | exclamation"});
        QCOMPARE(ReadBytes(path), QByteArray("A+B"));
        QCOMPARE(m_w->Formula()->Text(), formula);
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList{"Expression.txt"});
    }

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<StartedWindow> m_w;
};

QTEST_MAIN(ExpressionFilesTest)
#include "ExpressionFilesTest.moc"
