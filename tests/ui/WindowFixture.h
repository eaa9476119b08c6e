#pragma once

// Shared by the window tests: a stand-in for every modal box and dialog, a
// started main window on the offscreen platform, and formulas written with
// their selection marked.

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "ControlTable.h"
#include "FormulaBox.h"
#include "Main.h"
#include "WindowServices.h"

namespace vornel::test {

// Records each box as "prompt | title | icon", answers the file dialogs in
// turn from `answers` and the text inputs from `typed` (nothing: Cancel).
// Nothing blocks: a dialog no test planned for is recorded as a box.
class FakeServices : public WindowServices {
public:
    QStringList messages, calls, answers;
    QList<std::optional<QString>> typed;
    bool helpViewerStarts = true;
    std::function<void()> onProductInformation;

    void ShowMessage(QWidget*, const QString& prompt, const QString& title,
                     MessageIcon icon) override {
        const char* const icons[] = {"none", "exclamation", "critical"};
        messages << prompt + " | " + title + " | " + icons[int(icon)];
    }
    void ShowProductInformation(QWidget*) override {
        calls << "Dialog";
        if (onProductInformation) {
            onProductInformation();
        }
    }
    void ShowAbout(QWidget*) override { calls << "frmAbout"; }
    bool StartHelpViewer(const QString& path) override {
        calls << "help " + path;
        return helpViewerStarts;
    }
    QString GetOpenFileName(QWidget*, const QString& filter) override {
        calls << "open " + filter;
        return Answer();
    }
    QString GetSaveFileName(QWidget*, const QString& name, const QString& filter,
                            const QString& suffix) override {
        calls << "save " + name + " | " + filter + " | " + suffix;
        return Answer();
    }
    std::optional<QString> GetText(QWidget*, const QString& title, const QString& label,
                                   const QString& text) override {
        calls << "input " + title + " | " + label + " | " + text;
        if (typed.isEmpty()) {
            messages << "unplanned dialog";
            return std::nullopt;
        }
        return typed.takeFirst();
    }
    QStringList TakeMessages() { return std::exchange(messages, {}); }

private:
    QString Answer() {
        if (answers.isEmpty()) {
            messages << "unplanned dialog";
            return {};
        }
        return answers.takeFirst();
    }
};

// A QTest data table from a list of cases, one row per case named by its
// `name`; the test function takes its row's case with FetchCase.
template <typename Cases>
void AddCaseRows(const Cases& cases) {
    QTest::addColumn<int>("row");
    int row = 0;
    for (const auto& c : cases) {
        QTest::newRow(c.name) << row++;
    }
}
template <typename Cases>
const auto& FetchCase(const Cases& cases) {
    QFETCH(int, row);
    return cases[std::size_t(row)];
}

// Fixed style, font and locale, so that measurements and number formats do not
// depend on the machine.
inline void PrepareApplication() {
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setFont(WindowFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

// A main window after start-up, shown and active so that window-wide
// shortcuts reach it.
struct StartedWindow {
    FakeServices services;
    Main window{services};

    StartedWindow() {
        window.Form_Load();
        window.show();
        window.activateWindow();
    }
    template <typename T = QWidget>
    T* Control(const QString& name) {
        return window.findChild<T*>(name);
    }
    FormulaBox* Formula() { return Control<FormulaBox>("Text_Formula"); }
    QString Result() { return Control<QLineEdit>("Text_CalResult")->text(); }
    void Click(const QString& button) { QTest::mouseClick(Control(button), Qt::LeftButton); }
    void Run(const QString& command) { Control<QAction>(command)->trigger(); }
};

inline QPoint RowCentre(QListWidget* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}

// As the mouse delivers it: a click, then a press arriving as a double-click.
inline void DoubleClickRow(QListWidget* list, int row) {
    const QPoint centre = RowCentre(list, row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

// Every test function gets a fresh window and fails if it leaves a box
// unchecked. Test classes call these from init() and cleanup().
class WindowTest : public QObject {
protected:
    std::unique_ptr<StartedWindow> m_w;
    void StartWindow() {
        m_w = std::make_unique<StartedWindow>();
        QVERIFY(QTest::qWaitForWindowActive(&m_w->window));
    }
    void EndWindow() {
        QCOMPARE(m_w->services.messages, QStringList());
        m_w.reset();
    }
};

// A formula with its selection marked: "[" is the anchor, "]" the caret, so
// "a[]b" is a caret between a and b and "a]b[" b selected backwards. A line
// break is one position in the box.
inline void SetMarked(FormulaBox* box, QString marked) {
    const auto position = [&marked](char marker) {
        const QString before = marked.left(marked.indexOf(QLatin1Char(marker)));
        return int(WithLineFeeds(QString(before).remove('[').remove(']')).size());
    };
    const int anchor = position('[');
    const int caret = position(']');
    box->SetText(marked.remove('[').remove(']'));
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(caret, QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
}

inline QString Marked(const FormulaBox* box) {
    QString text = box->document()->toRawText();
    const int anchor = box->textCursor().anchor();
    const int caret = box->textCursor().position();
    // The later marker goes in first, so the earlier position still holds.
    if (anchor > caret) {
        text.insert(anchor, '[').insert(caret, ']');
    } else {
        text.insert(caret, ']').insert(anchor, '[');
    }
    return WithCrLf(text);
}

}  // namespace vornel::test
