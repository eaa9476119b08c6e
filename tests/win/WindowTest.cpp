// The Windows program's own tests: the real vornel.exe, started and driven
// from outside by its windows' messages, as a user drives it by keys and
// clicks.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ResourceIds.h"
#include "WindowDriver.h"

namespace vornel::test {

namespace {

std::wstring Program() {
    return ProgramFolder() + L"vornel.exe";
}

std::wstring ListRow(HWND list, int row) {
    const auto length = SendMessageW(list, LB_GETTEXTLEN, WPARAM(row), 0);
    if (length < 0) {
        return L"(none)";
    }
    std::wstring text(std::size_t(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, WPARAM(row), LPARAM(text.data()));
    text.resize(std::size_t(length));
    return text;
}

int LastRow(HWND list) {
    return int(SendMessageW(list, LB_GETCOUNT, 0, 0)) - 1;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// The control that has the keyboard focus in the program of `window`.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

RECT PlaceIn(HWND parent, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Every control of `dialog` has a size, lies inside it and over no other; OK
// stands left of Cancel on its row, as wide as it.
void ExpectLaidOut(HWND dialog) {
    RECT client{};
    GetClientRect(dialog, &client);
    std::vector<RECT> places;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT r = PlaceIn(dialog, child);
        RECT common{};
        EXPECT_FALSE(IsRectEmpty(&r)) << GetDlgCtrlID(child);
        EXPECT_TRUE(IntersectRect(&common, &r, &client) && EqualRect(&common, &r))
            << GetDlgCtrlID(child);
        for (const RECT& other : places) {
            EXPECT_FALSE(IntersectRect(&common, &r, &other)) << GetDlgCtrlID(child);
        }
        places.push_back(r);
    }
    const RECT ok = PlaceIn(dialog, GetDlgItem(dialog, IDOK));
    const RECT cancel = PlaceIn(dialog, GetDlgItem(dialog, IDCANCEL));
    EXPECT_EQ(ok.right - ok.left, cancel.right - cancel.left);
    EXPECT_EQ(ok.top, cancel.top);
    EXPECT_LT(ok.right, cancel.left);
}

// A registry value (a key's default value when `name` is null) that is
// `value` while the object lives, then what it was, or none.
class RegistryValue {
public:
    RegistryValue(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value)
        : m_root(root), m_key(key), m_name(name) {
        DWORD bytes = sizeof(m_before);
        m_had = RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, m_before, &bytes) ==
                ERROR_SUCCESS;
        Set(value);
    }
    ~RegistryValue() { m_had ? Set(m_before) : void(RegDeleteKeyValueW(m_root, m_key, m_name)); }
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;

private:
    void Set(const std::wstring& value) const {
        RegSetKeyValueW(m_root, m_key, m_name, REG_SZ, value.c_str(),
                        DWORD((value.size() + 1) * sizeof(wchar_t)));
    }
    HKEY m_root;
    const wchar_t* m_key;
    const wchar_t* m_name;
    wchar_t m_before[256]{};
    bool m_had = false;
};

std::wstring TempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return temp;
}

class WindowTest : public ::testing::Test {
protected:
    WindowDriver window{Program()};

    HWND Formula() const { return window.Item(IDC_FORMULA); }
    HWND Result() const { return window.Item(IDC_RESULT); }

    void TypeFormula(const std::wstring& text) const {
        SendMessageW(Formula(), WM_SETTEXT, 0, LPARAM(text.c_str()));
    }

    // F9 on the formula; the result box's text once it has changed to `shown`.
    std::wstring Evaluate(const std::wstring& formula, const std::wstring& shown) const {
        TypeFormula(formula);
        window.PressKey(IDC_FORMULA, VK_F9);
        return WindowDriver::WaitForText(Result(), shown);
    }

    // Fills the lines of the input dialog titled `title`.
    HWND FillInput(const wchar_t* title, const std::vector<std::wstring>& lines) const {
        HWND dialog = window.WaitForDialog(title);
        EXPECT_NE(dialog, nullptr);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            SetDlgItemTextW(dialog, IDC_INPUT_FIRST + int(2 * i) + 1, lines[i].c_str());
        }
        return dialog;
    }

