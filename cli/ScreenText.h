#pragma once

// Text from vornel-eval's input in what it prints: shown so that it cannot
// drive a terminal, measured in the columns it takes there, or made a JSON
// string.

#include <cstddef>
#include <string>
#include <string_view>

namespace cli {

// The columns `code` takes on a terminal: 0 for a combining mark, a format
// character or a joining Hangul jamo, 2 for a wide or fullwidth character,
// 1 otherwise. Control characters are never printed as they are, so their
// width is not asked.
int ColumnWidth(char32_t code);

// `text` (UTF-8) with every character that could drive a terminal or
// reorder what it shows made visible: the control characters U+0000 to
// U+001F and U+007F as their pictures U+2400 to U+2421 ("␛"), the control
// characters U+0080 to U+009F and the bidirectional controls as "\u202e", and
// a byte that is not valid UTF-8 as "\x9b". Everything else is unchanged.
std::string Visible(std::string_view text);

// The line of `text` holding the characters [begin, end) (counted as the
// engine counts them) and under it "^" under each column of that range on
// the line, or one "^" where an empty range points, each line ending in
// "\n". Lines end at "\r\n", "\n" or "\r"; when the text has more than one,
// the line's number comes first ("line 2: "). The line is shown as Visible
// shows it, except that a tab stays a tab: the line under it has a tab in
// the same place, so both reach the same column (the next multiple of 8).
std::string PlaceLines(std::string_view text, std::size_t begin, std::size_t end);

// `text` as a JSON string literal: quotes, backslashes, the control
// characters U+0000 to U+001F and U+007F to U+009F, the bidirectional
// controls and the line and paragraph separators escaped, and a byte that is
// not valid UTF-8 as U+FFFD, so that the answer is valid JSON and safe to
// show on a terminal.
std::string JsonString(std::string_view text);

}  // namespace cli
