// A program outside the tree that uses the installed engine: stores
// NAME=VALUE arguments in slots 0, 1, ..., evaluates the last argument and
// prints the shortest text of the value and the failure number.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <vornel/Exp.h>

int main(int argc, char** argv) {
    vornel::Exp engine;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string argument = argv[i];
        const auto equals = argument.find('=');
        engine.SetVariable(static_cast<std::int16_t>(i - 1), argument.substr(0, equals),
                           std::strtod(argument.c_str() + equals + 1, nullptr));
    }
    const vornel::Outcome outcome = engine.Evaluate(argc > 1 ? argv[argc - 1] : "");
    char value[64];
    const auto end = std::to_chars(value, value + sizeof value, outcome.value).ptr;
    std::printf("%.*s %d\n", static_cast<int>(end - value), value, outcome.failure);
    return outcome.Succeeded() ? 0 : 1;
}