    // Names `path` in the open or save dialog titled `title` and confirms it.
    void AnswerFileDialog(const wchar_t* title, const std::wstring& path) const {
        HWND dialog = window.WaitForDialog(title);
        ASSERT_NE(dialog, nullptr);
        constexpr int kFileNameCombo = 0x47c;  // cmb13
        constexpr int kFileNameEdit = 0x480;   // edt1
        const int field =
            GetDlgItem(dialog, kFileNameCombo) != nullptr ? kFileNameCombo : kFileNameEdit;
        SetDlgItemTextW(dialog, field, path.c_str());
        window.Confirm(dialog);
    }
};

// The start: the window, its result box empty, example 1 in the formula and
// the variables A to E.
TEST_F(WindowTest, StartsWithExampleOneAndTheVariables) {
    EXPECT_EQ(WindowDriver::Text(Result()), L"");
    EXPECT_EQ(WindowDriver::Text(Formula()).substr(0, 26), L"If (A>100 & B<200 ) Then\r\n");
    HWND names = window.Item(IDC_NAMES);
    HWND values = window.Item(IDC_VALUES);
    EXPECT_EQ(ListRow(names, 0), L" Variable ");
    EXPECT_EQ(ListRow(names, 6), L" E    ");
    EXPECT_EQ(ListRow(values, 2), L" 100.00");
    EXPECT_EQ(LastRow(names), 6);
    // The formula box is the rich edit control that colours the formula, the
    // result line is drawn by the window, each message in its colour.
    wchar_t formulaClass[32]{};
    GetClassNameW(Formula(), formulaClass, 32);
    EXPECT_EQ(lstrcmpiW(formulaClass, L"RICHEDIT50W"), 0) << formulaClass;
    EXPECT_EQ(GetWindowLongW(window.Item(IDC_RESULT_LINE), GWL_STYLE) & SS_TYPEMASK, SS_OWNERDRAW);
}

TEST_F(WindowTest, EvaluatesWithEachCommand) {
    struct Row {
        const wchar_t* formula;
        int command;  // 0: the F9 key on the formula
        const wchar_t* shown;
    };
    const Row rows[] = {
        {L"A*B+1", 0, L"20,001.000000000000000"},
        {L"A+B", IDC_EQUALS, L"300.000000000000000"},
        {L"Round(1000/7,2)", IDC_GO, L"142.860000000000000"},
        {L"-0.25", IDM_EVALUATE, L"-0.250000000000000"},
        {L"", IDC_EQUALS, L"0"},
    };
    for (const Row& row : rows) {
        TypeFormula(row.formula);
        if (row.command == 0) {
            window.PressKey(IDC_FORMULA, VK_F9);
        } else {
            window.Run(row.command);
        }
        EXPECT_EQ(WindowDriver::WaitForText(Result(), row.shown), row.shown) << row.command;
    }
}

TEST_F(WindowTest, FailureShowsItsBoxAndItsPlace) {
    TypeFormula(L"1/0");
    window.PressKey(IDC_FORMULA, VK_F9);
    HWND box = window.WaitForDialog(L"Error Number-11");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(WindowDriver::StaticTexts(box).find(L"Invalid Expression!"), std::wstring::npos);
    window.Confirm(box);
    EXPECT_EQ(WindowDriver::Text(Result()), L"0.000000000000000");
    EXPECT_EQ(FocusOf(window.Main()), Formula());
    // The result line keeps the sentence.
    const std::wstring line = WindowDriver::Text(window.Item(IDC_RESULT_LINE));
    EXPECT_NE(line.find(L"(Error Number-11)"), std::wstring::npos) << line;
}

TEST_F(WindowTest, VariableAddedRenamedAndUsed) {
    window.Start(IDC_ADD);
    HWND add = FillInput(L"Add Variable", {L"Rate", L"2.5"});
    ExpectLaidOut(add);
    window.Confirm(add);
    HWND names = window.Item(IDC_NAMES);
    ASSERT_EQ(LastRow(names), 7);
    EXPECT_EQ(ListRow(names, 7), L"Rate");
    EXPECT_EQ(ListRow(window.Item(IDC_VALUES), 7), L"2.50");
    EXPECT_EQ(Evaluate(L"Rate*2", L"5.000000000000000"), L"5.000000000000000");

    // A refused name keeps the dialog open with the reason; then a good one.
    window.Start(IDM_RENAME);
    HWND rename = FillInput(L"Rename Variable", {L"1x"});
    PostMessageW(rename, WM_COMMAND, IDOK, 0);
    EXPECT_NE(WindowDriver::WaitForAnyText(GetDlgItem(rename, IDC_INPUT_REASON)), L"");
    ASSERT_TRUE(IsWindowVisible(rename));
    window.Confirm(FillInput(L"Rename Variable", {L"Speed"}));
    EXPECT_EQ(ListRow(names, 7), L"Speed");
    EXPECT_EQ(Evaluate(L"speed+1", L"3.500000000000000"), L"3.500000000000000");
}

TEST_F(WindowTest, FileSavedAndOpenedAgain) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"vornel-window-test.txt";
    DeleteFileW(path.c_str());
    const std::wstring formula = L"If (A>1) Then\r\n        B*2\r\nEndIf";
    TypeFormula(formula);
    window.Start(IDM_SAVE);
    AnswerFileDialog(L"Save As", path);
    EXPECT_EQ(ReadBytes(path), "If (A>1) Then\r\n        B*2\r\nEndIf");

