// vornel-eval: evaluates one expression or If block with the calculator's
// engine, for scripts and batch work.

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iostream>
#include <string>
#include <vector>

#include <vornel/Display.h>
#include <vornel/Exp.h>
#include <vornel/Formula.h>

#include "Arguments.h"
#include "ExpressionFile.h"
#include "ScreenText.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitEvaluationFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitWriteFailed = 3;

// Keeps the engine's messages about variables, to be shown on stderr after
// the formula's report.
class CollectedMessages : public vornel::MessageSink {
public:
    void ShowMessage(std::string_view prompt, std::string_view title,
                     vornel::MessageIcon) override {
        lines.push_back(std::string(title.empty() ? "Vornel" : title) + ": " + std::string(prompt));
    }

    std::vector<std::string> lines;
};

// Stores the variables into slots 0, 1, 2, ... The engine refuses the first
// variable past the last slot with a message, which then stands for all that
// are left out, with their number.
void StoreVariables(const std::vector<cli::Variable>& variables, vornel::Exp& engine,
                    CollectedMessages& messages) {
    const std::size_t stored = std::min<std::size_t>(variables.size(), vornel::kVariableSlots);
    for (std::size_t slot = 0; slot < stored; ++slot) {
        engine.SetVariable(static_cast<std::int16_t>(slot), variables[slot].name,
                           variables[slot].value);
    }
    if (variables.size() == stored) {
        return;
    }
    engine.SetVariable(vornel::kVariableSlots, variables[stored].name, variables[stored].value);
    const std::size_t leftOut = variables.size() - stored;
    if (!messages.lines.empty()) {
        messages.lines.back() += " (" + std::to_string(leftOut) +
                                 (leftOut == 1 ? " variable" : " variables") + " left out)";
    }
}

const std::string kTooLarge = "The file is too large, can not be opened.";

// Standard input is read like an expression file: in blocks, at most one byte
// past the size limit, and decoded by the same rules.
std::string ReadStandardInput() {
    std::string bytes;
    char block[4096];
    while (bytes.size() <= vornel::kMaxExpressionFileBytes) {
        const std::size_t read = std::fread(block, 1, sizeof block, stdin);
        bytes.append(block, read);
        if (read < sizeof block) {
            break;
        }
    }
    if (std::ferror(stdin)) {
        throw cli::UsageError{"cannot read standard input: " + std::string(std::strerror(errno)),
                              false};
    }
    if (bytes.size() > vornel::kMaxExpressionFileBytes) {
        throw cli::UsageError{kTooLarge, false};
    }
    return vornel::DecodeExpressionFile(bytes);
}

// Expression files are read by the same rules as in the window: the size
// limit, and UTF-8 or Windows-1252 as the bytes tell.
std::string ReadFile(const std::string& path) {
    vornel::FileReadResult read = vornel::ReadExpressionFile(path);
    switch (read.status) {
        case vornel::FileReadStatus::TooLarge:
            throw cli::UsageError{kTooLarge, false};
        case vornel::FileReadStatus::CannotOpen:
            throw cli::UsageError{"Can not open the file: " + path, false};
        default:
            return std::move(read.text);
    }
}

std::string RawText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Writes `text` to standard output and flushes it. A write that fails (a full
// disk, a closed output, a file-size limit) is reported on stderr with the
// system's reason and gives kExitWriteFailed; otherwise `status` is returned.
int WriteOutput(std::string_view text, int status) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        std::cerr << "vornel-eval: cannot write the output: " << std::strerror(errno) << '\n';
        return kExitWriteFailed;
    }
    return status;
}

// A JSON list of the notes: [{"begin": 0, "end": 1, "message": "..."}, ...].
std::string JsonNotes(const std::vector<vornel::Note>& notes) {
    std::string list;
    for (const vornel::Note& note : notes) {
        list += (list.empty() ? "{" : ", {") + std::string("\"begin\": ") +
                std::to_string(note.begin) + ", \"end\": " + std::to_string(note.end) +
                ", \"message\": " + cli::JsonString(note.message) + "}";
    }
    return "[" + list + "]";
}

std::string JsonOutcome(const vornel::Outcome& outcome, const std::vector<vornel::Note>& notes) {
    const auto number = [&](std::size_t n) {
        return outcome.Succeeded() ? std::string("null") : std::to_string(n);
    };
    return "{\"value\": " + RawText(outcome.value) +
           ", \"failure\": " + std::to_string(outcome.failure) +
           ", \"begin\": " + number(outcome.begin) + ", \"end\": " + number(outcome.end) +
           ", \"message\": " +
           (outcome.Succeeded() ? "null" : cli::JsonString(vornel::CauseText(outcome.cause))) +
           ", \"notes\": " + JsonNotes(notes) + "}";
}

