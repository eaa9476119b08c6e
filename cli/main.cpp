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
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <vornel/Display.h>
#include <vornel/Exp.h>
#include <vornel/Names.h>

#include "ExpressionFile.h"

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

constexpr std::string_view kUsage =
    "Usage: vornel-eval [-v NAME=VALUE]... [--raw] [-f FILE | EXPRESSION]\n"
    "\n"
    "Evaluates an expression or an If block and prints its value with fifteen\n"
    "decimals. Without EXPRESSION or -f, the expression is read from standard input.\n"
    "\n"
    "  -v NAME=VALUE  store a variable (slots 0, 1, 2, ... in the order given);\n"
    "                 VALUE is a decimal number written with \".\"\n"
    "  --raw          print the value as the shortest text that reads back exactly\n"
    "  -f FILE        read the expression from an expression file\n"
    "  --help         show this help\n"
    "  --             what follows is the expression, even if it begins with \"-\"\n"
    "\n"
    "Exit status: 0 success, 1 the expression is invalid (the value printed is 0),\n"
    "2 usage error, 3 the output could not be written.\n";

// Shows the engine's messages about variables on stderr.
class StderrMessages : public vornel::MessageSink {
public:
    void ShowMessage(std::string_view prompt, std::string_view title,
                     vornel::MessageIcon) override {
        std::cerr << (title.empty() ? "Vornel" : title) << ": " << prompt << '\n';
    }
};

std::string_view TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

struct Variable {
    std::string name;
    double value;
};

struct Options {
    std::vector<Variable> variables;
    bool raw = false;
    std::optional<std::string> file;
    std::optional<std::string> expression;
    bool help = false;
};

struct UsageError {
    std::string message;
    bool showUsage = true;
};

std::optional<double> ParseValue(std::string_view text) {
    text = TrimSpaces(text);
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
    }
    const std::size_t first = (!text.empty() && text[0] == '-') ? 1 : 0;
    if (first >= text.size() || !vornel::IsNumberChar(text[first])) {
        return std::nullopt;  // rejects "inf" and "nan" too
    }
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

Variable ParseVariable(std::string_view argument) {
    const auto equals = argument.find('=');
    if (equals == std::string_view::npos) {
        throw UsageError{"-v expects NAME=VALUE, got \"" + std::string(argument) + "\""};
    }
    // Names are matched ignoring case; the window stores them upper-cased too.
    std::string name(TrimSpaces(argument.substr(0, equals)));
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    const auto value = ParseValue(argument.substr(equals + 1));
    if (!value) {
        throw UsageError{"the value of " + name + " is not a number: \"" +
                         std::string(argument.substr(equals + 1)) + "\""};
    }
    return {name, *value};
}

// An argument that begins with "-" is an option, unless it reads as the start
// of an expression such as "-5+3" or "-(2)".
bool LooksLikeOption(std::string_view argument) {
    return argument.size() > 1 && argument[0] == '-' && !vornel::IsNumberChar(argument[1]) &&
           argument[1] != '(';
}

Options ParseArguments(int argc, char** argv) {
    Options options;
    bool onlyExpression = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        auto next = [&]() -> std::string_view {
            if (i + 1 >= argc) {
                throw UsageError{std::string(argument) + " needs an argument"};
            }
            return argv[++i];
        };
        if (!onlyExpression && LooksLikeOption(argument)) {
            if (argument == "--") {
                onlyExpression = true;
            } else if (argument == "-v") {
                options.variables.push_back(ParseVariable(next()));
            } else if (argument == "-f") {
                options.file = std::string(next());
            } else if (argument == "--raw") {
                options.raw = true;
            } else if (argument == "--help" || argument == "-h") {
                options.help = true;
            } else {
                throw UsageError{"unknown option " + std::string(argument)};
            }
        } else if (options.expression) {
            throw UsageError{"give one expression only (quote it if it holds spaces)"};
        } else {
            options.expression = std::string(argument);
        }
    }
    if (options.file && options.expression) {
        throw UsageError{"give either -f FILE or an expression, not both"};
    }
    return options;
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
        throw UsageError{"cannot read standard input: " + std::string(std::strerror(errno)), false};
    }
    if (bytes.size() > vornel::kMaxExpressionFileBytes) {
        throw UsageError{kTooLarge, false};
    }
    return vornel::DecodeExpressionFile(bytes);
}

// Expression files are read by the same rules as in the window: the size
// limit, and UTF-8 or Windows-1252 as the bytes tell.
std::string ReadFile(const std::string& path) {
    vornel::FileReadResult read = vornel::ReadExpressionFile(path);
    switch (read.status) {
        case vornel::FileReadStatus::TooLarge:
            throw UsageError{kTooLarge, false};
        case vornel::FileReadStatus::CannotOpen:
            throw UsageError{"Can not open the file: " + path, false};
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

int Run(const Options& options) {
    const std::string expression = options.file         ? ReadFile(*options.file)
                                   : options.expression ? *options.expression
                                                        : ReadStandardInput();
    StderrMessages messages;
    vornel::Exp engine(messages);
    // Every -v past the last slot asks for slot 33, which the engine refuses;
    // slot numbers never wrap around to valid or negative ones.
    for (std::size_t slot = 0; slot < options.variables.size(); ++slot) {
        const auto& variable = options.variables[slot];
        engine.SetVariable(
            static_cast<std::int16_t>(std::min<std::size_t>(slot, vornel::kVariableSlots)),
            variable.name, variable.value);
    }
    const vornel::Outcome outcome = engine.Evaluate(expression);
    if (!outcome.Succeeded()) {
        std::cerr << "Error Number-" << outcome.failure << ": Invalid Expression!\n";
    }
    return WriteOutput(
        (options.raw ? RawText(outcome.value) : vornel::FormatDisplay(outcome.value)) + '\n',
        outcome.Succeeded() ? kExitSuccess : kExitEvaluationFailed);
}

int Main(int argc, char** argv) {
    try {
        const Options options = ParseArguments(argc, argv);
        if (options.help) {
            return WriteOutput(kUsage, kExitSuccess);
        }
        return Run(options);
    } catch (const UsageError& error) {
        std::cerr << "vornel-eval: " << error.message << '\n';
        if (error.showUsage) {
            std::cerr << '\n' << kUsage;
        }
        return kExitUsage;
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