    window.Run(IDC_CLEAR);
    EXPECT_EQ(WindowDriver::Text(Formula()), L"");
    window.Start(IDM_OPEN);
    AnswerFileDialog(L"Open", path);
    EXPECT_EQ(WindowDriver::WaitForText(Formula(), formula), formula);
    // What the file brought in can be taken back.
    window.Run(IDM_UNDO);
    EXPECT_EQ(WindowDriver::Text(Formula()), L"");
    DeleteFileW(path.c_str());
}

std::wstring ClipboardText() {
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

void SetClipboardText(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(data), text.c_str(), bytes);
    GlobalUnlock(data);
    SetClipboardData(CF_UNICODETEXT, data);
    CloseClipboard();
}

TEST_F(WindowTest, ClipboardCommandsWorkOnTheFormula) {
    TypeFormula(L"12345");
    SendMessageW(Formula(), EM_SETSEL, 1, 3);
    window.Run(IDM_COPY);
    EXPECT_EQ(ClipboardText(), L"23");
    window.Run(IDM_CUT);
    EXPECT_EQ(WindowDriver::Text(Formula()), L"145");
    SetClipboardText(L"+9");
    window.Run(IDM_PASTE);
    EXPECT_EQ(WindowDriver::Text(Formula()), L"1+945");
    // Ctrl+A, which the plain text box lacks, selects the whole formula.
    SendMessageW(Formula(), WM_CHAR, 1, 0);
    DWORD begin = 1;
    DWORD end = 0;
    SendMessageW(Formula(), EM_GETSEL, WPARAM(&begin), LPARAM(&end));
    EXPECT_EQ(begin, 0u);
    EXPECT_EQ(end, 5u);
}

TEST_F(WindowTest, KeypadAndExamplesEditTheFormula) {
    TypeFormula(L"12");
    SendMessageW(Formula(), EM_SETSEL, 1, 1);
    window.Run(IDC_KEYPAD + 12);  // "+"
    window.Run(IDC_KEYPAD + 27);  // "& And"
    EXPECT_EQ(WindowDriver::Text(Formula()), L"1+ & 2");
    SendMessageW(window.Item(IDC_EXAMPLES), CB_SETCURSEL, 2, 0);
    SendMessageW(window.Main(), WM_COMMAND, MAKEWPARAM(IDC_EXAMPLES, CBN_SELCHANGE),
                 LPARAM(window.Item(IDC_EXAMPLES)));
    EXPECT_EQ(WindowDriver::Text(Formula()), L"A*B+B/C-D+Max(E,300)/B+Ceil(5000/A*3.2)+Exp(2,8)");
}

// Help names the document it cannot find; the program here has none beside it.
TEST(WindowHelpTest, NamesTheMissingDocument) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"vornel-no-help\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(Program().c_str(), (folder + L"vornel.exe").c_str(), FALSE));
    {
        WindowDriver window(folder + L"vornel.exe");
        window.Start(IDM_HELP);
        HWND box = window.WaitForDialog(L"Vornel");
        ASSERT_NE(box, nullptr);
        EXPECT_NE(WindowDriver::StaticTexts(box).find(
                      L"The help document vornel-help.html cannot be found."),
                  std::wstring::npos);
        window.Confirm(box);
    }
    DeleteFileW((folder + L"vornel.exe").c_str());
    RemoveDirectoryW(folder.c_str());
}

