#include "ExpressionFile.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace vornel {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Windows-1252 bytes 0x80 to 0x9F. Every other byte has the code point of the
// same number. The five bytes the code page leaves unassigned map to the C1
// control of their own number, as Windows does, so every byte survives a round
// trip.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t FromWindows1252(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kWindows1252High[byte - 0x80];
    }
    return byte;
}

std::optional<unsigned char> ToWindows1252(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<unsigned char>(codePoint);
    }
    for (std::size_t i = 0; i < kWindows1252High.size(); ++i) {
        if (kWindows1252High[i] == codePoint) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    auto put = [&out](unsigned value) { out.push_back(static_cast<char>(value)); };
    if (codePoint < 0x80) {
        put(codePoint);
    } else if (codePoint < 0x800) {
        put(0xC0 | (codePoint >> 6));
        put(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        put(0xE0 | (codePoint >> 12));
        put(0x80 | ((codePoint >> 6) & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    } else {
        put(0xF0 | (codePoint >> 18));
        put(0x80 | ((codePoint >> 12) & 0x3F));
        put(0x80 | ((codePoint >> 6) & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    }
}

// What a lead byte promises: the sequence length, the payload bits of the lead
// byte and the range allowed for the second byte. The narrowed second-byte
// ranges shut out overlong forms, surrogates and values above U+10FFFF.
struct SequenceShape {
    std::size_t length;
    char32_t leadBits;
    unsigned char secondLow;
    unsigned char secondHigh;
};

std::optional<SequenceShape> ShapeOf(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return SequenceShape{2, lead & 0x1Fu, 0x80, 0xBF};
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return SequenceShape{3, lead & 0x0Fu,
                             static_cast<unsigned char>(lead == 0xE0 ? 0xA0 : 0x80),
                             static_cast<unsigned char>(lead == 0xED ? 0x9F : 0xBF)};
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return SequenceShape{4, lead & 0x07u,
                             static_cast<unsigned char>(lead == 0xF0 ? 0x90 : 0x80),
                             static_cast<unsigned char>(lead == 0xF4 ? 0x8F : 0xBF)};
    }
    return std::nullopt;
}

struct DecodedCharacter {
    char32_t codePoint;
    std::size_t length;  // bytes consumed
};

// The character at `pos`. A byte that does not start a complete, valid
// sequence is one U+FFFD of length 1, and reading resumes at the next byte.
DecodedCharacter ReadUtf8(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        return {lead, 1};
    }
    const std::optional<SequenceShape> shape = ShapeOf(lead);
    if (!shape || pos + shape->length > text.size()) {
        return {kReplacementCharacter, 1};
    }
    char32_t codePoint = shape->leadBits;
    for (std::size_t i = 1; i < shape->length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        const unsigned char low = i == 1 ? shape->secondLow : 0x80;
        const unsigned char high = i == 1 ? shape->secondHigh : 0xBF;
        if (byte < low || byte > high) {
            return {kReplacementCharacter, 1};
        }
        codePoint = (codePoint << 6) | (byte & 0x3Fu);
    }
    return {codePoint, shape->length};
}

// `text` with every invalid byte replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const DecodedCharacter character = ReadUtf8(text, pos);
        if (character.codePoint == kReplacementCharacter) {
            AppendUtf8(out, kReplacementCharacter);
        } else {
            out.append(text.substr(pos, character.length));
        }
        pos += character.length;
    }
    return out;
}

std::optional<std::string> TryWindows1252(std::string_view utf8Text) {
    std::string out;
    out.reserve(utf8Text.size());
    for (std::size_t pos = 0; pos < utf8Text.size();) {
        const DecodedCharacter character = ReadUtf8(utf8Text, pos);
        const std::optional<unsigned char> byte = ToWindows1252(character.codePoint);
        if (!byte) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(*byte));
        pos += character.length;
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const DecodedCharacter character = ReadUtf8(text, pos);
        // A U+FFFD written out takes three bytes; a replaced byte takes one.
        if (character.codePoint == kReplacementCharacter && character.length == 1) {
            return false;
        }
        pos += character.length;
    }
    return true;
}

