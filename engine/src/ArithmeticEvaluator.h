#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Failure.h"
#include "Operations.h"
#include "Text.h"

namespace vornel {

inline constexpr int kStackSize = 256;

namespace precedence {

enum class Class { AddSub, MulDiv, Open, CloseOrComma, Function, Other };

constexpr Class ClassOf(OpKind op) {
    switch (op) {
        case OpKind::Plus:
        case OpKind::Minus:
            return Class::AddSub;
        case OpKind::Times:
        case OpKind::Divide:
            return Class::MulDiv;
        case OpKind::Open:
            return Class::Open;
        case OpKind::Close:
        case OpKind::Comma:
            return Class::CloseOrComma;
        case OpKind::Other:
            return Class::Other;
        default:
            return Class::Function;
    }
}

constexpr int Compare(OpKind upper, OpKind lower) {
    // Columns: lower is "+"/"-", "*"/"/", anything else.
    constexpr int kByClass[][3] = {
        /* "+" "-"        */ {0, -1, 1},
        /* "*" "/"        */ {1, 0, 1},
        /* "("            */ {1, 1, 1},
        /* ")" ","        */ {-1, -1, -1},
        /* function name  */ {1, 1, 1},
        /* any other text */ {2, 2, 2},
    };
    const Class lowerClass = ClassOf(lower);
    const int column = lowerClass == Class::AddSub ? 0 : lowerClass == Class::MulDiv ? 1 : 2;
    return kByClass[static_cast<int>(ClassOf(upper))][column];
}

// Every pair of kinds worked out once, for the evaluator's inner loop.
inline constexpr auto kTable = [] {
    std::array<std::array<std::int8_t, kOpKindCount>, kOpKindCount> table{};
    for (int upper = 0; upper < kOpKindCount; ++upper) {
        for (int lower = 0; lower < kOpKindCount; ++lower) {
            table[upper][lower] = static_cast<std::int8_t>(
                Compare(static_cast<OpKind>(upper), static_cast<OpKind>(lower)));
        }
    }
    return table;
}();

}  // namespace precedence

// Compares the operator just placed (upper) with the one below it (lower):
// above 0 means nothing is applied yet; 0 or -1 means lower is applied first.
inline int ComparePrecedence(OpKind upper, OpKind lower) {
    return precedence::kTable[static_cast<int>(upper)][static_cast<int>(lower)];
}
int ComparePrecedence(std::string_view upper, std::string_view lower);

// Evaluates a normalised expression (no white space, no variable names).
// Failures: 9 for a missing operand or operator, an empty text or a stack
// beyond 256 entries; 13 for a malformed number; 6 for a number beyond a
// double or a text of 32,767 characters or more; and those of the operations.
double EvaluateArithmetic(std::string_view text);

// One left-to-right pass with an operand stack and an operator stack of 256
// entries each, in the manner of an operator-precedence evaluator. The rules
// are exact, including on text that is not a well-formed expression, so the
// pass reads stale entries above the counts on purpose and never validates
// what it pops.
//
// The evaluator runs in two variants that differ only in the Policy:
//   kBottom            lowest readable stack position (1, or 0 when position
//                      0 is a usable scratch entry)
//   kCloseNeedsGroup   whether closing a group looks at the operator stack
//                      only when it holds an operator
//   ReadNumber(token)  the value of a number token
//   ApplyUnary(x, op)  ceil and floor
template <class Policy>
class ArithmeticEvaluator {
public:
    explicit ArithmeticEvaluator(std::string_view text) : m_text(text) {
        // The position counter is 16-bit: stepping past character 32,767
        // overflows it, wherever in the text that happens.
        m_positionLimit = text.size() >= kPositionLimit ? OffsetAfterChars(text, kPositionLimit)
                                                        : std::string_view::npos;
    }

    double Run() {
        std::size_t i = 0;
        while (i < m_text.size()) {
            const char ch = m_text[i];
            if (IsNumberChar(ch) || (ch == '-' && StartsSignedNumber(i))) {
                i = ReadNumber(i);
            } else if (IsOperatorSymbol(ch)) {
                PushOperator(ClassifySymbol(ch));
                i = Advance(i, 1);
                if (m_oc > 1) {
                    PlaceOperator(ch);
                }
            } else if (IsFunctionInitial(ch)) {
                i = ReadWord(i);
            } else {
                i = Advance(i, CharLength(m_text, i));
            }
        }
        return Finish();
    }

private:
    static bool IsOperatorSymbol(char c) {
        return c == '+' || c == '-' || c == '*' || c == '/' || c == '(' || c == ')' || c == ',';
    }

    // A minus sign belongs to the number at the very start of the text and
    // right after "(" or ",": there it can only be a sign.
    bool StartsSignedNumber(std::size_t i) const {
        return i == 0 || m_text[i - 1] == '(' || m_text[i - 1] == ',';
    }

