#include "ExpressionFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vornel {
namespace {

namespace fs = std::filesystem;

const std::string kBom = "\xEF\xBB\xBF";

template <typename Row>
std::string RowName(const testing::TestParamInfo<Row>& row) {
    return row.param.name;
}

// An independent reference for the bytes that Windows-1252 defines.
#ifndef _WIN32
// The C library's own converter. It refuses the five unassigned bytes.
std::optional<std::string> ReferenceDecode(unsigned char byte) {
    iconv_t converter = iconv_open("UTF-8", "WINDOWS-1252");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof out;
    const std::size_t done = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (done == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    return std::string(out, sizeof out - outLeft);
}
#else
// Windows reads and writes files in its ANSI code page. Under code page 1252
// (Wine's default, which every test here assumes) that must give the very
// texts of the Windows-1252 codec that other platforms use.
std::optional<std::string> ReferenceDecode(unsigned char byte) {
    if (GetACP() != 1252) {
        return std::nullopt;
    }
    return DecodeWindows1252File(std::string(1, static_cast<char>(byte)));
}
#endif

// Every byte is a character of its own, which is saved as that byte again;
// where the system converter defines the byte, it is the same character.
TEST(Windows1252, EveryByteRoundTripsAlone) {
    std::set<std::string> decodedForms;
    int compared = 0;
    for (int byte = 0; byte < 256; ++byte) {
        const std::string bytes(1, static_cast<char>(byte));
        const std::string text = DecodeExpressionFile(bytes);
        decodedForms.insert(text);
        EXPECT_EQ(EncodeExpressionFile(text, FileEncoding::AnsiCodePage), bytes)
            << "byte 0x" << std::hex << byte;
        if (const std::optional<std::string> expected = ReferenceDecode(bytes[0])) {
            ++compared;
            EXPECT_EQ(text, *expected) << "byte 0x" << std::hex << byte;
        }
    }
    EXPECT_EQ(decodedForms.size(), 256u) << "two bytes decode to the same character";
    EXPECT_GE(compared, 251) << "no reference for Windows-1252 here";
}

// The bytes of a file and the text they hold: read, the bytes give the text;
// saved into a file opened in `openedAs` (nothing: a new file as Windows
// writes it, in its ANSI code page), the text gives the bytes.
enum class Way { Both, ReadOnly, SaveOnly };

struct CodecCase {
    const char* name;
    std::string bytes;
    std::string text;
    std::optional<FileEncoding> openedAs = std::nullopt;
    Way way = Way::Both;
};

class CodecTest : public testing::TestWithParam<CodecCase> {};

TEST_P(CodecTest, ReadsAndSaves) {
    const CodecCase& c = GetParam();
    if (c.way != Way::SaveOnly) {
        EXPECT_EQ(DecodeExpressionFile(c.bytes), c.text);
    }
    if (c.way != Way::ReadOnly) {
        EXPECT_EQ(EncodeWindows1252File(c.text, c.openedAs), c.bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, CodecTest,
    testing::Values(
        CodecCase{"Empty", "", ""}, CodecCase{"PlainAscii", "A*B+Max(C,2)", "A*B+Max(C,2)"},
        CodecCase{"Windows1252Characters", "\x80\x99\x9F \xE9\xA0\xFF",
                  "\u20AC\u2122\u0178 \u00E9\u00A0\u00FF"},
        CodecCase{"UnassignedBytesAreC1Controls", "\x81\x8D\x8F\x90\x9D",
                  "\u0081\u008D\u008F\u0090\u009D"},
        CodecCase{"LineBreaksKept", "If (A>1) Then\r\n  A\r\nElse\n B\rEndIf\r\n",
                  "If (A>1) Then\r\n  A\r\nElse\n B\rEndIf\r\n"},
        CodecCase{"NulKept", std::string("a\0b", 3), std::string("a\0b", 3)},
        CodecCase{"MarkOnly", kBom, "", FileEncoding::Utf8WithMark},
        CodecCase{"MarkThenUtf8", kBom + "\u03A9 \u20AC \U0001F600", "\u03A9 \u20AC \U0001F600"},
        CodecCase{"SecondMarkIsText", kBom + kBom + "x", "\uFEFFx"},
        CodecCase{"MarkNotAtStartIsText", "x\xEF\xBB\xBF", "x\uFEFF", FileEncoding::Utf8},
        CodecCase{"HalfAMarkIsAnsi", "\xEF\xBB", "\u00EF\u00BB"},
        CodecCase{"Utf8WithoutMarkStays", "A+1 \xC3\xA9\xE2\x82\xAC", "A+1 \u00E9\u20AC",
                  FileEncoding::Utf8},
        CodecCase{"InvalidUtf8IsAnsi", "\xC3\xA9\xFF", "\u00C3\u00A9\u00FF"},
        CodecCase{"TruncatedUtf8IsAnsi", "\xE2\x82", "\u00E2\u201A"},
        CodecCase{"InvalidUtf8AfterMarkReplaced", kBom + "a\xFFz\xC3", "a\uFFFDz\uFFFD",
                  std::nullopt, Way::ReadOnly},
        CodecCase{"OtherC1ControlIsUtf8", kBom + "\xC2\x80", "\u0080"},
        CodecCase{"OneOutsiderMakesAllUtf8", kBom + "\xC3\xA9\xE4\xB8\xAD", "\u00E9\u4E2D"},
        CodecCase{"AstralIsUtf8", kBom + "\xF4\x8F\xBF\xBF", "\U0010FFFF"},
        CodecCase{"TextThatLooksLikeAMarkIsUtf8", kBom + "\xC3\xAF\xC2\xBB\xC2\xBFx",
                  "\u00EF\u00BB\u00BFx"},
        CodecCase{"Utf8LookalikeIsUtf8", kBom + "1\xC3\x83\xC2\xA9", "1\u00C3\u00A9"},
        CodecCase{"Utf8LeadingMarkCharacterKeepsMark", kBom + "\xEF\xBB\xBFx", "\uFEFFx",
                  FileEncoding::Utf8},
        CodecCase{"MarkStays", kBom + "\xC3\xA9", "\u00E9", FileEncoding::Utf8WithMark},
        CodecCase{"Windows1252Stays", "\xE9", "\u00E9", FileEncoding::AnsiCodePage},
        CodecCase{"Windows1252FileGetsMarkWhenNeeded", kBom + "\xCE\xA9", "\u03A9",
                  FileEncoding::AnsiCodePage},
        // Text that is not valid UTF-8: each offending byte stands for
        // U+FFFD, which Windows-1252 lacks, so it goes out as UTF-8.
        CodecCase{"StrayByte", kBom + "1\uFFFD", "1\xFF", std::nullopt, Way::SaveOnly},
        CodecCase{"TruncatedBeforeAscii", kBom + "\uFFFD\uFFFDZ", "\xE2\x82Z", std::nullopt,
                  Way::SaveOnly},
        CodecCase{"Overlong", kBom + "\uFFFD\uFFFD", "\xC0\xAF", std::nullopt, Way::SaveOnly},
        CodecCase{"Surrogate", kBom + "\uFFFD\uFFFD\uFFFD", "\xED\xA0\x80", std::nullopt,
                  Way::SaveOnly},
        CodecCase{"BeyondUnicode", kBom + "\uFFFD\uFFFD\uFFFD\uFFFD", "\xF4\x90\x80\x80",
                  std::nullopt, Way::SaveOnly}),
    RowName<CodecCase>);

// Whatever the file was opened in, what is saved reads back as the same text.
TEST(Encodings, SavedTextReadsBack) {
    for (const std::string text : {"", "1+2", "\u00E9\u20AC", "\u00C3\u00A9", "1\u00EF\u00BB\u00BF",
                                   "\u00EF\u00BB\u00BF1", "\uFEFF1", "\u03A9\r\n"}) {
        for (const auto& encoding :
             {std::optional<FileEncoding>(), std::optional(FileEncoding::AnsiCodePage),
              std::optional(FileEncoding::Utf8), std::optional(FileEncoding::Utf8WithMark)}) {
            EXPECT_EQ(DecodeExpressionFile(EncodeExpressionFile(text, encoding)), text)
                << text << " in encoding " << (encoding ? int(*encoding) : -1);
        }
    }
}

// A new file is written in the system's own encoding and line ends: on
// Windows the ANSI code page and CR LF, elsewhere UTF-8 without a mark and LF.
// Line breaks are written as the file had them.
TEST(NewFiles, TakeTheSystemsEncoding) {
#ifdef _WIN32
    EXPECT_EQ(EncodeExpressionFile("\u00FC+1"), "\xFC+1");
    EXPECT_EQ(kNewFileLineEnds, LineEnds::CrLf);
#else
    EXPECT_EQ(EncodeExpressionFile("\u00FC+1"), "\xC3\xBC+1");
    EXPECT_EQ(EncodeExpressionFile("\uFEFF1"), kBom + kBom + "1");
    EXPECT_EQ(kNewFileLineEnds, LineEnds::Lf);
#endif
}

TEST(LineEnds, DetectedAndWritten) {
    struct Row {
        std::string text;
        std::optional<LineEnds> detected;
        std::string withLf;
        std::string withCrLf;
    };
    for (const Row& row : std::vector<Row>{
             {"1+2", std::nullopt, "1+2", "1+2"},
             {"a\nb\r\nc", LineEnds::Lf, "a\nb\nc", "a\r\nb\r\nc"},
             {"a\r\nb\nc\r\n", LineEnds::CrLf, "a\nb\nc\n", "a\r\nb\r\nc\r\n"},
             {"a\rb\n\rc", LineEnds::CrLf, "a\nb\n\nc", "a\r\nb\r\n\r\nc"},
         }) {
        EXPECT_EQ(DetectLineEnds(row.text), row.detected) << row.text;
        EXPECT_EQ(WithLineEnds(row.text, LineEnds::Lf), row.withLf);
        EXPECT_EQ(WithLineEnds(row.text, LineEnds::CrLf), row.withCrLf);
    }
}

// A fresh directory per test, removed afterwards.
class ReadFileTest : public testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vornel-files-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    // File names are UTF-8 here, as ReadExpressionFile takes them.
    static std::string Utf8(const fs::path& path) {
        const std::u8string name = path.u8string();
        return std::string(name.begin(), name.end());
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(m_dir / "locked.txt", fs::perms::owner_all, ignored);
        fs::remove_all(m_dir, ignored);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = m_dir / std::u8string(name.begin(), name.end());
        std::ofstream(path, std::ios::binary) << bytes;
        return Utf8(path);
    }
    fs::path m_dir;
};

// A file's bytes are read as DecodeExpressionFile reads them.
struct FileCase {
    const char* name;
    std::string bytes;
    FileReadStatus status = FileReadStatus::Ok;
    FileEncoding encoding = FileEncoding::AnsiCodePage;
    std::string fileName = "expression.txt";
};

class ReadContentTest : public ReadFileTest, public testing::WithParamInterface<FileCase> {};

TEST_P(ReadContentTest, ReadsOrRefuses) {
    const FileCase& c = GetParam();
    const FileReadResult result = ReadExpressionFile(Write(c.fileName, c.bytes));
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.text, c.status == FileReadStatus::Ok ? DecodeExpressionFile(c.bytes) : "");
    if (result.status == FileReadStatus::Ok) {
        EXPECT_EQ(result.encoding, c.encoding);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadContentTest,
    testing::Values(FileCase{"Empty", ""}, FileCase{"AtLimit", std::string(65000, '7')},
                    FileCase{"OneByteOver", std::string(65001, '7'), FileReadStatus::TooLarge},
                    FileCase{"FarOver", std::string(200000, ' '), FileReadStatus::TooLarge},
                    FileCase{"AtLimitAllHighBytes", std::string(65000, '\xE9')},
                    FileCase{"Utf8WithMark", kBom + "\u03A9+1", FileReadStatus::Ok,
                             FileEncoding::Utf8WithMark},
                    FileCase{"Utf8WithoutMark", "\u03A9+1", FileReadStatus::Ok, FileEncoding::Utf8},
                    FileCase{"NonAsciiName", "A\xFC", FileReadStatus::Ok,
                             FileEncoding::AnsiCodePage, "Ausdr\u00FCcke.txt"},
                    FileCase{"NameOutsideTheCodePage", "1", FileReadStatus::Ok,
                             FileEncoding::AnsiCodePage, "\u03A9\u8A08\u7B97.txt"}),
    RowName<FileCase>);

// What names no regular file cannot be opened: a missing file, an empty
// name, a directory, a pipe (refused without blocking); nor can a file that
// may not be read.
TEST_F(ReadFileTest, WhatIsNoReadableFileCannotBeOpened) {
    std::vector<std::string> paths = {Utf8(m_dir / "missing.txt"), "", Utf8(m_dir)};
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((m_dir / "pipe").c_str(), 0600), 0);
    paths.push_back(Utf8(m_dir / "pipe"));
    if (::geteuid() != 0) {  // permissions do not bind the superuser
        paths.push_back(Write("locked.txt", "1+2"));
        fs::permissions(paths.back(), fs::perms::none);
    }
#endif
    for (const std::string& path : paths) {
        EXPECT_EQ(ReadExpressionFile(path).status, FileReadStatus::CannotOpen) << path;
    }
}

TEST_F(ReadFileTest, SymbolicLinkToFileIsFollowed) {
    std::error_code error;
    fs::create_symlink(Write("target.txt", "1+2"), m_dir / "link.txt", error);
    if (error) {
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    }
    EXPECT_EQ(ReadExpressionFile(Utf8(m_dir / "link.txt")).text, "1+2");
}

// Saving replaces the whole file, or else leaves the old one as it was and
// nothing beside it.
TEST_F(ReadFileTest, WritingReplacesTheWholeFileOrNothing) {
    const std::string path = Write("Expression.txt", "an older and longer expression");
    EXPECT_TRUE(WriteExpressionFile(path, "A+B"));
    EXPECT_EQ(ReadExpressionFile(path).text, "A+B");
#ifndef _WIN32
    // A lowered file size limit stops writes for root too, unlike permissions.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit lowered = old;
    lowered.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &lowered);
    const bool written = WriteExpressionFile(path, std::string(4000, '1'));
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadExpressionFile(path).text, "A+B");
#endif
    EXPECT_FALSE(WriteExpressionFile(Utf8(m_dir / "no folder" / "x.txt"), "1"));
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_dir)) {
        names.push_back(Utf8(entry.path().filename()));
    }
    EXPECT_EQ(names, std::vector<std::string>{"Expression.txt"});
}

}  // namespace
}  // namespace vornel
