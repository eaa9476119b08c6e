#include "ExpressionFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>

namespace vornel {
namespace {

namespace fs = std::filesystem;

const std::string kBom = "\xEF\xBB\xBF";

template <typename Row>
std::string RowName(const testing::TestParamInfo<Row>& row) {
    return row.param.name;
}

#ifndef _WIN32
// The C library's own converter, as an independent reference for the bytes
// that Windows-1252 defines. It refuses the five unassigned bytes.
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

TEST(Windows1252, DefinedBytesDecodeLikeTheSystemConverter) {
    int compared = 0;
    for (int byte = 0; byte < 256; ++byte) {
        const std::optional<std::string> expected =
            ReferenceDecode(static_cast<unsigned char>(byte));
        if (!expected) {
            continue;
        }
        ++compared;
        EXPECT_EQ(DecodeExpressionFile(std::string(1, static_cast<char>(byte))), *expected)
            << "byte 0x" << std::hex << byte;
    }
    EXPECT_GE(compared, 251) << "the system converter lacks Windows-1252";
}
#else
// Windows reads and writes files in its ANSI code page. Under code page 1252
// (Wine's default) that must give the very bytes and texts of the
// Windows-1252 codec that other platforms use.
TEST(AnsiCodePage, Windows1252AgreesWithTheOwnCodec) {
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
    }
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte) {
        const std::string bytes(1, static_cast<char>(byte));
        EXPECT_EQ(DecodeExpressionFile(bytes), DecodeWindows1252File(bytes))
            << "byte 0x" << std::hex << byte;
        const std::string text = DecodeWindows1252File(bytes);
        EXPECT_EQ(EncodeExpressionFile(text), EncodeWindows1252File(text))
            << "byte 0x" << std::hex << byte;
        everyByte += bytes;
    }
    const std::string everyCharacter = DecodeWindows1252File(everyByte);
    for (const std::string& text : std::initializer_list<std::string>{
             everyCharacter, everyCharacter + "\u0100", "\u03A9\U0001F600", std::string("1\xFF"),
             "\u00EF\u00BB\u00BF1", kBom + "1"}) {
        EXPECT_EQ(EncodeExpressionFile(text), EncodeWindows1252File(text));
        EXPECT_EQ(DecodeExpressionFile(EncodeExpressionFile(text)),
                  DecodeWindows1252File(EncodeWindows1252File(text)));
    }
}
#endif

TEST(Windows1252, EveryByteRoundTripsAlone) {
    std::set<std::string> decodedForms;
    for (int byte = 0; byte < 256; ++byte) {
        const std::string bytes(1, static_cast<char>(byte));
        const std::string text = DecodeExpressionFile(bytes);
        decodedForms.insert(text);
        EXPECT_EQ(EncodeExpressionFile(text), bytes) << "byte 0x" << std::hex << byte;
    }
    EXPECT_EQ(decodedForms.size(), 256u) << "two bytes decode to the same character";
}

struct CodecCase {
    const char* name;
    std::string bytes;
    std::string text;
};

std::ostream& operator<<(std::ostream& out, const CodecCase& c) {
    return out << c.name;
}

class DecodeTest : public testing::TestWithParam<CodecCase> {};