    std::size_t Advance(std::size_t i, std::size_t by) const {
        i += by;
        if (i >= m_positionLimit) {
            Fail(EvaluationFailure::kOverflow);
        }
        return i;
    }

    std::size_t ReadNumber(std::size_t start) {
        std::size_t end = start + 1;
        while (end < m_text.size() && IsNumberChar(m_text[end])) {
            ++end;
        }
        Advance(end, 0);
        PushOperand(Policy::ReadNumber(m_text.substr(start, end - start)));
        return end;
    }

    // Any word that starts with a function's initial goes on the operator
    // stack, function name or not; what it does is decided when it is applied.
    std::size_t ReadWord(std::size_t start) {
        std::size_t end = start + 1;
        while (end < m_text.size() && IsLetter(m_text[end])) {
            ++end;
        }
        Advance(end, 0);
        PushOperator(ClassifyOperator(m_text.substr(start, end - start)));
        return end;
    }

    double& Operand(int p) {
        if (p < Policy::kBottom || p > kStackSize) {
            Fail(EvaluationFailure::kSubscriptOutOfRange);
        }
        return m_operands[static_cast<std::size_t>(p)];
    }

    OpKind& Operator(int p) {
        if (p < Policy::kBottom || p > kStackSize) {
            Fail(EvaluationFailure::kSubscriptOutOfRange);
        }
        return m_operators[static_cast<std::size_t>(p)];
    }

    void PushOperand(double value) { Operand(++m_nc) = value; }
    void PushOperator(OpKind op) { Operator(++m_oc) = op; }

    // Applies the operator at position p to the two top operands; the
    // operator entry itself stays where it is.
    void Reduce(int p) {
        double& left = Operand(m_nc - 1);
        const double right = Operand(m_nc);
        left = ApplyBinary(left, right, Operator(p));
        --m_nc;
    }

    // After a ")" has removed its "(": a function standing below it is now
    // applied to its arguments.
    void CloseGroup() {
        if (Policy::kCloseNeedsGroup && m_oc < 1) {
            return;
        }
        const OpKind top = Operator(m_oc);
        if (!IsFunctionName(top)) {
            return;
        }
        if (OperandCount(top) == 2) {
            Reduce(m_oc);
        } else {
            double& x = Operand(m_nc);
            x = Policy::ApplyUnary(x, top);
        }
        --m_oc;
    }

    void PlaceOperator(char symbol) {
        switch (symbol) {
            case ')':
                return PlaceClose();
            case ',':
                return PlaceComma();
            default:
                return PlaceArithmetic();
        }
    }

    // The entry below the operator just applied is taken to be the "(" without
    // a check: a text that is not well formed yields what these steps give.
    void PlaceClose() {
        if (Operator(m_oc - 1) == OpKind::Open) {
            m_oc -= 2;
            return CloseGroup();
        }
        Reduce(m_oc - 1);
        Operator(m_oc - 1) = OpKind::Close;
        --m_oc;
        if (Operator(m_oc - 1) == OpKind::Open) {
            m_oc -= 2;
            return CloseGroup();
        }
        Reduce(m_oc - 1);
        m_oc -= 3;
        CloseGroup();
    }

    // A "," finishes one argument; the "(" stays for the next one.
    void PlaceComma() {
        if (Operator(m_oc - 1) == OpKind::Open) {
            --m_oc;
            return;
        }
        Reduce(m_oc - 1);
        Operator(m_oc - 1) = OpKind::Comma;
        --m_oc;
        if (Operator(m_oc - 1) == OpKind::Open) {
            --m_oc;
            return;
        }
        Reduce(m_oc - 1);
        m_oc -= 2;
    }

    void PlaceArithmetic() {
        while (ComparePrecedence(Operator(m_oc), Operator(m_oc - 1)) <= 0) {
            Reduce(m_oc - 1);
            Operator(m_oc - 1) = Operator(m_oc);
            --m_oc;
            if (m_oc <= 1) {
                return;
            }
        }
    }

    // Whatever is left is folded from the bottom of the stacks upwards, over
    // entries that earlier steps left above the counts: that is what gives
    // "3+" its value 3.
    double Finish() {
        if (m_oc > 1 && ComparePrecedence(Operator(m_oc), Operator(m_oc - 1)) == 1) {
            Reduce(m_oc);
            --m_oc;
        }
        for (int k = 1; k <= m_oc; ++k) {
            double& next = Operand(k + 1);
            next = ApplyBinary(Operand(k), next, Operator(k));
        }
        return Operand(m_nc);
    }

    std::string_view m_text;
    std::size_t m_positionLimit;
    std::array<double, kStackSize + 1> m_operands{};
    std::array<OpKind, kStackSize + 1> m_operators{};
    int m_nc = 0;
    int m_oc = 0;
};

}  // namespace vornel
