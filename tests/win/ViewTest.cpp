// The Windows view in this test program's own process, where what its
// controls paint can be looked at: each control paints itself into a picture
// (WM_PRINTCLIENT) whose pixels are read.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <vornel/model/Layout.h>
#include "MainWindow.h"
#include "ResourceIds.h"
#include "WinTheme.h"
#include "WindowDriver.h"

namespace vornel::test {

namespace {

// A picture of how `control` paints its client area, on `background`.
class Picture {
public:
    Picture(HWND control, COLORREF background) {
        GetClientRect(control, &m_area);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = m_area.right;
        info.bmiHeader.biHeight = -m_area.bottom;  // from the top down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        SelectObject(m_dc, m_bitmap);
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(m_dc, &m_area, brush);
        DeleteObject(brush);
        SendMessageW(control, WM_PRINTCLIENT, WPARAM(m_dc), PRF_CLIENT);
        GdiFlush();
    }
    ~Picture() {
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // The pixels in rows [top, bottom) that `wanted` accepts.
    int Count(int top, int bottom, const std::function<bool(COLORREF)>& wanted) const {
        return Count({0, top, m_area.right, bottom}, wanted);
    }
    int Count(const RECT& area, const std::function<bool(COLORREF)>& wanted) const {
        int count = 0;
        for (int y = std::max<int>(area.top, 0); y < std::min(area.bottom, m_area.bottom); ++y) {
            for (int x = std::max<int>(area.left, 0); x < std::min(area.right, m_area.right); ++x) {
                const DWORD pixel = static_cast<const DWORD*>(m_bits)[y * m_area.right + x];
                count += wanted(RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF)) ? 1 : 0;
            }
        }
        return count;
    }
    int Height() const { return m_area.bottom; }
    // The leftmost and the rightmost column with a pixel that `wanted` accepts.
    std::pair<int, int> Columns(const std::function<bool(COLORREF)>& wanted) const {
        std::pair<int, int> found{m_area.right, -1};
        for (int x = 0; x < m_area.right; ++x) {
            const RECT column{x, 0, x + 1, m_area.bottom};
            if (Count(column, wanted) > 0) {
                found = {std::min(found.first, x), x};
            }
        }
        return found;
    }

private:
    RECT m_area{};
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    void* m_bits = nullptr;
};

// A light green through which the text shows: the shade of a chosen branch.
bool Shaded(COLORREF c) {
    return GetGValue(c) > GetRValue(c) + 16 && GetGValue(c) > GetBValue(c) + 16 &&
           GetRValue(c) > 0x80;
}

// The main window, hidden, built as vornel.exe builds it but with no start-up:
// no variables, no history, an empty formula.
class ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        ASSERT_TRUE(m_window.Create());
    }
    void TearDown() override {
        DestroyWindow(m_window.Handle());
        MSG quit{};
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    HWND Item(int id) const { return GetDlgItem(m_window.Handle(), id); }
    void Command(int id) const { SendMessageW(m_window.Handle(), WM_COMMAND, id, 0); }
    void SetFormula(const wchar_t* text) const {
        SendMessageW(Item(IDC_FORMULA), WM_SETTEXT, 0, LPARAM(text));
    }
    // The top of the formula box's line that holds control position `position`.
    int LineTop(LONG position) const {
        POINTL point{};
        SendMessageW(Item(IDC_FORMULA), EM_POSFROMCHAR, WPARAM(&point), position);
        return point.y;
    }

    // A key pressed on the control with the focus, as the program's message
    // loop takes it.
    void Press(WORD key, bool shift) {
        BYTE keys[256]{};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG message{GetFocus(), WM_KEYDOWN, key, 1, 0, {}};
        if (!m_window.PreTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }

    win::MainWindow m_window{GetModuleHandleW(nullptr)};
};

constexpr const wchar_t* kIfBlock = L"If (1>2) Then\r\n5\r\nElse\r\n7\r\nEndIf";

// The formula's colours: keywords bold, numbers and operators in theirs.
TEST_F(ViewTest, FormulaIsColouredByKind) {
    SetFormula(kIfBlock);
    struct Row {
        LONG position;
        COLORREF colour;
        bool bold;
    };
    const Row rows[] = {
        {0, RGB(0x1f, 0x4e, 0x9c), true},    // If
        {4, RGB(0x9a, 0x51, 0x00), false},   // 1
        {5, RGB(0x55, 0x55, 0x55), false},   // >
        {9, RGB(0x1f, 0x4e, 0x9c), true},    // Then
        {14, RGB(0x9a, 0x51, 0x00), false},  // 5
    };
    for (const Row& row : rows) {
        SendMessageW(Item(IDC_FORMULA), EM_SETSEL, row.position, row.position + 1);
        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        SendMessageW(Item(IDC_FORMULA), EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&format));
        EXPECT_EQ(format.crTextColor, row.colour) << row.position;
        EXPECT_EQ((format.dwEffects & CFE_BOLD) != 0, row.bold) << row.position;
    }
}

// Typed a character at a time, at the end or in the middle, with a quote
// typed and taken back after each, a formula shows the colours it has when
// set whole.
TEST_F(ViewTest, TypedFormulaIsColouredAsWhenSetWhole) {
    HWND box = Item(IDC_FORMULA);
    const auto formats = [box](std::size_t length) {
        std::vector<std::pair<COLORREF, DWORD>> shown;
        for (std::size_t at = 0; at < length; ++at) {
            SendMessageW(box, EM_SETSEL, at, at + 1);
            CHARFORMAT2W format{};
            format.cbSize = sizeof(format);
            SendMessageW(box, EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&format));
            shown.emplace_back(format.crTextColor, format.dwEffects & (CFE_BOLD | CFE_AUTOCOLOR));
        }
        return shown;
    };
    const auto type = [box](std::wstring_view text) {
        for (const wchar_t c : text) {
            SendMessageW(box, WM_CHAR, c, 1);
            SendMessageW(box, WM_CHAR, L'"', 1);
            SendMessageW(box, WM_KEYDOWN, VK_BACK, 1);
            SendMessageW(box, WM_CHAR, VK_BACK, 1);
        }
    };
    struct Row {
        std::wstring_view first;   // typed into the empty box
        std::wstring_view second;  // then typed at the start
    };
    const Row rows[] = {{L"1>2) Then Max(B1, 3) Els", L"If ("}, {L"+\"a b\"*2.5e3", L"x1"}};
    for (const Row& row : rows) {
        const std::wstring formula = std::wstring(row.second) + std::wstring(row.first);
        SetFormula(formula.c_str());
        const auto whole = formats(formula.size());
        SetFormula(L"");
        type(row.first);
        SendMessageW(box, EM_SETSEL, 0, 0);
        type(row.second);
        EXPECT_EQ(formats(formula.size()), whole) << formula.c_str();
    }
}

