#include "FuzzCase.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>

#include <vornel/Display.h>
#include <vornel/Exp.h>

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
    return first.Succeeded() ? NumberText(first.value) : "#" + std::to_string(first.failure);
}

}  // namespace vornel::fuzz
