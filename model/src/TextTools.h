#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <vornel/model/WindowPort.h>

// Texts and character positions as the model handles them: UTF-8, with
// positions counted as the engine counts characters.
namespace vornel::text {

// The number of characters in `text`.
std::size_t CharacterCount(std::string_view text);

// The characters `range` covers.
std::string_view Slice(std::string_view text, TextRange range);

// `text` without spaces, tabs and line breaks around it.
std::string_view Trimmed(std::string_view text);

// The leading spaces of `text`.
std::string_view Indent(std::string_view text);

std::string Upper(std::string_view text);

bool EqualIgnoringCase(std::string_view a, std::string_view b);

// `text` on one line: each run of white space (line breaks included) becomes
// one space, and none stands at either end.
std::string OnOneLine(std::string_view text);

// At most `characters` characters of `text`, ending in "…" when cut.
std::string Shortened(std::string_view text, std::size_t characters);

}  // namespace vornel::text