// A long formula is coloured where it is shown, also after the view moves.
TEST_F(ViewTest, LongFormulaIsColouredWhereItIsShown) {
    std::wstring formula;
    for (int i = 0; i < 2000; ++i) {
        formula += L"1+";
    }
    SetFormula((formula + L"23").c_str());
    const auto colourAt = [this](LONG position) {
        SendMessageW(Item(IDC_FORMULA), EM_SETSEL, position, position + 1);
        SendMessageW(Item(IDC_FORMULA), EM_SCROLLCARET, 0, 0);
        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        SendMessageW(Item(IDC_FORMULA), EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&format));
        return format.crTextColor;
    };
    EXPECT_EQ(colourAt(0), RGB(0x9a, 0x51, 0x00));
    EXPECT_EQ(colourAt(4001), RGB(0x9a, 0x51, 0x00));
}

// On a dark window colour, the colours that read on a dark base.
TEST_F(ViewTest, FormulaOnADarkBaseTakesTheLightColours) {
    const int element = COLOR_WINDOW;
    const COLORREF light = GetSysColor(element);
    const COLORREF dark = RGB(0x2b, 0x2b, 0x2b);
    SetSysColors(1, &element, &dark);
    SetFormula(kIfBlock);
    SetSysColors(1, &element, &light);
    SendMessageW(Item(IDC_FORMULA), EM_SETSEL, 0, 1);
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    SendMessageW(Item(IDC_FORMULA), EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&format));
    EXPECT_EQ(format.crTextColor, RGB(0x7f, 0xa7, 0xdc));
}

