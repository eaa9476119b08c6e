#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

#include <csignal>

#include "ControlTable.h"
#include "Main.h"
#include "QtWindowServices.h"
#include "VornelVersion.h"

namespace {

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 256}) {
        icon.addFile(QStringLiteral(":/vornel-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace

int main(int argc, char* argv[]) {
#ifdef SIGXFSZ
    // Over a file-size limit a write fails and is reported ("Can not save the
    // file: ..."), instead of the signal ending the program with the formula.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(vornel::version::kTitle));
    // Lets the desktop match the window to the installed desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.vornel.Vornel"));
    // The window is laid out in fixed pixels; one style everywhere keeps the
    // captions where they were measured.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(ApplicationIcon());
    QApplication::setFont(vornel::WindowFont());

    vornel::QtWindowServices services;
    vornel::Main window(services);
    window.Form_Load();
    window.show();
    return QApplication::exec();
}