// Help hands the document beside the program to the program that opens .html
// files; with none, it says so and names the document.
TEST(WindowHelpTest, OpensTheDocumentOrNamesIt) {
    const std::wstring document = ProgramFolder() + L"vornel-help.html";
    const std::wstring opened = TempFolder() + L"vornel-help-opened.html";
    const std::wstring copy = L"cmd.exe /c copy \"%1\" \"" + opened + L"\"";
    // The program that opens .html files copies the document, or there is none.
    for (const wchar_t* command : {copy.c_str(), L""}) {
        const RegistryValue type(HKEY_CLASSES_ROOT, L".html", nullptr, L"VornelTest.html");
        const RegistryValue open(HKEY_CLASSES_ROOT, L"VornelTest.html\\shell\\open\\command",
                                 nullptr, command);
        DeleteFileW(opened.c_str());
        WindowDriver window(Program());
        window.Start(IDM_HELP);
        if (*command != L'\0') {
            for (int wait = 0; wait < 500 && ReadBytes(opened).empty(); ++wait) {
                Sleep(20);
            }
            EXPECT_EQ(ReadBytes(opened), ReadBytes(document));
            continue;
        }
        HWND box = window.WaitForDialog(L"Vornel");
        ASSERT_NE(box, nullptr);
        const std::wstring texts = WindowDriver::StaticTexts(box);
        EXPECT_NE(texts.find(L"No viewer could be started for the help document:"),
                  std::wstring::npos)
            << texts;
        EXPECT_NE(texts.find(L"vornel-help.html"), std::wstring::npos) << texts;
        window.Confirm(box);
    }
    DeleteFileW(opened.c_str());
}

// Explain: each condition's verdict, the branch chosen and its value.
TEST_F(WindowTest, ExplainShowsTheVerdictsAndTheChosenBranch) {
    window.Run(IDM_EXPLAIN);
    EXPECT_EQ(WindowDriver::Text(window.Item(IDC_RESULT_LINE)),
              L"If (A>100 & B<200 ): false  \u00b7  ElseIf (A<100 | B>=100): true  \u00b7  "
              L"ElseIf (A=100): not tested  \u00b7  Chosen: Ceil(B/5)+20*B-Min(E*10, A)  \u00b7  "
              L"= 3,940.000000000000000");
}

// Three notes wrap over the result line's two rows; a click on the second
// row selects the place of the note shown there.
TEST_F(WindowTest, ClickOnTheResultLinesSecondRowSelectsItsNote) {
    TypeFormula(L"1%+2%+3%+4");
    window.Run(IDC_EQUALS);
    window.Settle();  // the line laid out with its notes before it is clicked
    HWND line = window.Item(IDC_RESULT_LINE);
    RECT area{};
    GetClientRect(line, &area);
    SendMessageW(line, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, area.bottom * 3 / 4));
    SendMessageW(line, WM_LBUTTONUP, 0, MAKELPARAM(2, area.bottom * 3 / 4));
    window.Settle();
    DWORD begin = 0;
    DWORD end = 0;
    SendMessageW(Formula(), EM_GETSEL, WPARAM(&begin), LPARAM(&end));
    const std::pair<DWORD, DWORD> selected{begin, end};
    const std::pair<DWORD, DWORD> notes[] = {{1, 2}, {4, 5}, {7, 8}};
    EXPECT_NE(std::find(std::begin(notes), std::end(notes), selected), std::end(notes))
        << begin << ".." << end << " " << WindowDriver::Text(line);
}

TEST_F(WindowTest, ControlsSitAtTheirPlacesAtTheWindowsDpi) {
    ExpectControlsAtTheirPlaces(window.Main(), int(GetDpiForWindow(window.Main())));
}

// A larger window: the formula takes three quarters of the added width and
// half the added height, the keypad moves down by all of it.
TEST_F(WindowTest, ControlsFollowTheGrowingWindow) {
    const auto place = [this](int id) {
        RECT r{};
        GetWindowRect(window.Item(id), &r);
        return r;
    };
    const RECT formula = place(IDC_FORMULA);
    const RECT key = place(IDC_KEYPAD + 7);
    RECT frame{};
    GetWindowRect(window.Main(), &frame);
    SetWindowPos(window.Main(), nullptr, 0, 0, frame.right - frame.left + 160,
                 frame.bottom - frame.top + 80, SWP_NOMOVE | SWP_NOZORDER);
    window.Settle();
    const RECT grown = place(IDC_FORMULA);
    EXPECT_EQ(grown.right - grown.left, formula.right - formula.left + 120);
    EXPECT_EQ(grown.bottom - grown.top, formula.bottom - formula.top + 40);
    EXPECT_EQ(place(IDC_KEYPAD + 7).top - key.top, 80);
}