// Explain shades the chosen branch's line, and no other.
TEST_F(ViewTest, ExplainShadesTheChosenBranch) {
    SetFormula(kIfBlock);
    Command(IDM_EXPLAIN);
    const Picture picture(Item(IDC_FORMULA), RGB(0xFF, 0xFF, 0xFF));
    const int height = LineTop(14) - LineTop(0);
    // Lines: If ... Then, 5, Else, 7 (the chosen branch), EndIf.
    const LONG firstOfLine[] = {0, 14, 16, 21, 23};
    for (int line = 0; line < 5; ++line) {
        const int top = LineTop(firstOfLine[line]);
        EXPECT_EQ(picture.Count(top, top + height, Shaded) > 0, line == 3)
            << line << ": " << picture.Count(top, top + height, Shaded) << " at " << top << "+"
            << height;
    }
}

// A note's wavy mark runs under its character, not under the next one.
TEST_F(ViewTest, NoteIsMarkedUnderItsCharacter) {
    SetFormula(L"1%+2");
    Command(IDC_EQUALS);
    const Picture picture(Item(IDC_FORMULA), RGB(0xFF, 0xFF, 0xFF));
    POINTL caret{};
    POINTL after{};
    SendMessageW(Item(IDC_FORMULA), EM_POSFROMCHAR, WPARAM(&caret), 1);
    SendMessageW(Item(IDC_FORMULA), EM_POSFROMCHAR, WPARAM(&after), 2);
    const auto [left, right] =
        picture.Columns([](COLORREF c) { return c == RGB(0xE0, 0x90, 0x00); });
    EXPECT_GE(left, caret.x - 1);
    EXPECT_LE(right, after.x + 4);  // the last stroke and the pen's width
    EXPECT_GT(right, left);
}

// Messages more than a row long wrap onto the second row; the tooltip has
// every message whole, one a line.
TEST_F(ViewTest, ResultLineWrapsAndItsTooltipHasItWhole) {
    SetFormula(L"1^2^3^4^5^6^7^8 Thud");
    Command(IDC_EQUALS);
    HWND line = Item(IDC_RESULT_LINE);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const Picture picture(line, face);
    const auto ink = [face](COLORREF c) { return c != face; };
    EXPECT_GT(picture.Count(0, picture.Height() / 2, ink), 0);
    EXPECT_GT(picture.Count(picture.Height() / 2, picture.Height(), ink), 0);

    std::wstring whole = WindowDriver::Text(line);
    for (std::size_t at = 0; (at = whole.find(L"  \u00b7  ", at)) != std::wstring::npos;) {
        whole.replace(at, 5, L"\r\n");
    }
    HWND tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);  // the window's
    std::wstring tip(4096, L'\0');
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = m_window.Handle();
    tool.uId = UINT_PTR(line);
    tool.lpszText = tip.data();
    SendMessageW(tips, TTM_GETTEXTW, tip.size(), LPARAM(&tool));
    EXPECT_EQ(std::wstring(tip.c_str()), whole);
    EXPECT_NE(whole.find(L"\r\nThud is not a variable"), std::wstring::npos) << whole;
}

// Tab reaches the result line, then goes from one message about a place to
// the next, Shift+Tab back; Enter selects the place in the formula, and Tab
// past the last message leaves the line.
TEST_F(ViewTest, ResultLineIsReachedAndFollowedByKeys) {
    SetFormula(L"2^3+X+Y");
    Command(IDC_EQUALS);
    ShowWindow(m_window.Handle(), SW_SHOW);
    HWND line = Item(IDC_RESULT_LINE);
    struct Row {
        const char* keys;  // T Tab, S Shift+Tab, E Enter, from the formula box
        HWND focused;
        std::pair<DWORD, DWORD> selected;  // in the formula, when Enter was pressed
    };
    const Row rows[] = {
        {"T", line, {7, 7}},
        {"TTE", Item(IDC_FORMULA), {1, 2}},
        {"TTTE", Item(IDC_FORMULA), {4, 5}},
        {"TTTTSE", Item(IDC_FORMULA), {4, 5}},
        {"TSE", Item(IDC_FORMULA), {6, 7}},
        {"TTTTT", nullptr, {7, 7}},
    };
    for (const Row& row : rows) {
        SetFocus(Item(IDC_FORMULA));
        SendMessageW(Item(IDC_FORMULA), EM_SETSEL, 7, 7);
        for (const char* key = row.keys; *key != 0; ++key) {
            Press(*key == 'E' ? VK_RETURN : VK_TAB, *key == 'S');
        }
        if (row.focused != nullptr) {
            EXPECT_EQ(GetFocus(), row.focused) << row.keys;
        } else {
            EXPECT_TRUE(GetFocus() != line && GetFocus() != Item(IDC_FORMULA)) << row.keys;
        }
        DWORD begin = 0;
        DWORD end = 0;
        SendMessageW(Item(IDC_FORMULA), EM_GETSEL, WPARAM(&begin), LPARAM(&end));
        EXPECT_EQ(std::make_pair(begin, end), row.selected) << row.keys;
    }
    // End shows the last rows, where a note starts the top row; Home the
    // first, where the value does; Tab onto the first note, in view, moves
    // no row, and a note starts the bottom row.
    SetFormula(L"1^2^3^4^5^6^7^8 Thud");
    Command(IDC_EQUALS);
    RECT area{};
    GetClientRect(line, &area);
    const struct {
        WORD key;
        LONG y;  // where the row's start is clicked
        bool note;
    } scrolls[] = {{VK_END, 2, true}, {VK_HOME, 2, false}, {VK_TAB, area.bottom * 3 / 4, true}};
    for (const auto& scroll : scrolls) {
        SetFocus(line);
        Press(scroll.key, false);
        SendMessageW(Item(IDC_FORMULA), EM_SETSEL, 0, 0);
        SendMessageW(line, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, scroll.y));
        DWORD begin = 0;
        DWORD end = 0;
        SendMessageW(Item(IDC_FORMULA), EM_GETSEL, WPARAM(&begin), LPARAM(&end));
        EXPECT_EQ(begin != end, scroll.note) << scroll.key;
    }
}

