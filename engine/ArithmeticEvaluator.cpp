#include "ArithmeticEvaluator.h"

namespace vornel {

namespace {

enum class PrecedenceClass { AddSub, MulDiv, Open, CloseOrComma, Function, Other };

PrecedenceClass ClassOf(OpKind op) {
    switch (op) {
        case OpKind::Plus:
        case OpKind::Minus:
            return PrecedenceClass::AddSub;
        case OpKind::Times:
        case OpKind::Divide:
            return PrecedenceClass::MulDiv;
        case OpKind::Open:
            return PrecedenceClass::Open;
        case OpKind::Close:
        case OpKind::Comma:
            return PrecedenceClass::CloseOrComma;
        case OpKind::Other:
            return PrecedenceClass::Other;
        default:
            return PrecedenceClass::Function;
    }
}

struct ArithmeticPolicy {
    static constexpr int kBottom = 1;
    static constexpr bool kCloseNeedsGroup = true;
    static double ReadNumber(std::string_view token) { return ReadNumberToken(token); }
    static double ApplyUnary(double x, OpKind op) { return vornel::ApplyUnary(x, op); }
};

}  // namespace

int ComparePrecedence(OpKind upper, OpKind lower) {
    // Columns: lower is "+"/"-", "*"/"/", anything else.
    static constexpr int kTable[][3] = {
        /* "+" "-"        */ {0, -1, 1},
        /* "*" "/"        */ {1, 0, 1},
        /* "("            */ {1, 1, 1},
        /* ")" ","        */ {-1, -1, -1},
        /* function name  */ {1, 1, 1},
        /* any other text */ {2, 2, 2},
    };
    const auto lowerClass = ClassOf(lower);
    const int column = lowerClass == PrecedenceClass::AddSub   ? 0
                       : lowerClass == PrecedenceClass::MulDiv ? 1
                                                               : 2;
    return kTable[static_cast<int>(ClassOf(upper))][column];
}

int ComparePrecedence(std::string_view upper, std::string_view lower) {
    return ComparePrecedence(ClassifyOperator(upper), ClassifyOperator(lower));
}

double EvaluateArithmetic(std::string_view text) {
    return ArithmeticEvaluator<ArithmeticPolicy>(text).Run();
}

}  // namespace vornel