bool IsAscii(std::string_view text) {
    for (const char byte : text) {
        if (static_cast<unsigned char>(byte) >= 0x80) {
            return false;
        }
    }
    return true;
}

std::string WithMark(std::string_view utf8Text) {
    return std::string(kByteOrderMark) + SanitizeUtf8(utf8Text);
}

#ifdef _WIN32
// The system's ANSI code page, through Windows' own converters. The text goes
// through UTF-16 on the way; UTF-8 is read and written here, so invalid UTF-8
// is treated exactly as on other platforms.

std::string FromAnsiCodePage(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), size)));
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t unit = wide[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (wide[++i] - 0xDC00);
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            unit = kReplacementCharacter;
        }
        AppendUtf8(out, unit);
    }
    return out;
}

std::optional<std::string> TryAnsiCodePage(std::string_view utf8Text) {
    std::wstring wide;
    wide.reserve(utf8Text.size());
    for (std::size_t pos = 0; pos < utf8Text.size();) {
        const DecodedCharacter character = ReadUtf8(utf8Text, pos);
        if (character.codePoint == kReplacementCharacter) {
            return std::nullopt;  // invalid UTF-8 or U+FFFD: no code page has it
        }
        if (character.codePoint >= 0x10000) {
            wide.push_back(static_cast<wchar_t>(0xD800 + ((character.codePoint - 0x10000) >> 10)));
            wide.push_back(
                static_cast<wchar_t>(0xDC00 + ((character.codePoint - 0x10000) & 0x3FF)));
        } else {
            wide.push_back(static_cast<wchar_t>(character.codePoint));
        }
        pos += character.length;
    }
    if (wide.empty()) {
        return std::string();
    }
    const int size = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                           0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(needed), '\0');
    BOOL lossy = FALSE;
    if (needed == 0 ||
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), needed,
                            nullptr, &lossy) != needed ||
        lossy) {
        return std::nullopt;
    }
    return out;
}
#endif

// One byte per character: how the bytes of a file in the ANSI code page are
// read, and how a text is written there (nothing when a character lacks a
// byte).
struct SingleByteCodec {
    std::string (*decode)(std::string_view bytes);
    std::optional<std::string> (*tryEncode)(std::string_view utf8Text);
};

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        AppendUtf8(out, FromWindows1252(static_cast<unsigned char>(byte)));
    }
    return out;
}

constexpr SingleByteCodec kWindows1252{Windows1252ToUtf8, TryWindows1252};
#ifdef _WIN32
constexpr SingleByteCodec kAnsiCodePage{FromAnsiCodePage, TryAnsiCodePage};
#else
constexpr SingleByteCodec kAnsiCodePage = kWindows1252;
#endif

std::string Decode(std::string_view bytes, const SingleByteCodec& codec) {
    switch (DetectFileEncoding(bytes)) {
        case FileEncoding::Utf8WithMark:
            return SanitizeUtf8(bytes.substr(kByteOrderMark.size()));
        case FileEncoding::Utf8:
            return std::string(bytes);
        case FileEncoding::AnsiCodePage:
            break;
    }
    return codec.decode(bytes);
}

std::string Encode(std::string_view utf8Text, FileEncoding encoding, const SingleByteCodec& codec) {
    switch (encoding) {
        case FileEncoding::Utf8WithMark:
            return WithMark(utf8Text);
        case FileEncoding::Utf8: {
            std::string utf8 = SanitizeUtf8(utf8Text);
            return utf8.starts_with(kByteOrderMark) ? std::string(kByteOrderMark) + utf8 : utf8;
        }
        case FileEncoding::AnsiCodePage:
            break;
    }
    std::optional<std::string> ansi = codec.tryEncode(utf8Text);
    if (ansi && DetectFileEncoding(*ansi) == FileEncoding::AnsiCodePage) {
        return std::move(*ansi);
    }
    return WithMark(utf8Text);
}

