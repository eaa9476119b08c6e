// Measures typing into the calculator window's formula box: one keystroke at
// the end of a long line, with the line coloured and with the colouring
// detached, including the layout and painting that follow the keystroke.
// With --start-window-and-quit it starts the window as the program does,
// shows it, and quits after the first paint, for /usr/bin/time -v.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTest>
#include <QTextCursor>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "ControlTable.h"
#include "ExampleExpressions.h"
#include "FormulaBox.h"
#include "FormulaHighlighter.h"
#include "Main.h"
#include "WindowServices.h"

namespace vornel::bench {

namespace {

// Nothing blocks: the benchmark never opens a box or dialog, and the product
// information window that the program shows at start-up is left out.
class NoServices : public WindowServices {
public:
    void ShowMessage(QWidget*, const QString&, const QString&, MessageIcon) override {}
    bool Ask(QWidget*, const QString&, const QString&) override { return false; }
    std::optional<std::vector<std::string>> GetInput(QWidget*, const InputRequest&) override {
        return std::nullopt;
    }
    void ShowProductInformation(QWidget*) override {}
    void ShowAbout(QWidget*) override {}
    bool StartHelpViewer(const QString&) override { return false; }
    QString GetOpenFileName(QWidget*, const QString&) override { return {}; }
    QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
};

// The application as the program sets it up.
void SetUpApplication() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(WindowFont());
}

// The window's third example (functions, variables, numbers and operators)
// repeated and joined with '+', exactly `length` characters long.
QString ColouredLine(qsizetype length) {
    const QString unit = QString::fromLatin1(kExampleExpressions[2]);
    QString line = unit;
    while (line.size() < length) {
        line += QLatin1Char('+') + unit;
    }
    line.truncate(length);
    return line;
}

// The started window with its formula box, shown on the offscreen platform.
struct Window {
    NoServices services;
    Main main{services};
    FormulaBox* formula = nullptr;
    FormulaHighlighter* highlighter = nullptr;

    Window() {
        main.Form_Load();
        main.show();
        (void)QTest::qWaitForWindowExposed(&main);
        formula = main.findChild<FormulaBox*>(QStringLiteral("Text_Formula"));
        highlighter = formula->document()->findChild<FormulaHighlighter*>();
    }
};

Window* g_window = nullptr;

// What follows a keystroke: the box alone; the box coloured; the box
// coloured and the result line worked out and shown (as after the typing
// pause, here after every keystroke).
enum class Mode { Plain, Coloured, ResultLine };

// One keystroke at a time at the end of a line of `length` characters: a '+'
// typed, then taken back with Backspace, so the line keeps its length. Each
// keystroke is followed by the events it caused, so the box lays out and
// paints as it would on screen.
void BM_Keystroke(benchmark::State& state, qsizetype length, Mode mode) {
    const bool coloured = mode != Mode::Plain;
    Window& window = *g_window;
    FormulaBox& formula = *window.formula;
    window.highlighter->setDocument(coloured ? formula.document() : nullptr);
    formula.SetText(ColouredLine(length));
    formula.setFocus();
    formula.moveCursor(QTextCursor::End);
    QApplication::processEvents();
    bool typed = false;
    for (auto _ : state) {
        if (typed) {
            QTest::keyClick(&formula, Qt::Key_Backspace);
        } else {
            QTest::keyClick(&formula, '+');
        }
        typed = !typed;
        QApplication::processEvents();
        if (mode == Mode::ResultLine) {
            window.main.Model().TimerElapsed();
            QApplication::processEvents();
        }
    }
    if (formula.document()->characterCount() - 1 != length + (typed ? 1 : 0)) {
        state.SkipWithError("the keystrokes did not reach the formula box");
    }
    window.highlighter->setDocument(formula.document());
}

// The table lists CPU time in milliseconds: on a machine shared with other
// work the wall clock mostly measures the others. With repetitions, the
// fastest run is the one least disturbed.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) {
                continue;
            }
            const double ms = run.GetAdjustedCPUTime();
            const auto [it, added] = m_ms.try_emplace(run.run_name.function_name, ms);
            it->second = std::min(it->second, ms);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-10s %14s %12s %12s\n", "chars", "result line ms", "coloured ms",
                    "plain ms");
        for (const int length : kLengths) {
            std::printf("%-10d %14s %12s %12s\n", length, Cell("line", length).c_str(),
                        Cell("coloured", length).c_str(), Cell("plain", length).c_str());
        }
        std::printf("ms of CPU time per keystroke, the fastest repetition.\n");
    }

    static constexpr int kLengths[] = {1000, 10000, 32766};

private:
    std::string Cell(const char* kind, int length) const {
        const auto it = m_ms.find("keystroke/" + std::string(kind) + "/" + std::to_string(length));
        if (it == m_ms.end()) {
            return "-";
        }
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", it->second);
        return text;
    }

    std::map<std::string, double> m_ms;
};

void RegisterAll() {
    const std::pair<const char*, Mode> modes[] = {
        {"line/", Mode::ResultLine}, {"coloured/", Mode::Coloured}, {"plain/", Mode::Plain}};
    for (const int length : SummaryReporter::kLengths) {
        for (const auto& [kind, mode] : modes) {
            const std::string name = "keystroke/" + std::string(kind) + std::to_string(length);
            benchmark::RegisterBenchmark(name.c_str(), BM_Keystroke, length, mode)
                ->Unit(benchmark::kMillisecond);
        }
    }
}

// Starts the window as the program does and quits once it is painted;
// prints the time from the application's creation to the first paint.
int StartWindowAndQuit(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    SetUpApplication();
    NoServices services;
    Main window(services);
    window.Form_Load();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return 1;
    }
    QApplication::processEvents();
    std::printf("window painted %.1f ms after the application started\n",
                static_cast<double>(clock.nsecsElapsed()) / 1e6);
    return 0;
}

}  // namespace

}  // namespace vornel::bench

int main(int argc, char** argv) {
    using namespace vornel::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (argc == 2 && std::strcmp(argv[1], "--start-window-and-quit") == 0) {
        return StartWindowAndQuit(argc, argv);
    }
    QApplication app(argc, argv);
    SetUpApplication();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Window window;
    g_window = &window;
    RegisterAll();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
