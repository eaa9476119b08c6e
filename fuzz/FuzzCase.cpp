#include "FuzzCase.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <vector>

#include "Exp.h"
#include "NumberText.h"

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

struct Shown {
    std::string prompt;
    std::string title;
    MessageIcon icon;
};

class RecordingSink : public MessageSink {
public:
    void ShowMessage(std::string_view prompt, std::string_view title, MessageIcon icon) override {
        shown.push_back({std::string(prompt), std::string(title), icon});
    }
    std::vector<Shown> shown;
};

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "engine contract broken: %s\n", what);
    std::abort();
}

bool IsFailureTitle(const std::string& title) {
    for (const char* number : {"5", "6", "9", "11", "13"}) {
        if (title == std::string("Error Number-") + number) {
            return true;
        }
    }
    return false;
}

// A slot index from 0 to 32 stores silently; any other shows its one box.
void CheckSetVariable(Exp& engine, RecordingSink& sink, const FuzzVariable& variable) {
    sink.shown.clear();
    const auto stored = engine.SetVariable(variable.index, variable.name, variable.value);
    const bool valid = variable.index >= 0 && variable.index <= engine.MaxFactor();
    if (stored != (valid ? 1 : 0) || sink.shown.size() != (valid ? 0u : 1u)) {
        Broken("SetVariable's result does not match the slot index");
    }
    if (valid) {
        return;
    }
    const Shown& message = sink.shown.front();
    const bool tooHigh = message.prompt == "Max number is32" && message.title.empty() &&
                         message.icon == MessageIcon::None;
    const bool negative =
        message.title == "Error Number-9" && message.icon == MessageIcon::Critical;
    if (variable.index > engine.MaxFactor() ? !tooHigh : !negative) {
        Broken("SetVariable showed the wrong box for a slot out of range");
    }
}

// One evaluation's outcome: the value's bits, or the failure's title.
struct Outcome {
    double value;
    std::string failure;
};

Outcome Evaluate(Exp& engine, RecordingSink& sink, const std::string& expression) {
    sink.shown.clear();
    const double value = engine.CalculateResult(expression);
    if (sink.shown.empty()) {
        return {value, ""};
    }
    const Shown& message = sink.shown.front();
    if (sink.shown.size() != 1 || message.prompt != "Invalid Expression!" ||
        message.icon != MessageIcon::Exclamation || !IsFailureTitle(message.title)) {
        Broken("an evaluation showed a message other than one failure box");
    }
    if (value != 0 || std::signbit(value)) {
        Broken("a failed evaluation did not return 0");
    }
    return {value, message.title};
}

bool SameOutcome(const Outcome& a, const Outcome& b) {
    return a.failure == b.failure && std::memcmp(&a.value, &b.value, sizeof a.value) == 0;
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
    RecordingSink sink;
    Exp engine(sink);
    for (const auto& variable : input.variables) {
        CheckSetVariable(engine, sink, variable);
    }
    const Outcome first = Evaluate(engine, sink, input.expression);
    const Outcome second = Evaluate(engine, sink, input.expression);
    if (!SameOutcome(first, second)) {
        Broken("the same text evaluated twice gave two outcomes");
    }
    if (first.failure.empty()) {
        return NumberText(first.value);
    }
    std::string outcome = first.failure.substr(first.failure.find('-'));
    outcome[0] = '#';
    return outcome;
}

}  // namespace vornel::fuzz
