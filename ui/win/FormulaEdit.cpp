#include "FormulaEdit.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <array>
#include <string>

#include <vornel/model/Colouring.h>
#include <vornel/model/MainModel.h>
#include "WinText.h"

namespace vornel::win {

namespace {

constexpr UINT_PTR kSubclassId = 2;
constexpr WPARAM kCtrlA = 1;  // the character Ctrl+A types
const COLORREF kFailureColour = RGB(0xD0, 0x10, 0x10);
const COLORREF kNoteColour = RGB(0xE0, 0x90, 0x00);
// The chosen branch is shaded in a light green through which its text shows.
const COLORREF kBranchColour = RGB(0x4C, 0xAF, 0x50);
constexpr BYTE kBranchOpacity = 0x50;
// A text longer than this many UTF-16 units is coloured only in view and this
// many positions either side.
constexpr std::size_t kWholeColouring = 2000;
constexpr std::size_t kColouredMargin = 500;
// What a unit of the box's text shows: kPlain, a Colouring, or kUnknown.
constexpr signed char kPlain = -1;
constexpr signed char kUnknown = -2;

// Indexed by Colouring, as the Qt window colours: each set keeps a contrast
// of at least 5.5:1 with its base, white or a dark grey.
const std::array<COLORREF, 6> kOnLightBase = {RGB(0x1f, 0x4e, 0x9c), RGB(0x7b, 0x3f, 0x9e),
                                              RGB(0x9a, 0x51, 0x00), RGB(0x27, 0x6e, 0x2b),
                                              RGB(0x55, 0x55, 0x55), RGB(0x00, 0x68, 0x6f)};
const std::array<COLORREF, 6> kOnDarkBase = {RGB(0x7f, 0xa7, 0xdc), RGB(0xc5, 0xa0, 0xdc),
                                             RGB(0xe0, 0xa8, 0x68), RGB(0x9c, 0xcb, 0x8a),
                                             RGB(0xb4, 0xb4, 0xb4), RGB(0x6c, 0xc4, 0xc4)};

// The set for the box's background, the system's window colour (dark in a
// dark high-contrast theme).
const std::array<COLORREF, 6>& Colours() {
    const COLORREF base = GetSysColor(COLOR_WINDOW);
    const int grey = (GetRValue(base) * 11 + GetGValue(base) * 16 + GetBValue(base) * 5) / 32;
    return grey < 128 ? kOnDarkBase : kOnLightBase;
}

void Shade(HDC dc, const RECT& area) {
    HDC source = CreateCompatibleDC(dc);
    HBITMAP pixel = CreateCompatibleBitmap(dc, 1, 1);
    HGDIOBJ old = SelectObject(source, pixel);
    SetPixel(source, 0, 0, kBranchColour);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, kBranchOpacity, 0};
    GdiAlphaBlend(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, source,
                  0, 0, 1, 1, blend);
    SelectObject(source, old);
    DeleteObject(pixel);
    DeleteDC(source);
}

POINT PositionOf(HWND edit, std::size_t position) {
    POINTL point{};
    SendMessageW(edit, EM_POSFROMCHAR, WPARAM(&point), LPARAM(position));
    return {point.x, point.y};
}

// The control's position of the text's UTF-16 position `unit`: the control
// keeps a line break as one character.
std::size_t ControlPosition(std::wstring_view text, std::size_t unit) {
    unit = std::min(unit, text.size());
    std::size_t position = unit;
    for (std::size_t i = 1; i < unit; ++i) {
        position -= text[i] == L'\n' && text[i - 1] == L'\r' ? 1 : 0;
    }
    return position;
}

// The text's UTF-16 position of the control's `position`.
std::size_t TextPosition(std::wstring_view text, std::size_t position) {
    std::size_t unit = 0;
    for (; position > 0 && unit < text.size(); --position) {
        unit += text.substr(unit, 2) == L"\r\n" ? 2 : 1;
    }
    return unit;
}

// The kind of each UTF-16 unit of `text` (kPlain for none). `stretches`
// count characters as the engine does: one per code point, two for CR LF.
std::vector<signed char> UnitKinds(std::wstring_view text,
                                   const std::vector<ColouredStretch>& stretches) {
    std::vector<signed char> kinds(text.size(), kPlain);
    auto stretch = stretches.begin();
    std::size_t character = 0;
    for (std::size_t unit = 0; unit < text.size(); ++unit, ++character) {
        while (stretch != stretches.end() && stretch->end <= character) {
            ++stretch;
        }
        if (stretch != stretches.end() && stretch->begin <= character) {
            kinds[unit] = static_cast<signed char>(stretch->kind);
        }
        if (IS_HIGH_SURROGATE(text[unit]) && unit + 1 < text.size()) {
            kinds[unit + 1] = kinds[unit];
            ++unit;
        }
    }
    return kinds;
}

// A part of the formula as RTF, each unit in the colour of its kind
// (keywords bold), the rest in the control's own colour.
std::string ColouredRtf(std::wstring_view text, const signed char* kinds) {
    std::string rtf = "{\\rtf1\\ansi{\\colortbl ;";
    for (const COLORREF colour : Colours()) {
        rtf += "\\red" + std::to_string(GetRValue(colour)) + "\\green" +
               std::to_string(GetGValue(colour)) + "\\blue" + std::to_string(GetBValue(colour)) +
               ";";
    }
    rtf += "}\\cf0\\b0 ";
    int shown = kPlain;  // the kind the text is in now
    for (std::size_t unit = 0; unit < text.size(); ++unit) {
        const int kind = kinds[unit];
        if (kind != shown) {
            const bool bold = kind == int(Colouring::Keyword);
            const bool wasBold = shown == int(Colouring::Keyword);
            rtf += "\\cf" + std::to_string(kind + 1) +
                   (bold == wasBold ? ""
                    : bold          ? "\\b"
                                    : "\\b0") +
                   " ";
            shown = kind;
        }
        const wchar_t c = text[unit];
        if (c == L'\r' || c == L'\n') {
            // CR LF is one line break of two characters.
            if (c == L'\r' && unit + 1 < text.size() && text[unit + 1] == L'\n') {
                ++unit;
            }
            rtf += "\\par\n";
        } else if (c == L'\\' || c == L'{' || c == L'}') {
            rtf += '\\';
            rtf += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            rtf += char(c);
        } else {
            if (IS_HIGH_SURROGATE(c) && unit + 1 < text.size()) {
                rtf += "\\u" + std::to_string(int(short(c))) + "?";
                ++unit;
            }
            rtf += "\\u" + std::to_string(int(short(text[unit]))) + "?";
        }
    }
    return rtf + "}";
}

struct RtfSource {
    const std::string* rtf;
    std::size_t read = 0;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto& source = *reinterpret_cast<RtfSource*>(cookie);
    const std::size_t count = std::min(std::size_t(wanted), source.rtf->size() - source.read);
    std::copy_n(source.rtf->data() + source.read, count, buffer);
    source.read += count;
    *given = LONG(count);
    return 0;
}

}  // namespace