// The failure's number, then its place and its cause: the layout compilers
// use.
std::string FailureReport(std::string_view expression, const vornel::Outcome& outcome) {
    return "Error Number-" + std::to_string(outcome.failure) + ": Invalid Expression!\n" +
           cli::PlaceLines(expression, outcome.begin, outcome.end) +
           std::string(vornel::CauseText(outcome.cause)) + '\n';
}

// The notes shown on stderr at most. Each repeats its line, which may be
// 65,000 characters long, and a formula may have a note on every character.
constexpr std::size_t kMaxNotesShown = 20;

// Each note as "note: " and its sentence, then its place; past
// kMaxNotesShown, how many more there are.
std::string NotesReport(std::string_view expression, const std::vector<vornel::Note>& notes) {
    std::string report;
    for (std::size_t i = 0; i < notes.size() && i < kMaxNotesShown; ++i) {
        report += "note: " + cli::Visible(notes[i].message) + '\n' +
                  cli::PlaceLines(expression, notes[i].begin, notes[i].end);
    }
    if (notes.size() > kMaxNotesShown) {
        report += "note: " + std::to_string(notes.size() - kMaxNotesShown) +
                  " more notes are not shown; --json lists them all\n";
    }
    return report;
}

int Run(const cli::Options& options) {
    const std::string expression = options.file         ? ReadFile(*options.file)
                                   : options.expression ? *options.expression
                                                        : ReadStandardInput();
    CollectedMessages messages;
    vornel::Exp engine(messages);
    StoreVariables(options.variables, engine, messages);
    const vornel::Formula formula = engine.Compile(expression);
    const vornel::Outcome outcome = formula.Evaluate(engine);
    const std::vector<vornel::Note>& notes = formula.Notes();
    if (!outcome.Succeeded()) {
        std::cerr << FailureReport(expression, outcome);
    }
    const bool invalid = !outcome.Succeeded() || (options.strict && !notes.empty());
    const int status = WriteOutput((options.json  ? JsonOutcome(outcome, notes)
                                    : options.raw ? RawText(outcome.value)
                                                  : vornel::FormatDisplay(outcome.value)) +
                                       '\n',
                                   invalid ? kExitEvaluationFailed : kExitSuccess);
    if (!options.quiet) {
        std::cerr << NotesReport(expression, notes);
    }
    for (const std::string& line : messages.lines) {
        std::cerr << line << '\n';
    }
    return status;
}

// A usage error on stderr, and under --json as an object on stdout too.
int ReportUsageError(const cli::UsageError& error, bool json) {
    std::cerr << "vornel-eval: " << cli::Visible(error.message) << '\n';
    if (error.showUsage) {
        std::cerr << '\n' << cli::kUsage;
    }
    if (!json) {
        return kExitUsage;
    }
    return WriteOutput("{\"error\": " + cli::JsonString(error.message) +
                           ", \"status\": " + std::to_string(kExitUsage) + "}\n",
                       kExitUsage);
}

int Main(int argc, char** argv) {
    const cli::Options options = cli::ParseArguments(argc, argv);
    if (options.error) {
        return ReportUsageError(*options.error, options.json);
    }
    if (options.help) {
        return WriteOutput(cli::kUsage, kExitSuccess);
    }
    try {
        return Run(options);
    } catch (const cli::UsageError& error) {
        return ReportUsageError(error, options.json);
    }
}

}  // namespace

#ifdef _WIN32
// Windows hands the arguments over in UTF-16; the program takes them in
// UTF-8, like the engine's text and file names. Standard input is read as
// bytes: no "\r\n" turned into "\n", no end at Ctrl+Z. Standard output and
// error keep the C runtime's text mode, so their lines end in "\r\n", as the
// lines of Windows programs do.
int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdin), _O_BINARY);
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) {
        const int length = static_cast<int>(std::wcslen(argv[i]));
        std::string argument(static_cast<std::size_t>(length) * 3, '\0');
        argument.resize(static_cast<std::size_t>(
            WideCharToMultiByte(CP_UTF8, 0, argv[i], length, argument.data(),
                                static_cast<int>(argument.size()), nullptr, nullptr)));
        arguments.push_back(std::move(argument));
    }
    std::vector<char*> pointers;
    for (std::string& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    return Main(argc, pointers.data());
}
#else
int main(int argc, char** argv) {
    // Over a file-size limit the write fails and is reported, instead of the
    // signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    return Main(argc, argv);
}
#endif
