#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vornel {

// Expression files hold one formula as plain text. They are written in the
// ANSI code page so that files from older versions and other editors stay
// interchangeable: on Windows the system's ANSI code page, elsewhere
// Windows-1252. A formula with characters outside that code page is written
// as UTF-8 behind a byte-order mark instead, so saving never loses a
// character. The contracts below speak of Windows-1252; on Windows read "the
// ANSI code page" for it (its bytes map as Windows' own converters map them).

// Files larger than this are refused on opening; a file of exactly this size
// opens.
inline constexpr std::size_t kMaxExpressionFileBytes = 65000;

// Bytes of a file -> UTF-8 text. Bytes that begin with the UTF-8 byte-order
// mark EF BB BF are UTF-8: the mark is dropped and every byte that is not part
// of a valid UTF-8 sequence becomes U+FFFD. Any other bytes are Windows-1252;
// its five unassigned bytes 0x81 0x8D 0x8F 0x90 0x9D become U+0081, U+008D,
// U+008F, U+0090 and U+009D, as Windows maps them. The result is always valid
// UTF-8; line breaks and every other character are kept as they are.
std::string DecodeExpressionFile(std::string_view bytes);

// UTF-8 text -> bytes. Windows-1252 when every character has a byte there
// (including the five unassigned bytes, mapped back), otherwise the byte-order
// mark followed by the text in UTF-8. Nothing is added: no line break at the
// end. Two cases take the UTF-8 branch although they would fit:
// - a byte of `utf8Text` that is not part of a valid UTF-8 sequence stands for
//   U+FFFD, which has no Windows-1252 byte;
// - text whose Windows-1252 bytes would begin with EF BB BF (the text starts
//   with "ï»¿") would read back as a byte-order mark and lose those three
//   characters.
// So DecodeExpressionFile(EncodeExpressionFile(t)) == t for all valid UTF-8 t.
std::string EncodeExpressionFile(std::string_view utf8Text);

// The Windows-1252 codec on every platform: what DecodeExpressionFile and
// EncodeExpressionFile are everywhere but on Windows, where the ANSI code page
// takes its place (under code page 1252 the two agree byte for byte).
std::string DecodeWindows1252File(std::string_view bytes);
std::string EncodeWindows1252File(std::string_view utf8Text);

enum class FileReadStatus { Ok, TooLarge, CannotOpen };

// `text` is the decoded content when `status` is Ok, empty otherwise.
struct FileReadResult {
    FileReadStatus status;
    std::string text;
};

// Reads and decodes the file at `utf8Path` (see DecodeExpressionFile). The
// path is UTF-8 on every platform, Windows included.
// - TooLarge: the file holds more than kMaxExpressionFileBytes bytes.
// - CannotOpen: `path` names no regular file (missing, a directory, a device
//   or pipe), its size cannot be read, or it cannot be opened or read.
// The size is checked before the file is opened, so an unreadable file that is
// too large reports TooLarge. A file that grows past the limit while it is read
// is TooLarge too.
FileReadResult ReadExpressionFile(const std::string& utf8Path);

}  // namespace vornel
