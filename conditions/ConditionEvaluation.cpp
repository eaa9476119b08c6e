#include "ConditionEvaluation.h"

#include <locale>

#include "Grammar.h"
#include "NumberText.h"
#include "Operations.h"
#include "Text.h"

namespace vornel {

namespace {

constexpr std::string_view kTrue = "TRUE";
constexpr std::string_view kFalse = "FALSE";

std::string Normalized(std::string_view value) {
    return ToUpper(TrimSpaces(value));
}

std::string Truth(bool value) {
    return std::string(value ? kTrue : kFalse);
}

// The user's collating order, from the environment's locale; the classic
// order when the environment names none or one that is not installed.
const std::collate<char>& UserCollate() {
    static const std::locale locale = [] {
        try {
            return std::locale("");
        } catch (const std::runtime_error&) {
            return std::locale::classic();
        }
    }();
    return std::use_facet<std::collate<char>>(locale);
}

int CollateCompare(std::string_view a, std::string_view b) {
    return UserCollate().compare(a.data(), a.data() + a.size(), b.data(), b.data() + b.size());
}

// The relation of a comparison production: 7 to 12 and 15 to 20 run through
// the same six relations in the same order.
std::string_view RelationOf(int production) {
    constexpr std::string_view kRelations[] = {">", "<", "=", ">=", "<=", "<>"};
    return kRelations[(production <= 12 ? production - 7 : production - 15)];
}

// Whether a three-way comparison's result (negative, zero, positive) stands
// in `relation`; any text that is not one of the six relations is false.
bool RelationHolds(int order, std::string_view relation) {
    if (relation == ">")
        return order > 0;
    if (relation == "<")
        return order < 0;
    if (relation == "=")
        return order == 0;
    if (relation == "<>")
        return order != 0;
    if (relation == ">=")
        return order >= 0;
    if (relation == "<=")
        return order <= 0;
    return false;
}

std::string Arithmetic(std::string_view left, std::string_view right, OpKind op) {
    const double x = ReadConditionNumber(left);
    const double y = ReadConditionNumber(right);
    return NumberText(ApplyBinary(x, y, op));
}

}  // namespace

bool CompareValues(double a, double b, std::string_view relation) {
    return RelationHolds(a < b ? -1 : (a > b ? 1 : 0), relation);
}

bool CompareValues(std::string_view a, std::string_view b, std::string_view relation) {
    const std::string x = ToUpper(a);
    const std::string y = ToUpper(b);
    return RelationHolds(CollateCompare(x, y), relation);
}

std::string EvaluateReduction(const HandleValues& values, int production) {
    const std::string left = Normalized(values[1]);
    switch (production) {
        // P1  S -> S|L
        case 1:
            return Truth(!(left == kFalse && Normalized(values[3]) == kFalse));
        // P3  L -> L&R
        case 3:
            return Truth(left == kTrue && Normalized(values[3]) == kTrue);
        // P5  R -> (S),  P27  F -> (E),  P31  C -> (D)
        case 5:
        case 27:
        case 31:
            return Normalized(values[2]);
        // P7-P12  M -> E>E | E<E | E=E | E>=E | E<=E | E<>E
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
        case 12:
            return Truth(CompareValues(ReadConditionNumber(left),
                                       ReadConditionNumber(Normalized(values[3])),
                                       RelationOf(production)));
        // P15-P20  M -> D>D | D<D | D=D | D>=D | D<=D | D<>D
        case 15:
        case 16:
        case 17:
        case 18:
        case 19:
        case 20:
            return Truth(CompareValues(left, Normalized(values[3]), RelationOf(production)));
        // P21  E -> E+T,  P22  E -> E-T
        case 21:
            return Arithmetic(left, Normalized(values[3]), OpKind::Plus);
        case 22:
            return Arithmetic(left, Normalized(values[3]), OpKind::Minus);
        // P24  T -> T*F,  P25  T -> T/F
        case 24:
            return Arithmetic(left, Normalized(values[3]), OpKind::Times);
        case 25:
            return Arithmetic(left, Normalized(values[3]), OpKind::Divide);
        // P29  D -> D+C: the operands are joined as they stand.
        case 29:
            return values[1] + values[3];
        // P2, P4, P6, P13, P14, P23, P26, P28, P30, P32: one symbol, passed on.
        default:
            return left;
    }
}

}  // namespace vornel
