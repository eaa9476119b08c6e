// Help and the two information windows: the About window, the product
// information window, and finding and starting the help document.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "HelpLocator.h"
#include "InfoWindows.h"
#include "WindowFixture.h"

using namespace vornel;
using namespace vornel::test;

namespace {

void Touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void AddGeometryRow(const char* window, const char* name, QRect pixels, const char* parent) {
    QTest::addRow("%s %s", window, name) << window << name << pixels << parent;
}

}  // namespace

class InfoWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PrepareApplication(); }

    void aboutTexts() {
        frmAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Vornel"));
        QCOMPARE(about.findChild<QLabel*>("lblTitle")->text(), QStringLiteral("Vornel"));
        QVERIFY(about.findChild<QLabel*>("lblTitle")->font().bold());
        QCOMPARE(about.findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Version 2.1"));
        QCOMPARE(about.findChild<QLabel*>("lblCopyright")->text(),
                 QStringLiteral("Copyright (C) 2026 The Vornel developers"));
        auto* ok = about.findChild<QPushButton*>("cmdOK");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        QCOMPARE(about.size(), QSize(382, 215));
    }

    void productInformationTexts() {
        Dialog dialog;
        QCOMPARE(dialog.findChild<QGroupBox*>("Frame1")->title(),
                 QStringLiteral("Product Information"));
        QCOMPARE(dialog.findChild<QLabel*>("Label1")->text(), QStringLiteral("Vornel V2.1"));
        QVERIFY(dialog.findChild<QLabel*>("Label1")->font().bold());
        QCOMPARE(dialog.findChild<QLabel*>("Label2")->text(),
                 QStringLiteral("Copyright (C) 2026 The Vornel developers"));
        QCOMPARE(dialog.findChild<QPushButton*>("OKButton")->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.size(), QSize(337, 204));
    }

    void geometry_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        QTest::addColumn<QString>("parent");
        AddGeometryRow("frmAbout", "picIcon", {16, 16, 46, 40}, "frmAbout");
        AddGeometryRow("frmAbout", "lblTitle", {80, 16, 183, 24}, "frmAbout");
        AddGeometryRow("frmAbout", "lblVersion", {264, 16, 107, 23}, "frmAbout");
        AddGeometryRow("frmAbout", "lblCopyright", {80, 44, 295, 15}, "frmAbout");
        AddGeometryRow("frmAbout", "cmdOK", {283, 156, 84, 23}, "frmAbout");
        AddGeometryRow("Dialog", "Frame1", {8, 8, 321, 89}, "Dialog");
        AddGeometryRow("Dialog", "Image1", {16, 24, 42, 36}, "Frame1");
        AddGeometryRow("Dialog", "Label1", {80, 32, 225, 25}, "Frame1");
        AddGeometryRow("Dialog", "Label2", {56, 64, 257, 17}, "Frame1");
        AddGeometryRow("Dialog", "OKButton", {240, 144, 81, 25}, "Dialog");
    }
    void geometry() {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        QFETCH(QString, parent);
        std::unique_ptr<QDialog> dialog;
        if (window == "frmAbout") {
            dialog = std::make_unique<frmAbout>();
        } else {
            dialog = std::make_unique<Dialog>();
        }
        auto* control = dialog->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(control->geometry(), pixels);
        QCOMPARE(control->parentWidget()->objectName(), parent);
        if (auto* label = qobject_cast<QLabel*>(control); label && !label->text().isEmpty()) {
            QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
            QVERIFY(label->fontMetrics().height() <= label->height());
        }
    }

    void productPictureInBothWindows() {
        QCOMPARE(ProductPicture().size(), QSize(42, 36));
        frmAbout about;
        Dialog dialog;
        QCOMPARE(about.findChild<QLabel*>("picIcon")->pixmap().size(), QSize(42, 36));
        QCOMPARE(dialog.findChild<QLabel*>("Image1")->pixmap().size(), QSize(42, 36));
    }

    // The etched rule: a grey line over a white one two pixels high.
    void aboutRule() {
        frmAbout about;
        auto* white = about.findChild<QFrame*>("Line1_0");
        auto* grey = about.findChild<QFrame*>("Line1_1");
        QCOMPARE(white->y(), grey->y());
        QCOMPARE(white->height(), 2);
        QCOMPARE(grey->height(), 1);
        QCOMPARE(grey->palette().color(QPalette::Window), QColor(Qt::gray));
        QCOMPARE(grey->x(), 8);
    }

    void aboutClosesWith_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("Esc") << int(Qt::Key_Escape) << int(QDialog::Rejected);
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(QDialog::Accepted);
    }
    void aboutClosesWith() {
        QFETCH(int, key);
        QFETCH(int, result);
        frmAbout about;
        about.open();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::keyClick(&about, Qt::Key(key));
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), result);
    }

    void productInformationClosesWithOk() {
        Dialog byButton;
        byButton.open();
        QTest::mouseClick(byButton.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        QVERIFY(!byButton.isVisible());
    }

    void aboutCommand() {
        StartedWindow w;
        w.Control<QAction>("MenuHelp_about")->trigger();
        QCOMPARE(w.services.calls, (QStringList{"Dialog", "frmAbout"}));
    }

    void helpCommand_data() {
        QTest::addColumn<bool>("inProgramFolder");
        QTest::addColumn<bool>("inDataFolder");
        QTest::addColumn<bool>("viewerStarts");
        QTest::addColumn<QString>("started");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("beside the program") << true << false << true << "program" << QStringList();
        QTest::newRow("both: the program's own wins")
            << true << true << true << "program" << QStringList();
        QTest::newRow("installed only") << false << true << true << "data" << QStringList();
        QTest::newRow("nowhere") << false << false << true << ""
                                 << QStringList{
                                        "The help document vornel-help.html cannot be "
                                        "found. | Vornel | exclamation"};
        QTest::newRow("no viewer") << true << false << false << "program"
                                   << QStringList{
                                          "No viewer could be started for the help "
                                          "document %1. | Vornel | exclamation"};
    }
    void helpCommand() {
        QFETCH(bool, inProgramFolder);
        QFETCH(bool, inDataFolder);
        QFETCH(bool, viewerStarts);
        QFETCH(QString, started);
        QFETCH(QStringList, messages);
        QTemporaryDir root;
        QDir(root.path()).mkpath("program");
        QDir(root.path()).mkpath("data");
        const QString programHelp = root.filePath("program/vornel-help.html");
        const QString dataHelp = root.filePath("data/vornel-help.html");
        if (inProgramFolder) {
            Touch(programHelp);
        }
        if (inDataFolder) {
            Touch(dataHelp);
        }
        StartedWindow w;
        w.services.helpViewerStarts = viewerStarts;
        w.window->SetHelpDocumentCandidates(
            HelpDocumentCandidates(root.filePath("program"), root.filePath("data")));
        w.services.calls.clear();

        QVERIFY(w.WaitActive());
        QTest::keyClick(w.Formula(), Qt::Key_F1);

        const QString path = started == "program" ? programHelp : dataHelp;
        QCOMPARE(w.services.calls, started.isEmpty() ? QStringList() : QStringList{"help " + path});
        for (QString& message : messages) {
            message.replace("%1", path);
        }
        QCOMPARE(Describe(w.services.messages), messages);
    }

    // The build puts the help document beside the programs, where start-up
    // looks first.
    void startUpFindsTheDocumentBesideTheProgram() {
        StartedWindow w;
        w.services.calls.clear();
        const QString besideProgram =
            QDir(QCoreApplication::applicationDirPath()).filePath("vornel-help.html");
        QVERIFY(QFile::exists(besideProgram));
        w.Control<QAction>("MenuHelp_Help")->trigger();
        QCOMPARE(w.services.calls, QStringList{"help " + besideProgram});
    }
};

QTEST_MAIN(InfoWindowsTest)
#include "InfoWindowsTest.moc"
