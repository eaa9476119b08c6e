#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <vornel/Exp.h>

#include "Failure.h"
#include "NumberText.h"

namespace vornel::test {

// One row of a table: a text and what it gives.
struct Row {
    std::string text;
    std::string expected;
};

// Checks each row against `give(text)`, naming the row when it fails.
template <class F>
void ExpectRows(std::initializer_list<Row> rows, F&& give) {
    for (const Row& row : rows) {
        EXPECT_EQ(give(row.text), row.expected) << '"' << row.text << '"';
    }
}

struct Message {
    std::string prompt;
    std::string title;
    MessageIcon icon;
};

class RecordingSink : public MessageSink {
public:
    void ShowMessage(std::string_view prompt, std::string_view title, MessageIcon icon) override {
        messages.push_back({std::string(prompt), std::string(title), icon});
    }
    std::vector<Message> messages;
};

// The outcome of an evaluation written as one text: the value's number text
// ("7", "-0.5"), or "#N" for failure number N.
template <class F>
std::string OutcomeText(F&& evaluate) {
    EvaluationFailure failure{failure::kNone};
    const double value = std::forward<F>(evaluate)(failure);
    return failure.number != failure::kNone ? "#" + std::to_string(failure.number)
                                            : NumberText(value);
}

// The start-up variables of the window: A to E hold 100 to 500.
inline void SetStartupVariables(Exp& engine) {
    const char* names[] = {"A", "B", "C", "D", "E"};
    for (int i = 0; i < 5; ++i) {
        engine.SetVariable(static_cast<std::int16_t>(i), names[i], 100.0 * (i + 1));
    }
}

// Evaluates through the engine's surface with A..E = 100..500 unless told
// otherwise; a failure shows as "#N".
inline std::string Calculate(const std::string& text, bool startupVariables = true) {
    Exp engine;
    if (startupVariables) {
        SetStartupVariables(engine);
    }
    const vornel::Outcome outcome = engine.Evaluate(text);
    return outcome.Succeeded() ? NumberText(outcome.value) : "#" + std::to_string(outcome.failure);
}

// Readable names for table rows in test output.
inline std::string RowName(std::string text) {
    for (char& c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return text.empty() ? "empty" : text;
}

}  // namespace vornel::test
