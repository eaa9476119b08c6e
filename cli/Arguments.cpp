#include "Arguments.h"

#include <algorithm>
#include <charconv>

#include <vornel/Names.h>

namespace cli {

namespace {

std::string_view TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Whether the decimal number `text` (digits, "." and an exponent, without a
// sign) is below 1. std::from_chars says only that a number is out of range,
// and the text must tell whether it is too large or too small.
bool IsBelowOne(std::string_view text) {
    const auto e = std::min(text.find_first_of("eE"), text.size());
    long long exponent = 0;
    if (e < text.size()) {
        std::string_view digits = text.substr(e + 1);
        if (digits.starts_with('+')) {
            digits.remove_prefix(1);
        }
        const auto read = std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
        if (read.ec == std::errc::result_out_of_range) {
            return digits.starts_with('-');
        }
        exponent = std::clamp(exponent, -1'000'000'000LL, 1'000'000'000LL);
    }
    const std::string_view mantissa = text.substr(0, e);
    const auto point = std::min(mantissa.find('.'), mantissa.size());
    const auto first = mantissa.find_first_not_of("0.");
    if (first == std::string_view::npos) {
        return true;
    }
    // The power of ten of the first digit that is not 0.
    const long long lead = first < point ? static_cast<long long>(point - first - 1)
                                         : -static_cast<long long>(first - point);
    return lead + exponent < 0;
}

// The value of -v NAME=VALUE: a decimal number written with ".", with an
// optional sign and exponent, and spaces around it.
double ParseValue(const std::string& name, std::string_view text) {
    const std::string_view number = TrimSpaces(text);
    std::string_view digits = number.starts_with('+') ? number.substr(1) : number;
    const std::size_t first = digits.starts_with('-') ? 1 : 0;
    double value = 0;
    const auto read = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    // The first character is checked, as from_chars reads "inf" and "nan".
    if (first >= digits.size() || !vornel::IsNumberChar(digits[first]) ||
        read.ptr != digits.data() + digits.size()) {
        throw UsageError{"the value of " + name + " is not a number: \"" + std::string(text) +
                         "\""};
    }
    if (read.ec != std::errc::result_out_of_range) {
        return value;
    }
    // Too small for a double reads as 0, as the same digits do in a formula.
    if (!IsBelowOne(digits.substr(first))) {
        throw UsageError{"the value of " + name + " is too large: \"" + std::string(text) + "\"",
                         false};
    }
    return 0;
}

// Why no formula could reach a variable of this name, or "" when one can.
std::string NameRefusal(const std::string& name) {
    const std::string cannot = "\"" + name + "\" cannot be a variable name: ";
    switch (vornel::CheckVariableName(name)) {
        case vornel::NameProblem::None:
            return {};
        case vornel::NameProblem::Empty:
            return "a variable needs a name";
        case vornel::NameProblem::BadStart:
            return cannot + "a name begins with a letter (A to Z) or \"_\"";
        case vornel::NameProblem::BadCharacter:
            return cannot + "a name holds only letters (A to Z), digits and \"_\"";
        case vornel::NameProblem::FunctionName:
            return cannot + "it is the name of a function";
        case vornel::NameProblem::TruthValue:
            return cannot + "conditions read it as a truth value";
        case vornel::NameProblem::Keyword:
            return cannot + "it is a keyword of If blocks";
        case vornel::NameProblem::HoldsKeyword:
            return cannot + "it holds THEN, ELSE or ENDIF, which would break If blocks";
        case vornel::NameProblem::BeginsWithIf:
            return cannot + "a formula beginning with it would be read as an If block";
    }
    return cannot + "no formula can use it";
}

Variable ParseVariable(std::string_view argument) {
    const auto equals = argument.find('=');
    if (equals == std::string_view::npos) {
        throw UsageError{"-v expects NAME=VALUE, got \"" + std::string(argument) + "\""};
    }
    std::string name(TrimSpaces(argument.substr(0, equals)));
    if (const std::string refusal = NameRefusal(name); !refusal.empty()) {
        throw UsageError{"-v " + std::string(argument) + ": " + refusal, false};
    }
    // Names are matched ignoring case; the window stores them upper-cased too.
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    const double value = ParseValue(name, argument.substr(equals + 1));
    return {name, value};
}

// An argument that begins with "-" is an option, unless it reads as the start
// of an expression such as "-5+3" or "-(2)".
bool LooksLikeOption(std::string_view argument) {
    return argument.size() > 1 && argument[0] == '-' && !vornel::IsNumberChar(argument[1]) &&
           argument[1] != '(';
}

// Reads the option `argument`; `next` gives the argument after it.
template <class Next>
void ReadOption(std::string_view argument, Next next, Options& options) {
    if (argument == "-v") {
        options.variables.push_back(ParseVariable(next()));
    } else if (argument == "-f") {
        options.file = std::string(next());
    } else if (argument == "--raw") {
        options.raw = true;
    } else if (argument == "--json") {
        options.json = true;
    } else if (argument == "--strict") {
        options.strict = true;
    } else if (argument == "--quiet") {
        options.quiet = true;
    } else if (argument == "--help" || argument == "-h") {
        options.help = true;
    } else {
        throw UsageError{"unknown option " + std::string(argument)};
    }
}

}  // namespace

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
        try {
            if (!onlyExpression && argument == "--") {
                onlyExpression = true;
            } else if (!onlyExpression && LooksLikeOption(argument)) {
                ReadOption(argument, next, options);
            } else if (options.expression) {
                throw UsageError{"give one expression only (quote it if it holds spaces)"};
            } else {
                options.expression = std::string(argument);
            }
        } catch (UsageError& error) {
            if (!options.error) {
                options.error = std::move(error);
            }
        }
    }
    if (!options.error && options.raw && options.json) {
        options.error = UsageError{"give either --raw or --json, not both"};
    }
    if (!options.error && options.file && options.expression) {
        options.error = UsageError{"give either -f FILE or an expression, not both"};
    }
    return options;
}

}  // namespace cli