TEST_P(DecodeTest, BytesBecomeText) {
    EXPECT_EQ(DecodeExpressionFile(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DecodeTest,
    testing::Values(CodecCase{"Empty", "", ""},
                    CodecCase{"PlainAscii", "A*B+Max(C,2)", "A*B+Max(C,2)"},
                    CodecCase{"EuroAndAccents", "\x80 \xE9\xFF", "\u20AC \u00E9\u00FF"},
                    CodecCase{"UnassignedBytesAreC1Controls", "\x81\x8D\x8F\x90\x9D",
                              "\u0081\u008D\u008F\u0090\u009D"},
                    CodecCase{"LineBreaksKept", "1\r\n2\n3\r4\r\n", "1\r\n2\n3\r4\r\n"},
                    CodecCase{"NulKept", std::string("a\0b", 3), std::string("a\0b", 3)},
                    CodecCase{"MarkOnly", kBom, ""},
                    CodecCase{"MarkThenUtf8", kBom + "\u03A9 \u20AC \U0001F600",
                              "\u03A9 \u20AC \U0001F600"},
                    CodecCase{"SecondMarkIsText", kBom + kBom + "x", "\uFEFFx"},
                    CodecCase{"MarkNotAtStartIsText", "x\xEF\xBB\xBF", "x\uFEFF"},
                    CodecCase{"HalfAMarkIsAnsi", "\xEF\xBB", "\u00EF\u00BB"},
                    CodecCase{"Utf8WithoutMark", "A+1 \xC3\xA9\xE2\x82\xAC", "A+1 \u00E9\u20AC"},
                    CodecCase{"InvalidUtf8IsAnsi", "\xC3\xA9\xFF", "\u00C3\u00A9\u00FF"},
                    CodecCase{"TruncatedUtf8IsAnsi", "\xE2\x82", "\u00E2\u201A"},
                    CodecCase{"InvalidUtf8AfterMarkReplaced",
                              kBom + "a\xFF"
                                     "b\xC3",
                              "a\uFFFDb\uFFFD"}),
    RowName<CodecCase>);

struct EncodeCase {
    const char* name;
    std::string text;
    std::string bytes;
    std::optional<FileEncoding> openedAs = std::nullopt;  // nothing: a new file
};

std::ostream& operator<<(std::ostream& out, const EncodeCase& c) {
    return out << c.name;
}

class EncodeTest : public testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeTest, TextBecomesBytes) {
    EXPECT_EQ(EncodeExpressionFile(GetParam().text, GetParam().openedAs), GetParam().bytes);
}

// Whatever the file was opened in, what is saved reads back as the same text.
TEST(Encodings, SavedTextReadsBack) {
    const std::optional<FileEncoding> encodings[] = {
        std::nullopt, FileEncoding::AnsiCodePage, FileEncoding::Utf8, FileEncoding::Utf8WithMark};
    for (const std::string text : {"", "1+2", "\u00E9\u20AC", "\u00C3\u00A9", "1\u00EF\u00BB\u00BF",
                                   "\u00EF\u00BB\u00BF1", "\uFEFF1", "\u03A9\r\n"}) {
        for (const auto& encoding : encodings) {
            EXPECT_EQ(DecodeExpressionFile(EncodeExpressionFile(text, encoding)), text)
                << text << " in encoding " << (encoding ? int(*encoding) : -1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, EncodeTest,
    testing::Values(
        EncodeCase{"Empty", "", ""}, EncodeCase{"NoLineBreakAdded", "1+2", "1+2"},
        EncodeCase{"LineBreaksKept", "If (A>1) Then\r\n  A\r\nElse\n B\rEndIf",
                   "If (A>1) Then\r\n  A\r\nElse\n B\rEndIf"},
        EncodeCase{"Windows1252Characters", "\u20AC\u2122\u0178 \u00E9\u00A0",
                   "\x80\x99\x9F \xE9\xA0"},
        EncodeCase{"C1ControlsOfUnassignedBytes", "\u0081\u009D", "\x81\x9D"},
        EncodeCase{"OtherC1ControlIsUtf8", "\u0080", kBom + "\xC2\x80"},
        EncodeCase{"GreekIsUtf8", "A\u03A9", kBom + "A\xCE\xA9"},
        EncodeCase{"OneOutsiderMakesAllUtf8", "\u00E9\u4E2D", kBom + "\xC3\xA9\xE4\xB8\xAD"},
        EncodeCase{"AstralIsUtf8", "\U0001F600", kBom + "\xF0\x9F\x98\x80"},
        EncodeCase{"LeadingMarkCharacterIsUtf8", "\uFEFF1",
                   kBom + "\xEF\xBB\xBF"
                          "1"},
        EncodeCase{"TextThatLooksLikeAMarkIsUtf8", "\u00EF\u00BB\u00BF1",
                   kBom + "\xC3\xAF\xC2\xBB\xC2\xBF"
                          "1"},
        EncodeCase{"Utf8LookalikeIsUtf8", "1\u00C3\u00A9", kBom + "1\xC3\x83\xC2\xA9"},
        EncodeCase{"Utf8StaysWithoutMark", "A+1 \u00E9\u20AC", "A+1 \xC3\xA9\xE2\x82\xAC",
                   FileEncoding::Utf8},
        EncodeCase{"Utf8LeadingMarkCharacterKeepsMark", "\uFEFF1",
                   kBom + "\xEF\xBB\xBF"
                          "1",
                   FileEncoding::Utf8},
        EncodeCase{"MarkStays", "\u00E9", kBom + "\xC3\xA9", FileEncoding::Utf8WithMark},
        EncodeCase{"Windows1252Stays", "\u00E9", "\xE9", FileEncoding::AnsiCodePage},
        EncodeCase{"Windows1252FileGetsMarkWhenNeeded", "\u03A9", kBom + "\xCE\xA9",
                   FileEncoding::AnsiCodePage}),
    RowName<EncodeCase>);

// Text that is not valid UTF-8: each offending byte stands for U+FFFD, which
// Windows-1252 lacks, so the text goes out as UTF-8 with the replacements.
INSTANTIATE_TEST_SUITE_P(InvalidUtf8, EncodeTest,
                         testing::Values(EncodeCase{"StrayByte", "1\xFF", kBom + "1\uFFFD"},
                                         EncodeCase{"TruncatedBeforeAscii",
                                                    "\xE2\x82"
                                                    "A",
                                                    kBom + "\uFFFD\uFFFD"
                                                           "A"},
                                         EncodeCase{"Overlong", "\xC0\xAF", kBom + "\uFFFD\uFFFD"},
                                         EncodeCase{"Surrogate", "\xED\xA0\x80",
                                                    kBom + "\uFFFD\uFFFD\uFFFD"},
                                         EncodeCase{"BeyondUnicode", "\xF4\x90\x80\x80",
                                                    kBom + "\uFFFD\uFFFD\uFFFD\uFFFD"}),
                         RowName<EncodeCase>);

// A fresh directory per test, removed afterwards.
class ReadFileTest : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("vornel-files-" + std::to_string(::getpid()) + "-" + info->name());
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

struct FileCase {
    const char* name;
    std::string bytes;
    FileReadStatus status;
    std::string text;
    FileEncoding encoding = FileEncoding::AnsiCodePage;
    std::string fileName = "expression.txt";
};

std::ostream& operator<<(std::ostream& out, const FileCase& c) {
    return out << c.name;
}

class ReadContentTest : public ReadFileTest, public testing::WithParamInterface<FileCase> {};

TEST_P(ReadContentTest, ReadsOrRefuses) {
    const FileReadResult result = ReadExpressionFile(Write(GetParam().fileName, GetParam().bytes));
    EXPECT_EQ(result.status, GetParam().status);
    EXPECT_EQ(result.text, GetParam().text);
    if (result.status == FileReadStatus::Ok) {
        EXPECT_EQ(result.encoding, GetParam().encoding);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadContentTest,
    testing::Values(
        FileCase{"Empty", "", FileReadStatus::Ok, ""},
        FileCase{"AtLimit", std::string(65000, '7'), FileReadStatus::Ok, std::string(65000, '7')},
        FileCase{"OneByteOver", std::string(65001, '7'), FileReadStatus::TooLarge, ""},
        FileCase{"FarOver", std::string(200000, ' '), FileReadStatus::TooLarge, ""},
        FileCase{"AtLimitAllHighBytes", std::string(65000, '\xE9'), FileReadStatus::Ok,
                 [] {
                     std::string text;
                     for (int i = 0; i < 65000; ++i) {
                         text += "\u00E9";
                     }
                     return text;
                 }()},
        FileCase{"Utf8WithMark", kBom + "\u03A9+1", FileReadStatus::Ok, "\u03A9+1",
                 FileEncoding::Utf8WithMark},
        FileCase{"Utf8WithoutMark", "\u03A9+1", FileReadStatus::Ok, "\u03A9+1", FileEncoding::Utf8},
        FileCase{"NonAsciiName", "A\xFC", FileReadStatus::Ok, "A\u00FC", FileEncoding::AnsiCodePage,
                 "Ausdr\u00FCcke.txt"},
        FileCase{"NameOutsideTheCodePage", "1", FileReadStatus::Ok, "1", FileEncoding::AnsiCodePage,
                 "\u03A9\u8A08\u7B97.txt"}),
    RowName<FileCase>);

TEST_F(ReadFileTest, MissingFileCannotBeOpened) {
    const FileReadResult result = ReadExpressionFile(Utf8(m_dir / "missing.txt"));
    EXPECT_EQ(result.status, FileReadStatus::CannotOpen);
}

TEST_F(ReadFileTest, EmptyNameCannotBeOpened) {
    EXPECT_EQ(ReadExpressionFile("").status, FileReadStatus::CannotOpen);
}

TEST_F(ReadFileTest, DirectoryCannotBeOpened) {
    EXPECT_EQ(ReadExpressionFile(Utf8(m_dir)).status, FileReadStatus::CannotOpen);
}

#ifndef _WIN32
TEST_F(ReadFileTest, PipeIsRefusedWithoutBlocking) {
    const fs::path pipe = m_dir / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(ReadExpressionFile(pipe.string()).status, FileReadStatus::CannotOpen);
}
#endif

TEST_F(ReadFileTest, SymbolicLinkToFileIsFollowed) {
    const std::string target = Write("target.txt", "1+2");
    std::error_code error;
    fs::create_symlink(target, m_dir / "link.txt", error);
    if (error) {
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    }
    const FileReadResult result = ReadExpressionFile(Utf8(m_dir / "link.txt"));
    EXPECT_EQ(result.status, FileReadStatus::Ok);
    EXPECT_EQ(result.text, "1+2");
}

#ifndef _WIN32
TEST_F(ReadFileTest, UnreadableFileCannotBeOpened) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    const std::string path = Write("locked.txt", "1+2");
    fs::permissions(path, fs::perms::none);
    EXPECT_EQ(ReadExpressionFile(path).status, FileReadStatus::CannotOpen);
}
#endif

}  // namespace
}  // namespace vornel
