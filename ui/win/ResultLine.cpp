#include "ResultLine.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include <vornel/model/MainModel.h>
#include "WinText.h"

namespace vornel::win {

namespace {

constexpr UINT_PTR kSubclassId = 4;
const COLORREF kFailureText = RGB(0xC0, 0x10, 0x10);
const COLORREF kNoteText = RGB(0x9A, 0x60, 0x00);
constexpr std::wstring_view kEllipsis = L"\u2026";
// Rows enough for the longest line of messages.
constexpr int kMostRows = 10000;
// The tooltip wraps a message longer than this many pixels at 96 DPI.
constexpr int kTipWidth = 480;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// The length of the word or the run of blanks that `text` starts with.
std::size_t TokenLength(std::wstring_view text) {
    const bool blank = IsBlank(text[0]);
    std::size_t length = 1;
    while (length < text.size() && IsBlank(text[length]) == blank) {
        ++length;
    }
    return length;
}

int Width(HDC dc, std::wstring_view text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), int(text.size()), &size);
    return size.cx;
}

// How many characters at the start of `text` fit in `width` pixels; at least
// one, so that a row too narrow for any still moves on.
std::size_t Fitting(HDC dc, std::wstring_view text, int width) {
    int fit = 0;
    SIZE size{};
    GetTextExtentExPointW(dc, text.data(), int(text.size()), std::max(width, 0), &fit, nullptr,
                          &size);
    std::size_t length = std::max<std::size_t>(1, std::size_t(fit));
    // A surrogate pair is never cut in two.
    if (length < text.size() && IS_LOW_SURROGATE(text[length])) {
        length = length > 1 ? length - 1 : length + 1;
    }
    return length;
}

}  // namespace