TEST_F(WindowTest, CloseEndsTheProgram) {
    window.Start(IDC_CLOSE);
    EXPECT_TRUE(window.Exited(std::chrono::seconds(10)));
}

// The user's decimal separator and grouping, in the result and in a value
// typed.
class LocaleTest : public ::testing::Test {
protected:
    const RegistryValue m_decimal{HKEY_CURRENT_USER, L"Control Panel\\International", L"sDecimal",
                                  L","};
    const RegistryValue m_group{HKEY_CURRENT_USER, L"Control Panel\\International", L"sThousand",
                                L"."};
    WindowDriver window{Program()};
};

TEST_F(LocaleTest, ResultsAndValuesUseTheUsersSeparators) {
    HWND formula = window.Item(IDC_FORMULA);
    HWND result = window.Item(IDC_RESULT);
    SendMessageW(formula, WM_SETTEXT, 0, LPARAM(L"A*B+1"));
    window.PressKey(IDC_FORMULA, VK_F9);
    EXPECT_EQ(WindowDriver::WaitForText(result, L"20.001,000000000000000"),
              L"20.001,000000000000000");
    window.Start(IDC_ADD);
    HWND dialog = window.WaitForDialog(L"Add Variable");
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextW(dialog, IDC_INPUT_FIRST + 1, L"Rate");
    SetDlgItemTextW(dialog, IDC_INPUT_FIRST + 3, L"2,5");
    window.Confirm(dialog);
    SendMessageW(formula, WM_SETTEXT, 0, LPARAM(L"Rate*2"));
    window.PressKey(IDC_FORMULA, VK_F9);
    EXPECT_EQ(WindowDriver::WaitForText(result, L"5,000000000000000"), L"5,000000000000000");
}

// The program's resources: keys, version information, manifest.
class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = LoadLibraryExW(Program().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr);
    }
    void TearDown() override { FreeLibrary(m_module); }
    HMODULE m_module = nullptr;
};

TEST_F(ResourcesTest, WindowWideKeys) {
    HACCEL table = LoadAcceleratorsW(m_module, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    std::vector<ACCEL> keys(std::size_t(CopyAcceleratorTableW(table, nullptr, 0)));
    CopyAcceleratorTableW(table, keys.data(), int(keys.size()));
    const auto command = [&keys](BYTE modifiers, WORD key) {
        for (const ACCEL& accel : keys) {
            if (accel.key == key && (accel.fVirt & ~FNOINVERT) == (FVIRTKEY | modifiers)) {
                return int(accel.cmd);
            }
        }
        return 0;
    };
    EXPECT_EQ(command(0, VK_F9), IDM_EVALUATE);
    EXPECT_EQ(command(FCONTROL, VK_RETURN), IDM_EVALUATE);
    EXPECT_EQ(command(0, VK_F1), IDM_HELP);
    EXPECT_EQ(command(FCONTROL, 'O'), IDM_OPEN);
    EXPECT_EQ(command(FCONTROL, 'S'), IDM_SAVE);
    EXPECT_EQ(command(FCONTROL, 'E'), IDM_EXIT);
    EXPECT_EQ(command(FCONTROL, 'Z'), IDM_UNDO);
    EXPECT_EQ(command(0, VK_DELETE), IDM_DELETE);
    EXPECT_EQ(command(FSHIFT, VK_F9), IDM_EXPLAIN);
}

TEST_F(ResourcesTest, VersionAndManifest) {
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(Program().c_str(), &ignored));
    ASSERT_TRUE(GetFileVersionInfoW(Program().c_str(), 0, DWORD(info.size()), info.data()));
    const auto value = [&info](const wchar_t* name) {
        wchar_t* text = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        return VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)
                   ? std::wstring(text)
                   : std::wstring();
    };
    EXPECT_EQ(value(L"ProductName"), L"Vornel");
    EXPECT_EQ(value(L"ProductVersion").substr(0, 4), L"2.1.");
    EXPECT_EQ(value(L"LegalCopyright").substr(0, 13), L"Copyright (C)");

    HRSRC found = FindResourceW(m_module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const std::string manifest(
        static_cast<const char*>(LockResource(LoadResource(m_module, found))),
        SizeofResource(m_module, found));
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
}

}  // namespace

}  // namespace vornel::test
