#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include <vornel/Formula.h>
#include <vornel/MessageSink.h>
#include <vornel/Outcome.h>
#include <vornel/TextOrder.h>
#include <vornel/VariableTable.h>

namespace vornel {

// The calculating engine. Store the variables with SetVariable, then evaluate
// formulas with Evaluate (which shows nothing) or CalculateResult (which shows
// a failure through the MessageSink).
//
// Thread safety: an Exp holds no shared state. One object must be used by one
// thread at a time; separate objects may be used on separate threads at once.
// Memory exhaustion while evaluating terminates the program.
class Exp {
public:
    // An engine whose messages (from SetVariable and CalculateResult) are
    // discarded. Evaluate reports everything through its outcome.
    Exp() noexcept;

    // An engine that shows its messages through `messages`, which must outlive
    // the object.
    explicit Exp(MessageSink& messages) noexcept;

    // Stores a copy of `name` (unchanged) and `value` in slot `index` (0 to 32) and
    // returns 1. An index above 32 shows "Max number is32" (no icon, no title)
    // and returns 0; a negative index shows a critical box titled
    // "Error Number-9" and returns 0. The table is unchanged when 0 is returned.
    // A name is matched in formulas ignoring letter case; the lower slot wins
    // when two slots hold the same name. Names that a formula can reach are
    // those CheckVariableName (vornel/Names.h) accepts.
    std::int16_t SetVariable(std::int16_t index, std::string_view name, double value) {
        // Inline: a program that evaluates one formula many times calls this
        // before every evaluation.
        if (index < 0 || index > MaxFactor()) [[unlikely]] {
            return RefuseSlot(index);
        }
        m_variables.Store(static_cast<std::size_t>(index), name, value);
        return 1;
    }

    // The highest valid slot index: always 32.
    std::int16_t MaxFactor() const { return kVariableSlots - 1; }

    // Evaluates an arithmetic expression or an If block over the stored
    // variables, without showing anything. The text is UTF-8; lengths and
    // positions count characters. On failure the outcome carries its number,
    // its cause, the range of `expression` it concerns, and the value 0. The
    // range is worked out only when a failure happens. Evaluating does not
    // change the object, so the same object may evaluate any number of
    // formulas.
    // Evaluating is Compile followed by Formula::Evaluate; up to 1,000
    // characters it allocates nothing.
    [[nodiscard]] Outcome Evaluate(std::string_view expression) const noexcept;

    // Compiles `text` once for any number of evaluations, against the names
    // stored now (see vornel/Formula.h). Never fails: a text that cannot be
    // evaluated compiles to a formula whose evaluation reports the failure.
    [[nodiscard]] Formula Compile(std::string_view text) const;

    // Evaluate, then on failure shows "Invalid Expression!" titled
    // "Error Number-N" (exclamation icon) and returns 0.
    double CalculateResult(const std::string& expressionString);

    // CalculateResult, returning the whole outcome: the same box is shown
    // (and has been dismissed when this returns), and the caller can point
    // at the place of the failure.
    [[nodiscard]] Outcome CalculateOutcome(std::string_view expression);

    // How conditions order texts; TextOrder::UserLocale unless set.
    void SetTextOrder(TextOrder order) noexcept { m_textOrder = order; }
    [[nodiscard]] TextOrder GetTextOrder() const noexcept { return m_textOrder; }

    // The stored variables, slot by slot.
    const VariableTable& Variables() const { return m_variables; }

private:
    // Shows why slot `index` cannot be stored; returns 0.
    std::int16_t RefuseSlot(std::int16_t index) const;

    MessageSink* m_messages;
    VariableTable m_variables;
    TextOrder m_textOrder = TextOrder::UserLocale;
};

// Defined here, where Exp is complete, so that a program that evaluates one
// formula many times works out a short formula itself, and calls the machine
// code of a longer one directly.
inline Outcome Formula::Evaluate(const Exp& variables) const noexcept {
    const void* values = variables.Variables().Values();
    double value = 0;
    if (m_short.op == detail::ShortArithmetic::Op::None) [[likely]] {
        value = m_machine.load(std::memory_order_acquire)(values);
        if (!std::isnan(value)) [[likely]] {
            return Outcome{value};
        }
    } else if (m_short.Run(values, value)) [[likely]] {
        return Outcome{value};
    }
    return EvaluateInLibrary(variables);
}

}  // namespace vornel
