#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vornel {

// Expression files hold one formula as plain text. A new file is written in
// the encoding of the user's system: on Windows its ANSI code page, so that
// files from older versions and other editors stay interchangeable; elsewhere
// UTF-8 without a byte-order mark. On Windows a formula with characters
// outside the code page is written as UTF-8 behind a byte-order mark instead,
// so saving never loses a character. A file that was opened is written back
// in the encoding it was read in. Files that are not UTF-8 are read as
// Windows-1252 (on Windows: the ANSI code page; its bytes map as Windows' own
// converters map them).

// Files larger than this are refused on opening; a file of exactly this size
// opens.
inline constexpr std::size_t kMaxExpressionFileBytes = 65000;

// How the bytes of an expression file are read.
enum class FileEncoding {
    AnsiCodePage,  // Windows-1252 (on Windows the ANSI code page); plain ASCII too
    Utf8,          // UTF-8 without a byte-order mark
    Utf8WithMark,  // UTF-8 behind the byte-order mark EF BB BF
};

// The encoding of a new file: the system's own.
#ifdef _WIN32
inline constexpr FileEncoding kNewFileEncoding = FileEncoding::AnsiCodePage;
#else
inline constexpr FileEncoding kNewFileEncoding = FileEncoding::Utf8;
#endif

// How the lines of a file are separated. A new file takes the system's own.
enum class LineEnds { CrLf, Lf };
#ifdef _WIN32
inline constexpr LineEnds kNewFileLineEnds = LineEnds::CrLf;
#else
inline constexpr LineEnds kNewFileLineEnds = LineEnds::Lf;
#endif

// The line ends of `text`: those of its first line break (a lone CR counts
// as CR LF); nothing when it has none.
std::optional<LineEnds> DetectLineEnds(std::string_view text);

// `text` with every line break (CR LF, a lone CR or a lone LF) written as `ends`.
std::string WithLineEnds(std::string_view text, LineEnds ends);

// The encoding DecodeExpressionFile reads `bytes` in: Utf8WithMark when they
// begin with EF BB BF; Utf8 when they are valid UTF-8 and hold at least one
// byte above 0x7F (plain ASCII is not enough to tell); AnsiCodePage otherwise.
FileEncoding DetectFileEncoding(std::string_view bytes);

// Bytes of a file -> UTF-8 text, in the encoding DetectFileEncoding finds.
// UTF-8 with a mark: the mark is dropped and every byte that is not part of a
// valid UTF-8 sequence becomes U+FFFD. UTF-8 without a mark: taken as it is.
// Windows-1252: its five unassigned bytes 0x81 0x8D 0x8F 0x90 0x9D become
// U+0081, U+008D, U+008F, U+0090 and U+009D, as Windows maps them. The result
// is always valid UTF-8; line breaks and every other character are kept.
std::string DecodeExpressionFile(std::string_view bytes);

// UTF-8 text -> bytes, for a file opened in `openedAs`, or for a new file
// (kNewFileEncoding) when `openedAs` is empty. Nothing is added: no line
// break at the end.
// - AnsiCodePage: Windows-1252 when every character has a byte
//   there (including the five unassigned bytes, mapped back) and those bytes
//   read back as Windows-1252; otherwise the byte-order mark followed by the
//   text in UTF-8. So the UTF-8 branch is also taken when a byte of
//   `utf8Text` is not part of a valid UTF-8 sequence (it stands for U+FFFD,
//   which Windows-1252 lacks), when the bytes would begin with EF BB BF (the
//   text starts with "ï»¿"), and when they would form valid UTF-8 (such as
//   "Ã©", which would read back as "é").
// - Utf8: the text in UTF-8 without a mark, unless it begins with U+FEFF,
//   which would read back as a mark: then with the mark.
// - Utf8WithMark: the mark followed by the text in UTF-8.
// Invalid UTF-8 in `utf8Text` is written as U+FFFD. So
// DecodeExpressionFile(EncodeExpressionFile(t, e)) == t for all valid UTF-8 t
// and every `e`.
std::string EncodeExpressionFile(std::string_view utf8Text,
                                 std::optional<FileEncoding> openedAs = std::nullopt);

// The Windows-1252 codec on every platform: what DecodeExpressionFile and
// EncodeExpressionFile are on Windows under code page 1252, new files
// included (they are written as AnsiCodePage).
std::string DecodeWindows1252File(std::string_view bytes);
std::string EncodeWindows1252File(std::string_view utf8Text,
                                  std::optional<FileEncoding> openedAs = std::nullopt);

enum class FileReadStatus { Ok, TooLarge, CannotOpen };

// `text` is the decoded content and `encoding` the one it was read in when
// `status` is Ok; otherwise `text` is empty.
struct FileReadResult {
    FileReadStatus status;
    std::string text;
    FileEncoding encoding = FileEncoding::AnsiCodePage;
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

// Writes `bytes` as the whole file at `utf8Path`, replacing a file of that
// name only once the new content is completely on disk: a write that fails
// part way (a full disk, a file-size limit) leaves the old file as it was.
// False when the file could not be written.
bool WriteExpressionFile(const std::string& utf8Path, std::string_view bytes);

}  // namespace vornel
