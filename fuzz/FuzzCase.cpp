#include "FuzzCase.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>

#include <vornel/Display.h>
#include <vornel/Exp.h>
#include <vornel/Formula.h>

namespace vornel::fuzz {

namespace {

// Values near the engine's edges: the window's start-up values, halves that
// round to even, 15 and 16 digits, the 16- and 32-bit limits, the ends of a
// double, and values no text can hold.
constexpr double kValueTable[] = {
    0,
    100,
    200,
    300,
    400,
    500,
    1,
    -1,
    0.5,
    -2.5,
    1.0 / 3,
    0.1,
    32767,
    -32768,
    2147483647.5,
    -2147483648.5,
    1e15,
    123456789012345678.0,
    1e-20,
    1.7976931348623157e308,
    -1.7976931348623157e308,
    4.9e-324,
    std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::quiet_NaN(),
    -0.0,
};

constexpr std::uint8_t kRawValue = 0xF0;

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "engine contract broken: %s\n", what);
    std::abort();
}

bool IsFailureNumber(int number) {
    for (const int known :
         {failure::kInvalidArgument, failure::kOverflow, failure::kSubscriptOutOfRange,
          failure::kDivisionByZero, failure::kTypeMismatch}) {
        if (number == known) {
            return true;
        }
    }
    return false;
}

// A slot index from 0 to 32 stores; any other is refused.
void CheckSetVariable(Exp& engine, const FuzzVariable& variable) {
    const auto stored = engine.SetVariable(variable.index, variable.name, variable.value);
    const bool valid = variable.index >= 0 && variable.index <= engine.MaxFactor();
    if (stored != (valid ? 1 : 0)) {
        Broken("SetVariable's result does not match the slot index");
    }
}

// One evaluation's outcome, checked: a failure is one of the defined numbers
// and comes with the value 0.
Outcome Evaluate(const Exp& engine, const std::string& expression) {
    const Outcome outcome = engine.Evaluate(expression);
    if (!outcome.Succeeded() && !IsFailureNumber(outcome.failure)) {
        Broken("an evaluation failed with an undefined number");
    }
    if (!outcome.Succeeded() && (outcome.value != 0 || std::signbit(outcome.value))) {
        Broken("a failed evaluation did not return 0");
    }
    // A failure's place lies within the text: its last character exists.
    const bool placeInText =
        outcome.begin <= outcome.end &&
        (outcome.end == 0 || CharacterOffset(expression, outcome.end - 1) < expression.size());
    if (outcome.Succeeded() ? outcome.begin != 0 || outcome.end != 0 : !placeInText) {
        Broken("a failure's place lies outside the text, or a success has one");
    }
    return outcome;
}

bool SameOutcome(const Outcome& a, const Outcome& b) {
    return a.failure == b.failure && a.begin == b.begin && a.end == b.end && a.cause == b.cause &&
           std::memcmp(&a.value, &b.value, sizeof a.value) == 0;
}

std::string OutcomeText(const Outcome& outcome) {
    return outcome.Succeeded() ? NumberText(outcome.value) : "#" + std::to_string(outcome.failure);
}

// The formula's outcome over `engine`, which must be the text's own.
Outcome EvaluateCompiled(const Formula& formula, const Exp& engine, const std::string& text) {
    const Outcome compiled = formula.Evaluate(engine);
    if (!SameOutcome(compiled, Evaluate(engine, text))) {
        Broken("a compiled formula's outcome differs from Exp::Evaluate of its text");
    }
    return compiled;
}

// Values and choices for the tables of a compiled case, from a seed made of
// the case (SplitMix64).
class Draw {
public:
    explicit Draw(const FuzzCase& input) {
        Mix(input.expression);
        for (const auto& variable : input.variables) {
            Mix(variable.name);
            m_state ^= std::bit_cast<std::uint64_t>(variable.value);
            Next();
        }
    }

    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
        return z ^ (z >> 31);
    }

    // A telling value three times in four, else any double.
    double Value() {
        const std::uint64_t r = Next();
        return r % 4 != 0 ? kValueTable[(r >> 8) % std::size(kValueTable)]
                          : std::bit_cast<double>(Next());
    }

    // One time in eight: another name, the name without its last character
    // (empty for one letter, which empties the slot), or with "1" added.
    std::string Name(const std::string& name) {
        const std::uint64_t r = Next();
        if (r % 8 != 0) {
            return name;
        }
        return (r >> 8) % 2 == 0 ? name.substr(0, name.empty() ? 0 : name.size() - 1) : name + "1";
    }

private:
    void Mix(const std::string& text) {
        for (const char c : text) {
            m_state = (m_state ^ static_cast<unsigned char>(c)) * 0x100000001B3;
        }
        Next();
    }

    std::uint64_t m_state = 0xCBF29CE484222325;
};

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_pos >= m_size; }
    std::uint8_t Byte() { return Empty() ? 0 : m_data[m_pos++]; }

    std::string Bytes(std::size_t count) {
        const std::size_t n = count < m_size - m_pos ? count : m_size - m_pos;
        std::string out(reinterpret_cast<const char*>(m_data + m_pos), n);
        m_pos += n;
        return out;
    }

    double Value() {
        const std::uint8_t selector = Byte();
        if (selector < kRawValue) {
            return kValueTable[selector % std::size(kValueTable)];
        }
        std::uint64_t bits = 0;
        const std::string raw = Bytes(sizeof bits);
        std::memcpy(&bits, raw.data(), raw.size());
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

}  // namespace

FuzzCase DecodeFuzzInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    FuzzCase result;
    const int count = in.Byte() % 6;
    for (int k = 0; k < count && !in.Empty(); ++k) {
        FuzzVariable variable;
        variable.index = static_cast<std::int16_t>(in.Byte() % 36 - 1);
        variable.name = in.Bytes(in.Byte() % 8);
        variable.value = in.Value();
        result.variables.push_back(std::move(variable));
    }
    result.expression = in.Bytes(size);
    return result;
}

std::string RunFuzzCase(const FuzzCase& input) {
    Exp engine;
    for (const auto& variable : input.variables) {
        CheckSetVariable(engine, variable);
    }
    const Outcome first = Evaluate(engine, input.expression);
    const Outcome second = Evaluate(engine, input.expression);
    if (!SameOutcome(first, second)) {
        Broken("the same text evaluated twice gave two outcomes");
    }
    return OutcomeText(first);
}

std::string RunCompiledFuzzCase(const FuzzCase& input) {
    Formula formula;
    {
        Exp compiler;
        for (const auto& variable : input.variables) {
            compiler.SetVariable(variable.index, variable.name, variable.value);
        }
        formula = compiler.Compile(input.expression);
    }
    Exp engine;
    for (const auto& variable : input.variables) {
        CheckSetVariable(engine, variable);
    }
    const Outcome first = EvaluateCompiled(formula, engine, input.expression);
    Draw draw(input);
    for (int round = 1; round < kCompiledRounds; ++round) {
        for (const auto& variable : input.variables) {
            CheckSetVariable(engine, {variable.index, draw.Name(variable.name), draw.Value()});
        }
        EvaluateCompiled(formula, engine, input.expression);
    }
    return OutcomeText(first);
}

}  // namespace vornel::fuzz
