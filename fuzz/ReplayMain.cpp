// Runs saved fuzz inputs through the engine without libFuzzer, so that every
// build (GCC included, with or without sanitizers) replays them, as a text
// evaluated and as a formula compiled once and evaluated over several
// tables. Each argument is a file or a folder of files. An input with a
// sibling file named like it plus ".expected" must give that outcome ("7",
// "#9"); a broken engine contract aborts.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzCase.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kExpectedSuffix = ".expected";

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

// Returns false when the input has an expected outcome and gives another.
bool Replay(const fs::path& file) {
    const std::string bytes = ReadBytes(file);
    const vornel::fuzz::FuzzCase input = vornel::fuzz::DecodeFuzzInput(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    const std::string outcome = vornel::fuzz::RunFuzzCase(input);
    vornel::fuzz::RunCompiledFuzzCase(input);
    fs::path expectedFile = file;
    expectedFile += kExpectedSuffix;
    if (!fs::exists(expectedFile)) {
        return true;
    }
    const std::string expected = FirstLine(ReadBytes(expectedFile));
    if (outcome == expected) {
        return true;
    }
    std::fprintf(stderr, "%s: expected %s, got %s\n", file.string().c_str(), expected.c_str(),
                 outcome.c_str());
    return false;
}

bool IsInput(const fs::directory_entry& entry) {
    return entry.is_regular_file() && !entry.path().string().ends_with(kExpectedSuffix);
}

}  // namespace

int main(int argc, char** argv) {
    int replayed = 0;
    int wrong = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path path = argv[i];
        if (!fs::exists(path)) {
            std::fprintf(stderr, "no such file or folder: %s\n", argv[i]);
            return 2;
        }
        if (!fs::is_directory(path)) {
            wrong += Replay(path) ? 0 : 1;
            ++replayed;
            continue;
        }
        for (const auto& entry : fs::directory_iterator(path)) {
            if (IsInput(entry)) {
                wrong += Replay(entry.path()) ? 0 : 1;
                ++replayed;
            }
        }
    }
    std::printf("replayed %d inputs, %d with an unexpected outcome\n", replayed, wrong);
    return replayed > 0 && wrong == 0 ? 0 : 1;
}
