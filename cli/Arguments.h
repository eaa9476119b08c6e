#pragma once

// vornel-eval's command line: its options, the variables given with -v, and
// the usage errors found in it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

inline constexpr std::string_view kUsage =
    "Usage: vornel-eval [-v NAME=VALUE]... [--raw | --json] [--strict] [--quiet]\n"
    "                   [-f FILE | EXPRESSION]\n"
    "\n"
    "Evaluates an expression or an If block and prints its value with fifteen\n"
    "decimals. Without EXPRESSION or -f, the expression is read from standard input.\n"
    "\n"
    "  -v NAME=VALUE  store a variable (slots 0, 1, 2, ... in the order given);\n"
    "                 VALUE is a decimal number written with \".\"\n"
    "  --raw          print the value as the shortest text that reads back exactly\n"
    "  --json         print one JSON object: value, failure, begin, end, message,\n"
    "                 notes; a usage error is one too: error, status\n"
    "  --strict       a formula with notes is invalid: its value is printed, and\n"
    "                 the exit status is 1\n"
    "  --quiet        print no notes\n"
    "  -f FILE        read the expression from an expression file\n"
    "  --help         show this help\n"
    "  --             what follows is the expression, even if it begins with \"-\"\n"
    "\n"
    "An invalid expression is reported on stderr with the place of the fault marked.\n"
    "After the value, each note on the formula (text that was skipped, or something\n"
    "that was assumed) follows on stderr as \"note: \", a sentence and its place.\n"
    "\n"
    "Exit status: 0 success, 1 the expression is invalid (the value printed is 0)\n"
    "or has notes under --strict, 2 usage error, 3 the output could not be written.\n";

struct Variable {
    std::string name;  // trimmed and upper-cased
    double value = 0;
};

struct UsageError {
    std::string message;
    bool showUsage = true;
};

struct Options {
    std::vector<Variable> variables;
    bool raw = false;
    bool json = false;
    bool strict = false;
    bool quiet = false;
    bool help = false;
    std::optional<std::string> file;
    std::optional<std::string> expression;
    // The first usage error on the command line. The arguments after it are
    // still read, so that an answer in JSON can be given when --json follows.
    std::optional<UsageError> error;
};

// Reads the arguments argv[1] to argv[argc - 1].
Options ParseArguments(int argc, char** argv);

}  // namespace cli
