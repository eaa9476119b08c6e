#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vornel {
class MainModel;
}

namespace vornel::win {

// The formula box: a multi-line rich edit control (MSFTEDIT_CLASS) that
// colours the formula's keywords, functions, numbers, strings, operators and
// variables, with what the plain control lacks. Ctrl+A selects the whole text; Up on the first line
// and Down on the last recall the history; an undo history of many steps (each replacement by a
// command is one step, a run of typing another); the marks of the result line drawn under the text:
// a wavy line under a failure (red) or a note (amber), a light green shade over the chosen branch.
class FormulaEdit {
public:
    enum class MarkStyle { Failure, Note, Branch };
    struct Mark {
        std::size_t begin;  // UTF-16 positions in the control's text
        std::size_t end;
        MarkStyle style;
    };

    // Loads the rich edit control's library; call before creating the box.
    static void LoadControl();

    // Takes over `edit`; the model's Up and Down go to `model`.
    void Attach(HWND edit, MainModel& model);

    // The control counts a line break as one position, the text holds CR LF:
    // the selection and selecting in UTF-16 positions of the text.
    std::pair<std::size_t, std::size_t> Selection() const;
    void Select(std::size_t begin, std::size_t end);

    // Replaces [begin, end) (UTF-16 positions) with `text` as one undo step;
    // the caret stands behind it.
    void Replace(std::size_t begin, std::size_t end, const std::wstring& text);
    void Undo();
    void Redo();
    // The control's text changed; typing is recorded for Undo.
    void TextChanged();

    void SetMarks(std::vector<Mark> marks);
    // Colours the text again, with the model's variables; a long text only
    // around the part in view.
    void Colour();
    // The text was edited: colours again what the edit changed.
    void ColourEdit();
    // True while the box changes its colours, which is no edit.
    bool Colouring() const { return m_colouring; }

private:
    struct Snapshot {
        std::wstring text;
        DWORD selectionStart = 0;
        DWORD selectionEnd = 0;
    };

    static LRESULT CALLBACK Proc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    Snapshot Current() const;
    void Restore(const Snapshot& snapshot);
    std::pair<std::size_t, std::size_t> ShownPositions() const;
    void StreamIn(std::wstring_view text, std::size_t from, std::size_t to,
                  const std::vector<signed char>& kinds);
    LRESULT Type(UINT message, WPARAM wParam, LPARAM lParam);
    void FollowView();
    void DrawMarks(HDC dc) const;
    void DrawMark(HDC dc, const Mark& mark, int lineHeight) const;
    int RightOf(std::size_t position, HDC dc) const;

    HWND m_edit = nullptr;
    MainModel* m_model = nullptr;
    std::vector<Snapshot> m_undo;
    std::vector<Snapshot> m_redo;
    Snapshot m_last;          // the text as it stood after the last change
    bool m_typing = false;    // a run of typing is the current undo step
    bool m_applying = false;  // the change is the box's own, not typing
    bool m_colouring = false;
    // The control's positions [first, second) last coloured.
    std::pair<std::size_t, std::size_t> m_coloured;
    std::vector<Mark> m_marks;
    // The text as last coloured, and what each of its UTF-16 units shows:
    // its kind of Colouring, -1 for plain, -2 where it is not known.
    std::wstring m_shownText;
    std::vector<signed char> m_shownKinds;
    bool m_reset = false;          // the text was set as a whole
    signed char m_typedKind = -2;  // what a character typed now shows
};

}  // namespace vornel::win