// An input dialog is wide enough for its title, beside the title bar's icon
// and buttons, and no wider than it needs for a title longer than its
// smallest width.
TEST_F(ViewTest, InputDialogIsAsWideAsItsTitle) {
    static const std::wstring title(40, L'W');
    static LONG width = 0;
    static LONG needed = 0;
    SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR timer, DWORD) {
        HWND dialog = FindWindowW(L"#32770", title.c_str());
        if (dialog == nullptr) {
            return;
        }
        KillTimer(nullptr, timer);
        const UINT dpi = GetDpiForWindow(dialog);
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi);
        HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
        HDC dc = GetDC(dialog);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size{};
        GetTextExtentPoint32W(dc, title.c_str(), int(title.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(dialog, dc);
        DeleteObject(font);
        RECT client{};
        GetClientRect(dialog, &client);
        width = client.right;
        needed = size.cx + 4 * GetSystemMetricsForDpi(SM_CXSIZE, dpi);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(m_window.GetInput({std::string(title.begin(), title.end()), {{"Name:", ""}}, {}}));
    EXPECT_GE(width, needed);
    EXPECT_LE(width, needed * 3 / 2);
    EXPECT_GT(width, MulDiv(320, int(GetDpiForWindow(m_window.Handle())), 96));
}

// The apps' mode is the user's setting, light where there is none.
TEST_F(ViewTest, AppsModeIsTheUsersSetting) {
    const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    const auto set = [key](std::optional<DWORD> light) {
        light ? RegSetKeyValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme", REG_DWORD, &*light,
                                sizeof(DWORD))
              : RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme");
    };
    DWORD before = 0;
    DWORD size = sizeof(before);
    const bool had = RegGetValueW(HKEY_CURRENT_USER, key, L"AppsUseLightTheme", RRF_RT_REG_DWORD,
                                  nullptr, &before, &size) == ERROR_SUCCESS;
    const std::pair<std::optional<DWORD>, bool> rows[] = {
        {std::nullopt, false}, {1, false}, {0, true}};
    for (const auto& [light, dark] : rows) {
        set(light);
        EXPECT_EQ(win::AppsUseDarkMode(), dark) << (light ? int(*light) : -1);
    }
    set(had ? std::optional<DWORD>(before) : std::nullopt);
}

// A move to a monitor of another DPI: the controls go to their places there.
TEST_F(ViewTest, ControlsMoveToTheirPlacesAtANewDpi) {
    HWND main = m_window.Handle();
    for (const int dpi : {144, 96}) {
        RECT frame{};
        RECT client{};
        GetWindowRect(main, &frame);
        GetClientRect(main, &client);
        RECT suggested = frame;  // around the smallest client area at the new DPI
        suggested.right += MulDiv(vornel::layout::kClientWidthTwips, dpi, 1440) - client.right;
        suggested.bottom += MulDiv(vornel::layout::kClientHeightTwips, dpi, 1440) - client.bottom;
        SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&suggested));
        ExpectControlsAtTheirPlaces(main, dpi);
    }
}

}  // namespace

}  // namespace vornel::test