// A path given in UTF-8. Windows takes file names in UTF-16, so the name is
// converted there; elsewhere the bytes are the name.
std::filesystem::path FilePath(const std::string& utf8Path) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
#else
    return std::filesystem::path(utf8Path);
#endif
}

}  // namespace

FileEncoding DetectFileEncoding(std::string_view bytes) {
    if (bytes.starts_with(kByteOrderMark)) {
        return FileEncoding::Utf8WithMark;
    }
    if (!IsAscii(bytes) && IsValidUtf8(bytes)) {
        return FileEncoding::Utf8;
    }
    return FileEncoding::AnsiCodePage;
}

std::string DecodeExpressionFile(std::string_view bytes) {
    return Decode(bytes, kAnsiCodePage);
}

std::string EncodeExpressionFile(std::string_view utf8Text, std::optional<FileEncoding> openedAs) {
    return Encode(utf8Text, openedAs.value_or(kNewFileEncoding), kAnsiCodePage);
}

std::string DecodeWindows1252File(std::string_view bytes) {
    return Decode(bytes, kWindows1252);
}

std::string EncodeWindows1252File(std::string_view utf8Text, std::optional<FileEncoding> openedAs) {
    return Encode(utf8Text, openedAs.value_or(FileEncoding::AnsiCodePage), kWindows1252);
}

std::optional<LineEnds> DetectLineEnds(std::string_view text) {
    const std::size_t at = text.find_first_of("\r\n");
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return text[at] == '\n' ? LineEnds::Lf : LineEnds::CrLf;
}

std::string WithLineEnds(std::string_view text, LineEnds ends) {
    const std::string_view lineBreak = ends == LineEnds::CrLf ? "\r\n" : "\n";
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += lineBreak;
            i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 1 : 0;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

FileReadResult ReadExpressionFile(const std::string& utf8Path) {
    namespace fs = std::filesystem;
    const FileReadResult cannotOpen{FileReadStatus::CannotOpen, {}};
    const FileReadResult tooLarge{FileReadStatus::TooLarge, {}};

    const fs::path path = FilePath(utf8Path);
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return cannotOpen;
    }
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) {
        return cannotOpen;
    }
    if (size > kMaxExpressionFileBytes) {
        return tooLarge;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return cannotOpen;
    }
    // One byte more than allowed, to notice a file that grew since its size
    // was read.
    std::string bytes(kMaxExpressionFileBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        return cannotOpen;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxExpressionFileBytes) {
        return tooLarge;
    }
    return {FileReadStatus::Ok, DecodeExpressionFile(bytes), DetectFileEncoding(bytes)};
}

namespace {

// False when the process may not write a file of `size` bytes (ulimit -f):
// such a write is refused before anything is written, where the signal it
// raises could otherwise end the program.
bool WithinFileSizeLimit(std::size_t size) {
#ifdef _WIN32
    (void)size;
    return true;
#else
    rlimit limit{};
    return getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           rlim_t(size) <= limit.rlim_cur;
#endif
}

}  // namespace

bool WriteExpressionFile(const std::string& utf8Path, std::string_view bytes) {
    namespace fs = std::filesystem;
    if (!WithinFileSizeLimit(bytes.size())) {
        return false;
    }
    const fs::path path = FilePath(utf8Path);
    fs::path temporary = path;
    temporary += ".saving";
    std::error_code error;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush()) {
            out.close();
            fs::remove(temporary, error);
            return false;
        }
        out.close();
        if (out.fail()) {
            fs::remove(temporary, error);
            return false;
        }
    }
    // A file replaced keeps who may read and write it.
    if (const fs::file_status old = fs::status(path, error); fs::exists(old)) {
        fs::permissions(temporary, old.permissions(), error);
    }
    fs::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace vornel
