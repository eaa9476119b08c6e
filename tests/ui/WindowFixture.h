#pragma once

// Shared by the window tests: a stand-in for every modal box and dialog, and
// a started main window on the offscreen platform.

#include <QApplication>
#include <QLineEdit>
#include <QList>
#include <QLocale>
#include <QStringList>
#include <QStyleFactory>
#include <QTest>

#include <functional>
#include <memory>
#include <utility>

#include "ControlTable.h"
#include "FormulaBox.h"
#include "Main.h"
#include "WindowServices.h"

namespace vornel::test {

struct ShownMessage {
    QString prompt;
    QString title;
    MessageIcon icon;
};

// "prompt | title | icon", the icon as none, exclamation or critical.
inline QString Describe(const ShownMessage& message) {
    static const char* const icons[] = {"none", "exclamation", "critical"};
    return QStringLiteral("%1 | %2 | %3")
        .arg(message.prompt, message.title, QLatin1String(icons[int(message.icon)]));
}

inline QStringList Describe(const QList<ShownMessage>& messages) {
    QStringList described;
    for (const ShownMessage& message : messages) {
        described.append(Describe(message));
    }
    return described;
}

// Records what the window asks of the user and answers file dialogs from
// queues. Nothing here blocks; a dialog that a test did not plan for is
// recorded in `unexpected`, which the fixture checks after every test.
class FakeServices : public WindowServices {
public:
    QList<ShownMessage> messages;
    QStringList calls;
    QStringList unexpected;
    QStringList openAnswers;
    QStringList saveAnswers;
    bool helpViewerStarts = true;
    std::function<void()> onProductInformation;

    void ShowMessage(QWidget*, const QString& prompt, const QString& title,
                     MessageIcon icon) override {
        messages.append({prompt, title, icon});
    }
    void ShowProductInformation(QWidget*) override {
        calls.append(QStringLiteral("Dialog"));
        if (onProductInformation) {
            onProductInformation();
        }
    }
    void ShowAbout(QWidget*) override { calls.append(QStringLiteral("frmAbout")); }
    bool StartHelpViewer(const QString& path) override {
        calls.append(QStringLiteral("help ") + path);
        return helpViewerStarts;
    }
    QString GetOpenFileName(QWidget*, const QString& filter) override {
        calls.append(QStringLiteral("open dialog ") + filter);
        return Answer(openAnswers, QStringLiteral("open dialog"));
    }
    QString GetSaveFileName(QWidget*, const QString& fileName, const QString& filter,
                            const QString& defaultSuffix) override {
        calls.append(
            QStringLiteral("save dialog %1 | %2 | %3").arg(fileName, filter, defaultSuffix));
        return Answer(saveAnswers, QStringLiteral("save dialog"));
    }

    QList<ShownMessage> TakeMessages() { return std::exchange(messages, {}); }

private:
    QString Answer(QStringList& answers, const QString& what) {
        if (answers.isEmpty()) {
            unexpected.append(what);
            return {};
        }
        return answers.takeFirst();
    }
};

// Fixed style, font and locale, so that measurements and number formats do not
// depend on the machine the tests run on.
inline void PrepareApplication() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(WindowFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

// A main window after start-up, shown and active so that window-wide
// shortcuts reach it.
struct StartedWindow {
    FakeServices services;
    std::unique_ptr<Main> window;

    StartedWindow() : window(std::make_unique<Main>(services)) {
        window->Form_Load();
        window->show();
        window->activateWindow();
    }

    bool WaitActive() { return QTest::qWaitForWindowActive(window.get()); }

    template <typename T>
    T* Control(const QString& name) const {
        return window->findChild<T*>(name);
    }
    FormulaBox* Formula() const { return Control<FormulaBox>(QStringLiteral("Text_Formula")); }
    QString Result() const { return Control<QLineEdit>(QStringLiteral("Text_CalResult"))->text(); }
    void Click(const QString& buttonName) const {
        QTest::mouseClick(Control<QWidget>(buttonName), Qt::LeftButton);
    }
};

}  // namespace vornel::test
