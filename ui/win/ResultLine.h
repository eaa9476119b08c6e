#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace vornel {
class MainModel;
}

namespace vornel::win {

// The result line: the model's messages one after the other, each in its
// colour, wrapped at word breaks over the rows of its box from the top. When
// they need more rows than the box has, the last row ends in "…" and the
// tooltip has every message whole, one per line. A click on a message selects
// the place in the formula it is about. The control is an owner-drawn static
// control; its window text is the whole line.
//
// The keyboard reaches it as any other control. Inside it, Tab and Shift+Tab
// go from one message about a place to the next (the line moving on by rows
// to show it) and leave the control past the last; Enter on a message does
// what a click on it does. The arrow keys, Home and End scroll the rows.
class ResultLine {
public:
    // Between two messages of the result line.
    static constexpr const wchar_t* kSeparator = L"  \u00b7  ";

    // Takes over the static control `line`; `toolTips` is the window's
    // tooltip control.
    void Attach(HWND line, HWND toolTips, MainModel& model);
    // The model's result line changed.
    void Show();
    // WM_DRAWITEM of the control.
    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    // A word, a run of blanks or the part of a word that fits a row, at its
    // place in the control.
    struct Piece {
        std::wstring text;
        COLORREF colour;
        std::size_t message;  // kNoMessage for a separator
        RECT place;
    };
    static constexpr std::size_t kNoMessage = std::size_t(-1);

    static LRESULT CALLBACK Proc(HWND line, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR self);
    // The pieces of the rows from `firstRow` on that `area` holds.
    std::vector<Piece> LayOut(HDC dc, const RECT& area, int firstRow) const;
    static void EndWithEllipsis(HDC dc, std::vector<Piece>& pieces, LONG right);
    std::size_t MessageAt(POINT point) const;
    // The message about a place that Tab (Shift+Tab when not `forward`) goes
    // to from the current one; kNoMessage past the last.
    std::size_t NextStop(bool forward) const;
    // Makes `message` the current one and moves the rows shown to hold it.
    void MakeCurrent(std::size_t message);
    std::vector<std::pair<Piece, int>> LayOutAll(int& shown) const;
    void ScrollTo(int row);
    LRESULT DialogCode(const MSG* key) const;
    void DrawFocus(HDC dc, const std::vector<Piece>& pieces, const RECT& area) const;

    HWND m_line = nullptr;
    HWND m_toolTips = nullptr;
    MainModel* m_model = nullptr;
    HFONT m_font = nullptr;              // the control's, as the window sets it
    std::wstring m_tip;                  // the tooltip's text
    std::size_t m_current = kNoMessage;  // the message the keyboard is on
    int m_firstRow = 0;                  // the row shown at the top
};

}  // namespace vornel::win