void FormulaEdit::LoadControl() {
    LoadLibraryW(L"msftedit.dll");
}

void FormulaEdit::Attach(HWND edit, MainModel& model) {
    m_edit = edit;
    m_model = &model;
    SendMessageW(edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
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

std::pair<std::size_t, std::size_t> FormulaEdit::Selection() const {
    DWORD begin = 0;
    DWORD end = 0;
    SendMessageW(m_edit, EM_GETSEL, WPARAM(&begin), LPARAM(&end));
    const std::wstring text = WindowText(m_edit);
    return {TextPosition(text, begin), TextPosition(text, end)};
}

void FormulaEdit::Select(std::size_t begin, std::size_t end) {
    const std::wstring text = WindowText(m_edit);
    SendMessageW(m_edit, EM_SETSEL, ControlPosition(text, begin), ControlPosition(text, end));
    SendMessageW(m_edit, EM_SCROLLCARET, 0, 0);
}

void FormulaEdit::Replace(std::size_t begin, std::size_t end, const std::wstring& text) {
    m_undo.push_back(m_last);
    m_redo.clear();
    m_applying = true;
    const std::wstring current = WindowText(m_edit);
    SendMessageW(m_edit, EM_SETSEL, ControlPosition(current, begin), ControlPosition(current, end));
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

// The text again in its colours, streamed in at once: the control lays a
// text out again for every change of format, so formatting each stretch on
// its own costs as many layouts as the formula has stretches. A long text is
// coloured only around the part in view, which is coloured again when the
// view leaves it. The selection and the scrolling stay as they were.
void FormulaEdit::Colour() {
    const std::wstring text = WindowText(m_edit);
    const std::vector<signed char> kinds =
        UnitKinds(text, ColourFormula(Narrow(text), m_model->VariableNames()));
    std::size_t from = 0;
    std::size_t to = text.size();
    if (text.size() > kWholeColouring) {
        const auto [first, last] = ShownPositions();
        from = TextPosition(text, first > kColouredMargin ? first - kColouredMargin : 0);
        to = TextPosition(text, last + kColouredMargin);
        from -= from > 0 && from < text.size() && IS_LOW_SURROGATE(text[from]) ? 1 : 0;
        to += to < text.size() && IS_LOW_SURROGATE(text[to]) ? 1 : 0;
    }
    m_shownText = text;
    m_shownKinds.assign(text.size(), kUnknown);
    std::copy(kinds.begin() + std::ptrdiff_t(from), kinds.begin() + std::ptrdiff_t(to),
              m_shownKinds.begin() + std::ptrdiff_t(from));
    m_reset = false;
    m_coloured = {ControlPosition(text, from), ControlPosition(text, to)};
    StreamIn(text, from, to, kinds);
}

// After an edit, only the units that show another kind than they should are
// coloured again: each colouring makes the control lay the text out again,
// which takes long on a long line. What the box shows is known from what it
// showed before: units kept keep their format, and a typed character takes the
// one it was typed in. Text that came in otherwise (set, pasted or replaced)
// is coloured as a whole.
void FormulaEdit::ColourEdit() {
    const std::wstring text = WindowText(m_edit);
    const std::wstring_view before = m_shownText;
    const std::size_t common = std::min(text.size(), before.size());
    const std::size_t prefix = std::size_t(
        std::mismatch(text.begin(), text.begin() + std::ptrdiff_t(common), before.begin()).first -
        text.begin());
    std::size_t suffix = 0;
    while (suffix < common - prefix &&
           text[text.size() - 1 - suffix] == before[before.size() - 1 - suffix]) {
        ++suffix;
    }
    const std::size_t inserted = text.size() - prefix - suffix;
    const bool typed = m_typedKind != kUnknown && before.size() - prefix - suffix == 0;
    if (m_reset || (inserted > 0 && !typed)) {
        Colour();
        return;
    }
    std::vector<signed char> shown(m_shownKinds.begin(),
                                   m_shownKinds.begin() + std::ptrdiff_t(prefix));
    shown.insert(shown.end(), inserted, m_typedKind);
    shown.insert(shown.end(), m_shownKinds.end() - std::ptrdiff_t(suffix), m_shownKinds.end());
    const std::vector<signed char> kinds =
        UnitKinds(text, ColourFormula(Narrow(text), m_model->VariableNames()));
    std::size_t from = text.size();
    std::size_t to = 0;
    std::size_t firstKnown = text.size();
    std::size_t lastKnown = 0;
    for (std::size_t unit = 0; unit < text.size(); ++unit) {
        if (shown[unit] == kUnknown) {
            continue;
        }
        firstKnown = std::min(firstKnown, unit);
        lastKnown = unit + 1;
        if (shown[unit] != kinds[unit]) {
            from = std::min(from, unit);
            to = unit + 1;
        }
    }
    m_shownText = text;
    m_shownKinds = std::move(shown);
    m_coloured = {ControlPosition(text, firstKnown), ControlPosition(text, lastKnown)};
    if (from >= to) {
        return;
    }
    // Never half a line break or half a surrogate pair.
    from -= from > 0 && (IS_LOW_SURROGATE(text[from]) || text[from] == L'\n') ? 1 : 0;
    to += to < text.size() && (IS_LOW_SURROGATE(text[to]) || text[to] == L'\n') ? 1 : 0;
    std::copy(kinds.begin() + std::ptrdiff_t(from), kinds.begin() + std::ptrdiff_t(to),
              m_shownKinds.begin() + std::ptrdiff_t(from));
    StreamIn(text, from, to, kinds);
}

// The units [from, to) of `text`, the box's text, again in the colours of
// `kinds`.
void FormulaEdit::StreamIn(std::wstring_view text, std::size_t from, std::size_t to,
                           const std::vector<signed char>& kinds) {
    const std::string rtf = ColouredRtf(text.substr(from, to - from), kinds.data() + from);
    m_colouring = true;
    SendMessageW(m_edit, WM_SETREDRAW, FALSE, 0);
    CHARRANGE kept{};
    SendMessageW(m_edit, EM_EXGETSEL, 0, LPARAM(&kept));
    POINT scroll{};
    SendMessageW(m_edit, EM_GETSCROLLPOS, 0, LPARAM(&scroll));
    SendMessageW(m_edit, EM_SETSEL, ControlPosition(text, from), ControlPosition(text, to));
    RtfSource source{&rtf};
    EDITSTREAM stream{DWORD_PTR(&source), 0, ReadRtf};
    SendMessageW(m_edit, EM_STREAMIN, SF_RTF | SFF_SELECTION, LPARAM(&stream));
    SendMessageW(m_edit, EM_EXSETSEL, 0, LPARAM(&kept));
    SendMessageW(m_edit, EM_SETSCROLLPOS, 0, LPARAM(&scroll));
    SendMessageW(m_edit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_edit, nullptr, TRUE);
    m_colouring = false;
}

// A character typed: it takes the format of the character before it, which
// is what the box shows it in.
LRESULT FormulaEdit::Type(UINT message, WPARAM wParam, LPARAM lParam) {
    CHARRANGE selection{};
    SendMessageW(m_edit, EM_EXGETSEL, 0, LPARAM(&selection));
    const std::size_t at = TextPosition(m_shownText, std::size_t(selection.cpMin));
    // At a line's start the control takes the format of what follows.
    m_typedKind = selection.cpMin == selection.cpMax && at > 0 && at <= m_shownKinds.size() &&
                          m_shownText[at - 1] != L'\n'
                      ? m_shownKinds[at - 1]
                      : kUnknown;
    // It comes in the colour it will have, so that the control need not lay
    // the text out again to colour it.
    if (m_typedKind != kUnknown && !m_reset && !IS_HIGH_SURROGATE(wchar_t(wParam)) &&
        !IS_LOW_SURROGATE(wchar_t(wParam))) {
        std::wstring next = m_shownText;
        next.insert(at, 1, wchar_t(wParam));
        const signed char kind =
            UnitKinds(next, ColourFormula(Narrow(next), m_model->VariableNames()))[at];
        if (kind != m_typedKind) {
            CHARFORMAT2W format{};
            format.cbSize = sizeof(format);
            format.dwMask = CFM_COLOR | CFM_BOLD;
            format.dwEffects = (kind == kPlain ? CFE_AUTOCOLOR : 0) |
                               (kind == int(Colouring::Keyword) ? CFE_BOLD : 0);
            format.crTextColor = kind == kPlain ? 0 : Colours()[std::size_t(kind)];
            SendMessageW(m_edit, EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&format));
            m_typedKind = kind;
        }
    }
    const LRESULT result = DefSubclassProc(m_edit, message, wParam, lParam);
    m_typedKind = kUnknown;
    return result;
}

// The control's positions of the first and the last character in view.
std::pair<std::size_t, std::size_t> FormulaEdit::ShownPositions() const {
    RECT area{};
    SendMessageW(m_edit, EM_GETRECT, 0, LPARAM(&area));
    POINTL topLeft{area.left, area.top};
    POINTL bottomRight{area.right, area.bottom};
    return {std::size_t(SendMessageW(m_edit, EM_CHARFROMPOS, 0, LPARAM(&topLeft))),
            std::size_t(SendMessageW(m_edit, EM_CHARFROMPOS, 0, LPARAM(&bottomRight)))};
}

// Colours again when the view has left the coloured part.
void FormulaEdit::FollowView() {
    if (m_colouring || m_model == nullptr) {
        return;
    }
    const auto [first, last] = ShownPositions();
    if (first < m_coloured.first || last > m_coloured.second) {
        Colour();
    }
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
        case WM_SETTEXT:
            m_reset = true;
            break;
        case WM_CHAR:
            if (wParam >= L' ') {
                return Type(message, wParam, lParam);
            }
            // The multi-line EDIT control does not select all on Ctrl+A.
            if (wParam == kCtrlA) {
                // Up to the end of the text, not behind the control's final
                // line break.
                SendMessageW(m_edit, EM_SETSEL, 0,
                             LPARAM(ControlPosition(WindowText(m_edit), std::size_t(-1))));
                return 0;
            }
            break;
        case WM_GETDLGCODE:
            // Tab goes on to the next control; Ctrl+Tab types a tab.
            if (const auto* key = reinterpret_cast<const MSG*>(lParam);
                key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_TAB &&
                (GetKeyState(VK_CONTROL) & 0x8000) == 0) {
                return DefSubclassProc(m_edit, message, wParam, lParam) &
                       ~(DLGC_WANTTAB | DLGC_WANTMESSAGE);
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
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_MOUSEWHEEL:
        case WM_SIZE:
        case WM_LBUTTONUP:
        case WM_KEYUP:
        case EM_SCROLLCARET: {
            const LRESULT result = DefSubclassProc(m_edit, message, wParam, lParam);
            FollowView();
            return result;
        }
        case WM_PRINTCLIENT: {
            // The marks are in a picture of the box too.
            const LRESULT result = DefSubclassProc(m_edit, message, wParam, lParam);
            DrawMarks(HDC(wParam));
            return result;
        }
        default:
            break;
    }
    return DefSubclassProc(m_edit, message, wParam, lParam);
}

// The right edge of the character before the control's `position` on its
// line.
int FormulaEdit::RightOf(std::size_t position, HDC dc) const {
    const std::wstring text = WindowText(m_edit);
    const POINT start = PositionOf(m_edit, position - 1);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str() + TextPosition(text, position - 1), 1, &size);
    return start.x + size.cx;
}

void FormulaEdit::DrawMarks(HDC dc) const {
    const int saved = SaveDC(dc);
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
    RestoreDC(dc, saved);
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
    const std::wstring text = WindowText(m_edit);
    const Mark shown{ControlPosition(text, mark.begin), ControlPosition(text, mark.end),
                     mark.style};
    const auto first = std::size_t(SendMessageW(m_edit, EM_LINEFROMCHAR, shown.begin, 0));
    const auto last = std::size_t(SendMessageW(m_edit, EM_LINEFROMCHAR, shown.end, 0));
    for (std::size_t line = first; line <= last; ++line) {
        const auto lineStart = std::size_t(SendMessageW(m_edit, EM_LINEINDEX, line, 0));
        const auto lineEnd =
            lineStart + std::size_t(SendMessageW(m_edit, EM_LINELENGTH, lineStart, 0));
        const std::size_t from = std::max(shown.begin, lineStart);
        const std::size_t to = std::min(shown.end, lineEnd);
        if (from >= to) {
            continue;
        }
        const POINT start = PositionOf(m_edit, from);
        const int right = RightOf(to, dc);
        // The line ends where the next one starts; the control may set lines
        // closer than the font's height.
        const auto next = SendMessageW(m_edit, EM_LINEINDEX, line + 1, 0);
        const int bottom =
            next > 0 && std::size_t(next) > lineStart
                ? std::min<int>(PositionOf(m_edit, std::size_t(next)).y, start.y + lineHeight)
                : start.y + lineHeight;
        const int base = bottom - thickness;
        if (mark.style == MarkStyle::Branch) {
            Shade(dc, {start.x, start.y, right, bottom});
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
