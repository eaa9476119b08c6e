#include "FormulaEdit.h"

#include <commctrl.h>

#include <algorithm>

#include <vornel/model/MainModel.h>
#include "WinText.h"

namespace vornel::win {

namespace {

constexpr UINT_PTR kSubclassId = 2;
constexpr WPARAM kCtrlA = 1;  // the character Ctrl+A types
const COLORREF kFailureColour = RGB(0xD0, 0x10, 0x10);
const COLORREF kNoteColour = RGB(0xE0, 0x90, 0x00);
const COLORREF kBranchColour = RGB(0x20, 0x80, 0x30);

POINT PositionOf(HWND edit, std::size_t position) {
    const auto packed = SendMessageW(edit, EM_POSFROMCHAR, WPARAM(position), 0);
    return {short(LOWORD(packed)), short(HIWORD(packed))};
}

}  // namespace

void FormulaEdit::Attach(HWND edit, MainModel& model) {
    m_edit = edit;
    m_model = &model;
    m_last = Current();
    SetWindowSubclass(edit, Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

FormulaEdit::Snapshot FormulaEdit::Current() const {
    Snapshot snapshot{WindowText(m_edit)};
    SendMessageW(m_edit, EM_GETSEL, WPARAM(&snapshot.selectionStart),
                 LPARAM(&snapshot.selectionEnd));
    return snapshot;
}

void FormulaEdit::Restore(const Snapshot& snapshot) {
    m_applying = true;
    SetWindowTextW(m_edit, snapshot.text.c_str());
    SendMessageW(m_edit, EM_SETSEL, snapshot.selectionStart, snapshot.selectionEnd);
    SendMessageW(m_edit, EM_SCROLLCARET, 0, 0);
    m_applying = false;
    m_last = snapshot;
    m_typing = false;
}

void FormulaEdit::Replace(std::size_t begin, std::size_t end, const std::wstring& text) {
    m_undo.push_back(m_last);
    m_redo.clear();
    m_applying = true;
    SendMessageW(m_edit, EM_SETSEL, begin, end);
    SendMessageW(m_edit, EM_REPLACESEL, TRUE, LPARAM(text.c_str()));
    m_applying = false;
    m_last = Current();
    m_typing = false;
}

void FormulaEdit::Undo() {
    if (m_undo.empty()) {
        return;
    }
    m_redo.push_back(Current());
    const Snapshot previous = m_undo.back();
    m_undo.pop_back();
    Restore(previous);
}

void FormulaEdit::Redo() {
    if (m_redo.empty()) {
        return;
    }
    m_undo.push_back(Current());
    const Snapshot next = m_redo.back();
    m_redo.pop_back();
    Restore(next);
}

void FormulaEdit::TextChanged() {
    if (m_applying) {
        return;
    }
    if (!m_typing) {
        m_undo.push_back(m_last);
        m_redo.clear();
        m_typing = true;
    }
    m_last = Current();
}

void FormulaEdit::SetMarks(std::vector<Mark> marks) {
    m_marks = std::move(marks);
    InvalidateRect(m_edit, nullptr, TRUE);
}

LRESULT CALLBACK FormulaEdit::Proc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR /*id*/, DWORD_PTR self) {
    auto* box = reinterpret_cast<FormulaEdit*>(self);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(edit, Proc, kSubclassId);
    }
    return box->OnMessage(message, wParam, lParam);
}

LRESULT FormulaEdit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CHAR:
            // The multi-line EDIT control does not select all on Ctrl+A.
            if (wParam == kCtrlA) {
                SendMessageW(m_edit, EM_SETSEL, 0, -1);
                return 0;
            }
            break;
        case WM_KEYDOWN:
            if ((wParam == VK_UP && m_model->FormulaKeyUp()) ||
                (wParam == VK_DOWN && m_model->FormulaKeyDown())) {
                return 0;
            }
            // A typing run ends where the caret is moved.
            if ((wParam >= VK_PRIOR && wParam <= VK_DOWN) || wParam == VK_RETURN) {
                m_typing = false;
            }
            break;
        case WM_PAINT: {
            const LRESULT result = DefSubclassProc(m_edit, message, wParam, lParam);
            if (!m_marks.empty()) {
                HDC dc = GetDC(m_edit);
                DrawMarks(dc);
                ReleaseDC(m_edit, dc);
            }
            return result;
        }
        default:
            break;
    }
    return DefSubclassProc(m_edit, message, wParam, lParam);
}

// The right edge of the character before `position` on its line.
int FormulaEdit::RightOf(std::size_t position, HDC dc) const {
    const std::wstring text = WindowText(m_edit);
    const POINT start = PositionOf(m_edit, position - 1);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str() + position - 1, 1, &size);
    return start.x + size.cx;
}

void FormulaEdit::DrawMarks(HDC dc) const {
    RECT area{};
    SendMessageW(m_edit, EM_GETRECT, 0, LPARAM(&area));
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    auto* font = reinterpret_cast<HFONT>(SendMessageW(m_edit, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    for (const Mark& mark : m_marks) {
        DrawMark(dc, mark, metrics.tmHeight);
    }
    SelectObject(dc, oldFont);
}

// A mark line by line: from its start, or the line's start, to its end, or
// the line's end.
void FormulaEdit::DrawMark(HDC dc, const Mark& mark, int lineHeight) const {
    const int thickness = std::max(2, int(GetDpiForWindow(m_edit)) / 48);
    HPEN pen = CreatePen(PS_SOLID, thickness,
                         mark.style == MarkStyle::Failure ? kFailureColour
                         : mark.style == MarkStyle::Note  ? kNoteColour
                                                          : kBranchColour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const auto first = std::size_t(SendMessageW(m_edit, EM_LINEFROMCHAR, mark.begin, 0));
    const auto last = std::size_t(SendMessageW(m_edit, EM_LINEFROMCHAR, mark.end, 0));
    for (std::size_t line = first; line <= last; ++line) {
        const auto lineStart = std::size_t(SendMessageW(m_edit, EM_LINEINDEX, line, 0));
        const auto lineEnd =
            lineStart + std::size_t(SendMessageW(m_edit, EM_LINELENGTH, lineStart, 0));
        const std::size_t from = std::max(mark.begin, lineStart);
        const std::size_t to = std::min(mark.end, lineEnd);
        if (from >= to) {
            continue;
        }
        const POINT start = PositionOf(m_edit, from);
        const int right = RightOf(to, dc);
        const int base = start.y + lineHeight - thickness;
        if (mark.style == MarkStyle::Branch) {
            MoveToEx(dc, start.x, base, nullptr);
            LineTo(dc, right, base);
            continue;
        }
        // A wave of two pixels up and down every four pixels.
        MoveToEx(dc, start.x, base, nullptr);
        for (int x = start.x + 2, up = 1; x <= right + 1; x += 2, up = !up) {
            LineTo(dc, x, base - (up ? 2 : 0));
        }
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

}  // namespace vornel::win
