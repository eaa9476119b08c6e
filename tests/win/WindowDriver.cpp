#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "ResourceIds.h"

namespace vornel::test {

namespace {

constexpr auto kPatience = std::chrono::seconds(20);
constexpr auto kPoll = std::chrono::milliseconds(20);

struct Search {
    DWORD process;
    const wchar_t* windowClass;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<Search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    if (process != search.process || !IsWindowVisible(window) ||
        (search.windowClass != nullptr && std::wstring(name) != search.windowClass) ||
        (search.title != nullptr && WindowDriver::Text(window) != search.title)) {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

// No settings and no history from earlier runs.
void ForgetEarlierRuns() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vornel");
    wchar_t folder[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        const std::wstring data = std::wstring(folder) + L"\\Vornel";
        WIN32_FIND_DATAW file;
        HANDLE find = FindFirstFileW((data + L"\\*").c_str(), &file);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((data + L"\\" + file.cFileName).c_str());
            } while (FindNextFileW(find, &file));
            FindClose(find);
        }
    }
}

}  // namespace

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    const std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return program.substr(0, program.find_last_of(L'\\') + 1);
}

WindowDriver::WindowDriver(const std::wstring& program) {
    ForgetEarlierRuns();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"\"" + program + L"\"";
    // The program ends with this one, also when this one is ended from outside
    // (a test that hangs): left running, a hung program would hold up every
    // later test that sends a message to all windows.
    m_job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &m_process)) {
        throw std::runtime_error("vornel.exe cannot be started");
    }
    AssignProcessToJobObject(m_job, m_process.hProcess);
    HWND information = WaitForDialog(L"Vornel");
    if (information == nullptr) {
        throw std::runtime_error("no product information window");
    }
    PostMessageW(information, WM_COMMAND, IDOK, 0);
    m_main = WaitForWindow(L"VornelMain", L"Vornel");
    if (m_main == nullptr) {
        throw std::runtime_error("no main window");
    }
}

WindowDriver::~WindowDriver() {
    if (m_main != nullptr && IsWindow(m_main)) {
        PostMessageW(m_main, WM_CLOSE, 0, 0);
    }
    if (!Exited(std::chrono::seconds(5))) {
        TerminateProcess(m_process.hProcess, 1);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
    CloseHandle(m_job);
}

HWND WindowDriver::WaitForWindow(const wchar_t* windowClass, const wchar_t* title) const {
    const auto end = std::chrono::steady_clock::now() + kPatience;
    do {
        Search search{m_process.dwProcessId, windowClass, title, nullptr};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            return search.found;
        }
        std::this_thread::sleep_for(kPoll);
    } while (std::chrono::steady_clock::now() < end);
    return nullptr;
}

void WindowDriver::Run(int id) const {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(m_main, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_NORMAL, 20000, &ignored);
}

void WindowDriver::Start(int id) const {
    PostMessageW(m_main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void WindowDriver::Confirm(HWND dialog) const {
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (IsWindow(dialog) && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(kPoll);
    }
    Settle();
}

void WindowDriver::PressKey(int id, WORD key) const {
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    PostMessageW(Item(id), WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageW(Item(id), WM_KEYUP, key, 1 | (scan << 16) | (3u << 30));
}

void WindowDriver::Settle() const {
    // A sent message is handled after everything posted before it.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(m_main, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored);
}

// GetWindowText does not ask a control of another program for its text.
std::wstring WindowDriver::Text(HWND window) {
    const auto length = std::size_t(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    text.resize(
        std::size_t(SendMessageW(window, WM_GETTEXT, WPARAM(text.size()), LPARAM(text.data()))));
    return text;
}

std::wstring WindowDriver::WaitForText(HWND window, const std::wstring& text) {
    const auto end = std::chrono::steady_clock::now() + kPatience;
    std::wstring shown = Text(window);
    while (shown != text && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(kPoll);
        shown = Text(window);
    }
    return shown;
}

std::wstring WindowDriver::WaitForAnyText(HWND window) {
    const auto end = std::chrono::steady_clock::now() + kPatience;
    std::wstring shown = Text(window);
    while (shown.empty() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(kPoll);
        shown = Text(window);
    }
    return shown;
}

std::wstring WindowDriver::StaticTexts(HWND dialog) {
    std::wstring texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = L"";
        GetClassNameW(child, name, 64);
        if (_wcsicmp(name, L"Static") == 0 && !Text(child).empty()) {
            texts += Text(child) + L"\n";
        }
    }
    return texts;
}

bool WindowDriver::Exited(std::chrono::milliseconds wait) const {
    return WaitForSingleObject(m_process.hProcess, DWORD(wait.count())) == WAIT_OBJECT_0;
}

void ExpectControlsAtTheirPlaces(HWND main, int dpi) {
    struct Row {
        int id;
        RECT twips;  // left, top, right, bottom on the client area
    };
    const Row rows[] = {
        {IDC_RESULT, {1860, 300, 1860 + 5535, 300 + 315}},
        {IDC_FORMULA, {2640, 960, 2640 + 5325, 960 + 945}},
        {IDC_RESULT_LINE, {2640, 1920, 2640 + 5325, 1920 + 465}},
        {IDC_NAMES, {180, 1320, 180 + 1140, 1320 + 1590}},
        {IDC_KEYPAD + 7, {180, 3600, 180 + 495, 3600 + 375}},
        {IDC_KEYPAD + 38, {6780, 4020, 6780 + 1215, 4020 + 375}},
        {IDC_KEYPAD + 32, {4260, 4440, 4260 + 735, 4440 + 375}},
        {IDC_KEYPAD + 31, {5820, 4860, 5820 + 735, 4860 + 375}},
        {IDC_CLOSE, {6780, 4860, 6780 + 1215, 4860 + 375}},
    };
    for (const Row& row : rows) {
        RECT r{};
        GetWindowRect(GetDlgItem(main, row.id), &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, MulDiv(row.twips.left, dpi, 1440)) << row.id << " at " << dpi;
        EXPECT_EQ(r.top, MulDiv(row.twips.top, dpi, 1440)) << row.id << " at " << dpi;
        EXPECT_EQ(r.right, MulDiv(row.twips.right, dpi, 1440)) << row.id << " at " << dpi;
        EXPECT_EQ(r.bottom, MulDiv(row.twips.bottom, dpi, 1440)) << row.id << " at " << dpi;
    }
}

}  // namespace vornel::test
