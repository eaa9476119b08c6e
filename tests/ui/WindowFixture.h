#pragma once

// Shared by the window tests: a stand-in for every modal box and dialog, a
// started main window on the offscreen platform, formulas written with their
// selection marked, the colours a formula is shown in, and scenarios: rows of
// actions and the state expected after them, run by one driver.

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "ControlTable.h"
#include "FormulaBox.h"
#include "FormulaHighlighter.h"
#include "Main.h"
#include "WindowServices.h"

namespace vornel::test {

// Records each box as "prompt | title | icon" and each dialog as a call, and
// answers the file dialogs, questions and input dialogs in turn from
// `answers` (nothing: Cancel or No; an input's lines separated by " | ").
// Nothing blocks: a dialog no test planned for is recorded as a box.
class FakeServices : public WindowServices {
public:
    QStringList messages, calls;
    QList<std::optional<QString>> answers;
    bool helpViewerStarts = true;
    std::function<void()> onProductInformation;

    void ShowMessage(QWidget*, const QString& prompt, const QString& title,
                     MessageIcon icon) override {
        const char* const icons[] = {"none", "exclamation", "critical"};
        messages << prompt + " | " + title + " | " + icons[int(icon)];
    }
    bool Ask(QWidget*, const QString& prompt, const QString& title) override {
        return Answer("ask " + prompt + " | " + title).has_value();
    }
    std::optional<std::vector<std::string>> GetInput(QWidget*,
                                                     const InputRequest& request) override {
        const std::optional<QString> answer =
            Answer("input " + QString::fromStdString(request.title));
        if (!answer) {
            return std::nullopt;
        }
        std::vector<std::string> lines;
        for (const QString& line : answer->split(" | ")) {
            lines.push_back(line.toStdString());
        }
        if (const std::string reason = request.check(lines); !reason.empty()) {
            messages << "refused: " + QString::fromStdString(reason);
            return std::nullopt;
        }
        return lines;
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
        return Answer("open " + filter).value_or("");
    }
    QString GetSaveFileName(QWidget*, const QString& name, const QString& filter,
                            const QString& suffix) override {
        return Answer("save " + name + " | " + filter + " | " + suffix).value_or("");
    }
    QStringList TakeMessages() { return std::exchange(messages, {}); }

private:
    std::optional<QString> Answer(const QString& call) {
        calls << call;
        if (answers.isEmpty()) {
            messages << "unplanned dialog";
            return std::nullopt;
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
// depend on the machine; settings and the history in a folder of the tests' own.
inline void PrepareApplication() {
    static QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setFont(WindowFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

// A main window after start-up, shown and active so that window-wide
// shortcuts reach it.
struct StartedWindow {
    FakeServices services;
    Main window{services};
    QStringList ran;  // the commands run

    StartedWindow() {
        for (const QAction* command : window.findChildren<QAction*>()) {
            QObject::connect(command, &QAction::triggered, &window,
                             [this, command] { ran << command->objectName(); });
        }
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

// The categories the characters of the first `span` in the formula box are
// coloured as, each named once in order ("none": no colour).
inline QString CategoriesOf(const FormulaBox& box, const QString& span) {
    QCoreApplication::processEvents();
    const QTextDocument* document = box.document();
    const auto* highlighter = document->findChild<FormulaHighlighter*>();
    const QMetaEnum categories = QMetaEnum::fromType<FormulaHighlighter::Category>();
    const auto from = int(document->toPlainText().indexOf(span));
    QStringList names;
    for (int at = from; from >= 0 && at < from + span.size(); ++at) {
        const QTextBlock block = document->findBlock(at);
        const int inBlock = at - block.position();
        QTextCharFormat format;
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (inBlock >= range.start && inBlock < range.start + range.length) {
                format = range.format;
            }
        }
        QString name = format.isEmpty() ? "none" : "unknown";
        for (int i = 0; i < categories.keyCount(); ++i) {
            if (highlighter->Format(FormulaHighlighter::Category(categories.value(i))) == format) {
                name = categories.key(i);
            }
        }
        if (names.isEmpty() || names.last() != name) {
            names << name;
        }
    }
    return from < 0 ? "missing" : names.join(' ');
}

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

// A window test as steps that WindowTest::Play runs.
struct Scenario {
    const char* name;
    QStringList steps;
};

// Every test function gets a fresh window, in the English locale with the
// start-up dialog's call taken, and fails if it leaves a box unchecked. Test
// classes call these from init() and cleanup().
class WindowTest : public QObject {
protected:
    std::unique_ptr<StartedWindow> m_w;
    void StartWindow() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QSettings(QStringLiteral("vornel"), QStringLiteral("vornel")).clear();
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
        m_w = std::make_unique<StartedWindow>();
        QVERIFY(QTest::qWaitForWindowActive(&m_w->window));
        m_w->services.calls.clear();
    }
    void EndWindow() {
        QCOMPARE(m_w->services.messages, QStringList());
        m_w.reset();
    }

    // Runs a scenario, a step a line: "probe = text" checks that the probe
    // reads the text, any other line is an action (see Act and Probe).
    void Play(const QStringList& steps) {
        for (const QString& step : steps) {
            const qsizetype equals = step.indexOf(QLatin1String(" = "));
            const QString verb = step.section(' ', 0, 0);
            if (equals < 0) {
                Act(verb, step.section(' ', 1));
            } else {
                const QString read = Probe(verb, step.left(equals).section(' ', 1));
                QVERIFY2(read == step.mid(equals + 3), qPrintable(step + "\nreads: " + read));
            }
            if (QTest::currentTestFailed()) {
                return;
            }
        }
    }
    template <typename Scenarios>
    void PlayCase(const Scenarios& scenarios) {
        Play(FetchCase(scenarios).steps);
    }

    QListWidget* Names() { return m_w->Control<QListWidget>("List_Var"); }
    QListWidget* Values() { return m_w->Control<QListWidget>("List3"); }

private:
    // A formula or result is marked as SetMarked reads it; N is a number,
    // LIST the name of a list and ROW a row of it.
    void Act(const QString& verb, const QString& arg) {
        const int n = arg.section(' ', -1).toInt();
        auto* list = m_w->Control<QListWidget>(arg.section(' ', 0, 0));
        QWidget* focused = QApplication::focusWidget();
        auto* result = m_w->Control<QLineEdit>("Text_CalResult");
        const std::map<QString, std::function<void()>> actions = {
            {"click",
             [&] {  // a button, or LIST ROW
                 list ? QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowCentre(list, n))
                      : m_w->Click(arg);
             }},
            {"dclick", [&] { DoubleClickRow(list, n); }},
            {"select",
             [&] {
                 list->setFocus();
                 list->setCurrentRow(n);
             }},
            {"focus", [&] { m_w->Control(arg)->setFocus(); }},
            {"key", [&] { QTest::keySequence(focused, QKeySequence(arg)); }},  // to the focus
            {"type", [&] { QTest::keyClicks(focused, arg); }},
            {"run", [&] { m_w->Run(arg); }},  // a command
            {"add",  // N variables through the Add button, named N1, N2, ...
             [&] {
                 for (int i = 0; i < n; ++i) {
                     m_w->services.answers << QString("N%1 | 0").arg(i + 1);
                     m_w->Click("Command2");
                 }
             }},
            {"formula", [&] { SetMarked(m_w->Formula(), arg); }},
            {"result",
             [&] {
                 result->setText(QString(arg).remove('[').remove(']'));
                 if (const auto from = int(arg.indexOf('[')); from >= 0) {
                     result->setSelection(from, int(arg.indexOf(']')) - from - 1);
                 }
             }},
            {"clipboard", [&] { QGuiApplication::clipboard()->setText(arg); }},
            {"answer", [&] { m_w->services.answers << arg; }},  // to the next dialog
            {"cancel", [&] { m_w->services.answers << std::nullopt; }},
            {"example", [&] { emit m_w->Control<QComboBox>("Combo1")->activated(n); }},
            {"pause",  // the typing pause runs out
             [&] { QTest::qWait(int(MainModel::kTypingPause.count()) + 50); }},
            {"locale", [&] { QLocale::setDefault(QLocale(arg)); }},
        };
        QVERIFY2(actions.contains(verb), qPrintable("no action " + verb));
        actions.at(verb)();
    }

    // Lists are joined by " / "; boxes, calls and ran (the commands run) give
    // what came since the last look.
    QString Probe(const QString& verb, const QString& arg) {
        const int n = arg.section(' ', -1).toInt();
        auto* list = m_w->Control<QListWidget>(arg.section(' ', 0, 0));
        FormulaBox* box = m_w->Formula();
        const auto rows = [](const QListWidget* rowList) {
            QStringList texts;
            for (int i = 2; i < rowList->count(); ++i) {
                texts << rowList->item(i)->text().trimmed();
            }
            return texts.join(' ');
        };
        const std::map<QString, std::function<QString()>> probes = {
            {"result", [&] { return m_w->Result(); }},
            {"formula", [&] { return Marked(box); }},
            {"clipboard", [&] { return QGuiApplication::clipboard()->text(); }},
            {"boxes", [&] { return m_w->services.TakeMessages().join(" / "); }},
            {"calls", [&] { return std::exchange(m_w->services.calls, {}).join(" / "); }},
            {"ran", [&] { return std::exchange(m_w->ran, {}).join(" / "); }},
            {"row", [&] { return Names()->item(n)->text() + "|" + Values()->item(n)->text(); }},
            {"names", [&] { return rows(Names()); }},  // trimmed, from the first variable
            {"values", [&] { return rows(Values()); }},
            {"current",
             [&] {
                 return QString("%1 %2").arg(Names()->currentRow()).arg(Values()->currentRow());
             }},
            {"eval",
             [&] {  // FORMULA, by F9
                 box->SetText(arg);
                 box->setFocus();
                 QTest::keyClick(box, Qt::Key_F9);
                 return m_w->Result();
             }},
            {"menu", [&] { return ContextMenu(list, n); }},         // LIST ROW
            {"category", [&] { return CategoriesOf(*box, arg); }},  // SPAN in the formula
            {"spoken",
             [&] {
                 return QAccessible::queryAccessibleInterface(m_w->Control(arg))
                     ->text(QAccessible::Name);
             }},
            {"tip", [&] { return m_w->Control(arg)->toolTip(); }},
            {"line",  // the result line's text
             [&] { return m_w->Control("Label_ResultLine")->toolTip(); }},
            {"history",
             [&] {
                 QStringList entries;
                 const auto* history = m_w->Control<QListWidget>("List_History");
                 for (int i = 0; i < history->count(); ++i) {
                     entries << history->item(i)->text();
                 }
                 return entries.join(" / ");
             }},
            {"focused", [&] { return QApplication::focusWidget()->objectName(); }},
            {"shown",
             [&] {  // an access key clicks its button with a short animation
                 return QTest::qWaitFor([&] { return !m_w->window.isVisible(); }, 1000) ? "no"
                                                                                        : "yes";
             }},
            {"example",
             [&] {  // the chooser's row holding the formula
                 int row = kExampleCount - 1;
                 while (row >= 0 && ExampleExpression(row) != box->Text().toStdString()) {
                     --row;
                 }
                 return QString::number(row);
             }},
            {"bars",
             [&] {  // the scroll bars LIST shows
                 QCoreApplication::processEvents();
                 return QString(list->verticalScrollBar()->isVisible() ? "vertical" : "") +
                        (list->horizontalScrollBar()->isVisible() ? " horizontal" : "");
             }},
            {"copied",
             [&] {  // the whole formula
                 box->selectAll();
                 box->copy();
                 const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
                 return copied->formats().join(' ') + ": " + copied->text();
             }},
        };
        if (!probes.contains(verb)) {
            QTest::qFail(qPrintable("no probe " + verb), __FILE__, __LINE__);
            return {};
        }
        return probes.at(verb)();
    }

    // LIST's context menu at ROW (-1: below the rows): the enabled entries as
    // "text shortcut", a disabled one in brackets.
    QString ContextMenu(QListWidget* list, int row) {
        const QPoint at =
            row >= 0 ? RowCentre(list, row) : QPoint(5, list->viewport()->height() - 5);
        QStringList shown;
        QTimer::singleShot(0, [&shown] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            for (const QAction* entry : menu->actions()) {
                const QString text = (entry->text() + " " + entry->shortcut().toString()).trimmed();
                shown << (entry->isSeparator() ? "-"
                          : entry->isEnabled() ? text
                                               : "(" + text + ")");
            }
            menu->close();
        });
        emit list->customContextMenuRequested(at);
        return shown.join(", ");
    }
};

}  // namespace vornel::test