void ResultLine::Attach(HWND line, HWND toolTips, MainModel& model) {
    m_line = line;
    m_toolTips = toolTips;
    m_model = &model;
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(line);
    tool.uId = reinterpret_cast<UINT_PTR>(line);
    tool.lpszText = m_tip.data();
    SendMessageW(toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(toolTips, TTM_SETMAXTIPWIDTH, 0,
                 MulDiv(kTipWidth, int(GetDpiForWindow(line)), USER_DEFAULT_SCREEN_DPI));
    SetWindowSubclass(line, Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void ResultLine::Show() {
    std::wstring shown;
    m_tip.clear();
    for (std::size_t i = 0; i < m_model->ResultLine().size(); ++i) {
        const std::wstring text = Widen(m_model->ResultLine()[i].text);
        shown += (i == 0 ? L"" : kSeparator) + text;
        m_tip += (i == 0 ? L"" : L"\r\n") + text;
    }
    m_current = kNoMessage;
    m_firstRow = 0;
    SetWindowTextW(m_line, shown.c_str());
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = GetParent(m_line);
    tool.uId = reinterpret_cast<UINT_PTR>(m_line);
    tool.lpszText = m_tip.data();
    SendMessageW(m_toolTips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    InvalidateRect(m_line, nullptr, TRUE);
}

// The messages and the separators between them, each in its colour, word by
// word from the top left; a word goes to the next row when it does not fit
// the rest of its row, and a word longer than a whole row is cut where the
// row ends.
std::vector<ResultLine::Piece> ResultLine::LayOut(HDC dc, const RECT& area, int firstRow) const {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int rowHeight = std::max(1, int(metrics.tmHeight));
    const int width = area.right - area.left;
    const int rows = firstRow + std::max(1, int(area.bottom - area.top) / rowHeight);
    const COLORREF plain = GetSysColor(COLOR_WINDOWTEXT);
    std::vector<Piece> pieces;
    int x = 0;
    int row = 0;
    const std::vector<LineMessage>& line = m_model->ResultLine();
    for (std::size_t i = 0; i < line.size() && row < rows; ++i) {
        const COLORREF colour = line[i].kind == MessageKind::Failure ? kFailureText
                                : line[i].kind == MessageKind::Note  ? kNoteText
                                                                     : plain;
        const std::wstring message = Widen(line[i].text);
        const std::pair<std::wstring_view, Piece> parts[] = {
            {i == 0 ? L"" : kSeparator, {{}, plain, kNoMessage, {}}},
            {message, {{}, colour, i, {}}}};
        for (const auto& [text, kind] : parts) {
            std::wstring_view rest = text;
            while (!rest.empty() && row < rows) {
                std::size_t length = TokenLength(rest);
                const bool blank = IsBlank(rest[0]);
                int pieceWidth = Width(dc, rest.substr(0, length));
                if (!blank && x > 0 && x + pieceWidth > width) {
                    x = 0;
                    ++row;
                    // A new row separates two messages by itself.
                    if (kind.message == kNoMessage) {
                        rest.remove_prefix(length);
                        continue;
                    }
                }
                // No row but the first starts with blanks.
                if (row == rows || (blank && x == 0 && row > 0)) {
                    rest.remove_prefix(row == rows ? rest.size() : length);
                    continue;
                }
                if (!blank && pieceWidth > width - x) {
                    length = Fitting(dc, rest.substr(0, length), width - x);
                    pieceWidth = Width(dc, rest.substr(0, length));
                }
                if (row >= firstRow) {
                    Piece piece = kind;
                    piece.text = blank ? L" " : std::wstring(rest.substr(0, length));
                    const int top = area.top + (row - firstRow) * rowHeight;
                    piece.place = {area.left + x, top, area.left + x + pieceWidth, top + rowHeight};
                    pieces.push_back(std::move(piece));
                }
                x += pieceWidth;
                rest.remove_prefix(length);
            }
        }
        if (row == rows) {
            EndWithEllipsis(dc, pieces, area.right);
        }
    }
    return pieces;
}

// What did not fit: the last row gives up its end to "…".
void ResultLine::EndWithEllipsis(HDC dc, std::vector<Piece>& pieces, LONG right) {
    const int width = Width(dc, kEllipsis);
    while (!pieces.empty()) {
        Piece& last = pieces.back();
        const bool blank = IsBlank(last.text[0]);
        if (!blank && last.place.right + width <= right) {
            break;
        }
        if (blank || last.text.size() == 1) {
            pieces.pop_back();
            continue;
        }
        last.text.pop_back();
        last.place.right = last.place.left + Width(dc, last.text);
    }
    if (!pieces.empty()) {
        const Piece& last = pieces.back();
        RECT place = last.place;
        place.left = place.right;
        place.right += width;
        pieces.push_back({std::wstring(kEllipsis), last.colour, last.message, place});
    }
}

void ResultLine::Draw(const DRAWITEMSTRUCT& item) const {
    auto* brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(item.hwndItem), WM_CTLCOLORSTATIC,
                                                        WPARAM(item.hDC), LPARAM(item.hwndItem)));
    FillRect(item.hDC, &item.rcItem, brush);
    SetBkMode(item.hDC, TRANSPARENT);
    HGDIOBJ old = SelectObject(item.hDC, m_font);
    const std::vector<Piece> pieces = LayOut(item.hDC, item.rcItem, m_firstRow);
    for (const Piece& piece : pieces) {
        SetTextColor(item.hDC, piece.colour);
        TextOutW(item.hDC, piece.place.left, piece.place.top, piece.text.c_str(),
                 int(piece.text.size()));
    }
    if (GetFocus() == m_line) {
        DrawFocus(item.hDC, pieces, item.rcItem);
    }
    SelectObject(item.hDC, old);
}

// The focus rectangle: around each row of the current message, or around the
// whole line when the keyboard is on no message.
void ResultLine::DrawFocus(HDC dc, const std::vector<Piece>& pieces, const RECT& area) const {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    if (m_current == kNoMessage) {
        DrawFocusRect(dc, &area);
        return;
    }
    std::optional<RECT> row;
    for (const Piece& piece : pieces) {
        if (piece.message != m_current) {
            continue;
        }
        if (row && row->top == piece.place.top) {
            row->right = piece.place.right;
            continue;
        }
        if (row) {
            DrawFocusRect(dc, &*row);
        }
        row = piece.place;
    }
    if (row) {
        DrawFocusRect(dc, &*row);
    }
}

// The message under `point` in the control, kNoMessage for none.
std::size_t ResultLine::MessageAt(POINT point) const {
    RECT area{};
    GetClientRect(m_line, &area);
    HDC dc = GetDC(m_line);
    HGDIOBJ old = SelectObject(dc, m_font);
    std::size_t found = kNoMessage;
    for (const Piece& piece : LayOut(dc, area, m_firstRow)) {
        if (PtInRect(&piece.place, point)) {
            found = piece.message;
        }
    }
    SelectObject(dc, old);
    ReleaseDC(m_line, dc);
    return found;
}

std::size_t ResultLine::NextStop(bool forward) const {
    const std::vector<LineMessage>& line = m_model->ResultLine();
    std::size_t at = m_current;
    while (true) {
        if (forward) {
            at = at == kNoMessage ? 0 : at + 1;
        } else {
            at = at == kNoMessage ? line.size() : at;
            if (at == 0) {
                return kNoMessage;
            }
            --at;
        }
        if (at >= line.size()) {
            return kNoMessage;
        }
        if (line[at].place) {
            return at;
        }
    }
}

// The rows shown move the least that shows the message whole, or from its
// first row when it needs more rows than the line has.
void ResultLine::MakeCurrent(std::size_t message) {
    m_current = message;
    int rows = 0;
    int first = kMostRows;
    int last = 0;
    for (const auto& [piece, row] : LayOutAll(rows)) {
        if (piece.message == message) {
            first = std::min(first, row);
            last = std::max(last, row);
        }
    }
    if (first < m_firstRow) {
        m_firstRow = first;
    } else if (last >= m_firstRow + rows) {
        m_firstRow = std::min(first, last - rows + 1);
    }
    InvalidateRect(m_line, nullptr, TRUE);
}

// Every piece with its row, from the first row; `shown` is how many rows the
// control shows.
std::vector<std::pair<ResultLine::Piece, int>> ResultLine::LayOutAll(int& shown) const {
    RECT area{};
    GetClientRect(m_line, &area);
    HDC dc = GetDC(m_line);
    HGDIOBJ old = SelectObject(dc, m_font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int rowHeight = std::max(1, int(metrics.tmHeight));
    shown = std::max(1, int(area.bottom - area.top) / rowHeight);
    RECT everything = area;
    everything.bottom = area.top + rowHeight * kMostRows;
    std::vector<std::pair<Piece, int>> pieces;
    for (Piece& piece : LayOut(dc, everything, 0)) {
        const int row = int(piece.place.top - area.top) / rowHeight;
        pieces.emplace_back(std::move(piece), row);
    }
    SelectObject(dc, old);
    ReleaseDC(m_line, dc);
    return pieces;
}

// The rows shown start at `row`, or as near it as the rows the messages take
// allow.
void ResultLine::ScrollTo(int row) {
    int shown = 0;
    const std::vector<std::pair<Piece, int>> pieces = LayOutAll(shown);
    const int rows = pieces.empty() ? 0 : pieces.back().second + 1;
    m_firstRow = std::clamp(row, 0, std::max(0, rows - shown));
    InvalidateRect(m_line, nullptr, TRUE);
}

// Tab stays in the line while a message about a place lies that way; Enter
// when the keyboard is on one.
LRESULT ResultLine::DialogCode(const MSG* key) const {
    if (key == nullptr || key->message != WM_KEYDOWN) {
        return DLGC_WANTARROWS;
    }
    if (key->wParam == VK_TAB && NextStop((GetKeyState(VK_SHIFT) & 0x8000) == 0) != kNoMessage) {
        return DLGC_WANTTAB;
    }
    if (key->wParam == VK_RETURN && m_current != kNoMessage) {
        return DLGC_WANTMESSAGE;
    }
    return DLGC_WANTARROWS;
}

LRESULT CALLBACK ResultLine::Proc(HWND line, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR /*id*/, DWORD_PTR self) {
    auto* resultLine = reinterpret_cast<ResultLine*>(self);
    switch (message) {
        case WM_SETFONT:
            resultLine->m_font = HFONT(wParam);
            break;
        case WM_LBUTTONDOWN:
            if (const std::size_t index =
                    resultLine->MessageAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
                index != kNoMessage) {
                resultLine->m_model->ResultLineClicked(index);
            }
            break;
        case WM_GETDLGCODE:
            return DefSubclassProc(line, message, wParam, lParam) |
                   resultLine->DialogCode(reinterpret_cast<const MSG*>(lParam));
        case WM_KEYDOWN:
            if (wParam == VK_TAB) {
                if (const std::size_t next =
                        resultLine->NextStop((GetKeyState(VK_SHIFT) & 0x8000) == 0);
                    next != kNoMessage) {
                    resultLine->MakeCurrent(next);
                }
                return 0;
            }
            if (wParam == VK_RETURN && resultLine->m_current != kNoMessage) {
                resultLine->m_model->ResultLineClicked(resultLine->m_current);
                return 0;
            }
            // The arrow keys, Home and End scroll.
            if (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_HOME || wParam == VK_END) {
                const int row = resultLine->m_firstRow;
                resultLine->ScrollTo(wParam == VK_UP     ? row - 1
                                     : wParam == VK_DOWN ? row + 1
                                     : wParam == VK_HOME ? 0
                                                         : kMostRows);
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            resultLine->m_current = kNoMessage;
            InvalidateRect(line, nullptr, TRUE);
            break;
        case WM_SETCURSOR: {
            // The hand over a message about a place in the formula.
            POINT pointer{};
            GetCursorPos(&pointer);
            ScreenToClient(line, &pointer);
            const std::size_t index = resultLine->MessageAt(pointer);
            if (index != kNoMessage && resultLine->m_model->ResultLine()[index].place) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(line, Proc, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(line, message, wParam, lParam);
}

}  // namespace vornel::win
