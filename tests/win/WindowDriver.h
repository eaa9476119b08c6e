#pragma once

#include <windows.h>

#include <chrono>
#include <string>

namespace vornel::test {

// Drives a running vornel.exe from outside, by its windows' messages, as a
// user would by keys and clicks: starts it, finds its windows, reads and
// writes its controls, and ends it.
class WindowDriver {
public:
    // Starts `program` with no settings or history kept from earlier runs and
    // closes the product information window.
    explicit WindowDriver(const std::wstring& program);
    ~WindowDriver();
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;

    HWND Main() const { return m_main; }
    HWND Item(int id) const { return GetDlgItem(m_main, id); }

    // A visible top-level window of the program with this class and title
    // (either may be null for any); waits up to a few seconds for it.
    HWND WaitForWindow(const wchar_t* windowClass, const wchar_t* title) const;

    // A modal box or dialog titled `title`; waits for it.
    HWND WaitForDialog(const wchar_t* title) const { return WaitForWindow(L"#32770", title); }

    // Runs a menu command, a window-wide key's command or a click on the
    // control `id`, and returns when it has run.
    void Run(int id) const;
    // Starts a command that opens a modal box or dialog; returns at once.
    void Start(int id) const;
    // Presses and releases `key` on the control `id` (no modifier keys);
    // returns at once.
    void PressKey(int id, WORD key) const;
    // Returns when the program has handled what it was doing; posted
    // messages may still wait, so wait for their effect first.
    void Settle() const;
    // Presses OK in `dialog` and returns when it has closed and its command
    // has ended.
    void Confirm(HWND dialog) const;

    static std::wstring Text(HWND window);
    // Waits until `window` shows `text`; the text last seen otherwise.
    static std::wstring WaitForText(HWND window, const std::wstring& text);
    // Waits until `window` shows any text, and returns it.
    static std::wstring WaitForAnyText(HWND window);
    // The text of every static control of a dialog, one per line.
    static std::wstring StaticTexts(HWND dialog);

    bool Exited(std::chrono::milliseconds wait) const;

private:
    PROCESS_INFORMATION m_process{};
    HANDLE m_job = nullptr;
    HWND m_main = nullptr;
};

// The folder this test program runs from, with a final backslash.
std::wstring ProgramFolder();

// Checks that controls of the main window `main` (of this program or another)
// sit at their places in the layout at `dpi` dots per inch, at its smallest
// size.
void ExpectControlsAtTheirPlaces(HWND main, int dpi);

}  // namespace vornel::test
