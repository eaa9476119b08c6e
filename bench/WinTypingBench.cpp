// Typing into the Windows view's formula box, under Wine: the real window,
// made as vornel.exe makes it (without the start-up), shown, the caret at
// the end of one line of the third example repeated and joined with '+'.
// Each keystroke is sent to the box and followed by the messages it causes
// and a paint; keystrokes alternate between '+' and Backspace, so the line
// keeps its length. Prints milliseconds per keystroke, wall clock and this
// thread's CPU time, the fastest of three runs of 40 keystrokes (or of N).
//   vornel_win_typing_bench [--keystrokes=N] [characters]...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <commctrl.h>

#include "ExampleExpressions.h"
#include "MainWindow.h"
#include "ResourceIds.h"

namespace {

int keystrokes = 40;
constexpr int kRuns = 3;

std::wstring ColouredLine(std::size_t length) {
    const std::string_view unit = vornel::kExampleExpressions[2];
    std::wstring line;
    while (line.size() < length) {
        line += std::wstring(unit.begin(), unit.end()) + L"+";
    }
    line.resize(length);
    return line;
}

void Pump(HWND window) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_TIMER) {
            continue;  // the result line's pause is not typing
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    UpdateWindow(window);
}

double CpuMilliseconds() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto ms = [](FILETIME t) {
        return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

double WallMilliseconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    std::vector<std::size_t> lengths;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--keystrokes=", 0) == 0) {
            keystrokes = std::max(2, std::atoi(argument.c_str() + 13));
        } else {
            lengths.push_back(std::strtoul(argv[i], nullptr, 10));
        }
    }
    if (lengths.empty()) {
        lengths = {1000, 10000, 30000};
    }
    vornel::win::MainWindow window(GetModuleHandleW(nullptr));
    if (!window.Create()) {
        return 1;
    }
    ShowWindow(window.Handle(), SW_SHOW);
    HWND box = GetDlgItem(window.Handle(), IDC_FORMULA);
    std::printf(
        "| Characters | wall ms per keystroke | CPU ms per keystroke |\n|---:|---:|---:|\n");
    for (const std::size_t length : lengths) {
        SendMessageW(box, WM_SETTEXT, 0, LPARAM(ColouredLine(length).c_str()));
        SetFocus(box);
        SendMessageW(box, EM_SETSEL, WPARAM(-1), LPARAM(-1));
        SendMessageW(box, EM_SCROLLCARET, 0, 0);
        Pump(window.Handle());
        double bestWall = 1e9;
        double bestCpu = 1e9;
        for (int run = 0; run < kRuns; ++run) {
            const double wall = WallMilliseconds();
            const double cpu = CpuMilliseconds();
            for (int key = 0; key < keystrokes; ++key) {
                if (key % 2 == 1) {
                    SendMessageW(box, WM_KEYDOWN, VK_BACK, 1);
                }
                SendMessageW(box, WM_CHAR, key % 2 == 0 ? L'+' : VK_BACK, 1);
                Pump(window.Handle());
            }
            bestWall = std::min(bestWall, (WallMilliseconds() - wall) / keystrokes);
            bestCpu = std::min(bestCpu, (CpuMilliseconds() - cpu) / keystrokes);
        }
        const auto kept = std::size_t(GetWindowTextLengthW(box));
        std::printf("| %zu | %.2f | %.2f |%s\n", length, bestWall, bestCpu,
                    kept == length ? "" : " (the keystrokes changed the length)");
    }
    DestroyWindow(window.Handle());
    return 0;
}
