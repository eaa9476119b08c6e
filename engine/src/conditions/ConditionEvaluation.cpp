#include "ConditionEvaluation.h"

#include <algorithm>
#include <locale>

#include "Grammar.h"
#include "NumberText.h"
#include "Operations.h"
#include "Text.h"

namespace vornel {

char* ValueArena::Take(std::size_t size) {
    if (static_cast<std::size_t>(m_end - m_top) < size) {
        const std::size_t block = std::max(size, 2 * m_buffer.size());
        m_blocks.push_back(std::make_unique<char[]>(block));
        m_top = m_blocks.back().get();
        m_end = m_top + block;
    }
    char* const at = m_top;
    m_top += size;
    return at;
}

std::string_view ValueArena::Keep(std::string_view text) {
    char* const at = Take(text.size());
    std::copy(text.begin(), text.end(), at);
    return {at, text.size()};
}

std::string_view ValueArena::Join(std::string_view left, std::string_view right) {
    if (!left.empty() && left.data() + left.size() == m_top &&
        static_cast<std::size_t>(m_end - m_top) >= right.size()) {
        m_top = std::copy(right.begin(), right.end(), m_top);
        return {left.data(), left.size() + right.size()};
    }
    char* const at = Take(left.size() + right.size());
    std::copy(right.begin(), right.end(), std::copy(left.begin(), left.end(), at));
    return {at, left.size() + right.size()};
}

std::string_view ValueArena::KeepNumberText(double value) {
    char* const at = Take(kNumberTextCapacity);
    const std::size_t size = WriteNumberText(value, at);
    m_top = at + size;  // the rest is not used
    return {at, size};
}

namespace {

// Whether upper-casing could change the text: a lower-case ASCII letter, or
// any character outside ASCII.
bool MayChangeInUpperCase(std::string_view text) {
    for (const char c : text) {
        if ((c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return false;
}

// The normalised form: trimmed of spaces, upper-cased. Most values already
// are, and then the result views them.
std::string_view Normalized(std::string_view value, ValueArena& arena) {
    const std::string_view trimmed = TrimSpaces(value);
    return MayChangeInUpperCase(trimmed) ? arena.Keep(ToUpper(trimmed)) : trimmed;
}

std::string_view Truth(bool value) {
    return value ? kTrue : kFalse;
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

int CompareTexts(std::string_view a, std::string_view b, TextOrder order) {
    if (order == TextOrder::CodePoint) {
        return a.compare(b);  // UTF-8 bytes, compared unsigned, keep code point order
    }
    return UserCollate().compare(a.data(), a.data() + a.size(), b.data(), b.data() + b.size());
}

// Whether `n` was worked out; when it was not, its failure goes to `fault`.
bool Worked(const Checked& n, EvaluationFailure& fault) {
    if (n.Failed()) {
        fault = n.Fault();
        return false;
    }
    return true;
}

std::string_view Arithmetic(std::string_view left, std::string_view right, OpKind op,
                            ValueArena& arena, EvaluationFailure& fault) {
    const Checked x = ReadConditionNumber(left);
    if (!Worked(x, fault)) {
        return {};
    }
    const Checked y = ReadConditionNumber(right);
    if (!Worked(y, fault)) {
        return {};
    }
    const Checked z = ApplyBinary(x.value, y.value, op);
    if (!Worked(z, fault)) {
        return {};
    }
    return arena.KeepNumberText(z.value);
}

}  // namespace

bool ComparisonHolds(int order, int production) {
    switch (production <= 12 ? production - 7 : production - 15) {
        case 0:
            return order > 0;
        case 1:
            return order < 0;
        case 2:
            return order == 0;
        case 3:
            return order >= 0;
        case 4:
            return order <= 0;
        default:
            return order != 0;
    }
}

bool TextsHold(std::string_view a, std::string_view b, int production, TextOrder order) {
    // The operands of a reduction are upper-cased already: they are compared
    // as they stand.
    std::string upperA;
    std::string upperB;
    if (MayChangeInUpperCase(a)) {
        a = upperA = ToUpper(a);
    }
    if (MayChangeInUpperCase(b)) {
        b = upperB = ToUpper(b);
    }
    return ComparisonHolds(CompareTexts(a, b, order), production);
}

std::string_view EvaluateReduction(std::string_view leftValue, std::string_view middle,
                                   std::string_view right, int production, TextOrder order,
                                   ValueArena& arena, EvaluationFailure& fault) {
    const std::string_view left = Normalized(leftValue, arena);
    switch (production) {
        // P1  S -> S|L
        case 1:
            return Truth(!(left == kFalse && Normalized(right, arena) == kFalse));
        // P3  L -> L&R
        case 3:
            return Truth(left == kTrue && Normalized(right, arena) == kTrue);
        // P5  R -> (S),  P27  F -> (E),  P31  C -> (D)
        case 5:
        case 27:
        case 31:
            return Normalized(middle, arena);
        // P7-P12  M -> E>E | E<E | E=E | E>=E | E<=E | E<>E
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
        case 12: {
            // Left first: when both operands fail, the left one's failure is
            // the one reported, as in arithmetic.
            const Checked x = ReadConditionNumber(left);
            if (!Worked(x, fault)) {
                return {};
            }
            const Checked y = ReadConditionNumber(Normalized(right, arena));
            if (!Worked(y, fault)) {
                return {};
            }
            return Truth(ComparisonHolds(NumberOrder(x.value, y.value), production));
        }
        // P15-P20  M -> D>D | D<D | D=D | D>=D | D<=D | D<>D
        case 15:
        case 16:
        case 17:
        case 18:
        case 19:
        case 20:
            return Truth(TextsHold(left, Normalized(right, arena), production, order));
        // P21  E -> E+T,  P22  E -> E-T
        case 21:
            return Arithmetic(left, Normalized(right, arena), OpKind::Plus, arena, fault);
        case 22:
            return Arithmetic(left, Normalized(right, arena), OpKind::Minus, arena, fault);
        // P24  T -> T*F,  P25  T -> T/F
        case 24:
            return Arithmetic(left, Normalized(right, arena), OpKind::Times, arena, fault);
        case 25:
            return Arithmetic(left, Normalized(right, arena), OpKind::Divide, arena, fault);
        // P29  D -> D+C: the operands are joined as they stand.
        case 29:
            return arena.Join(leftValue, right);
        // P2, P4, P6, P13, P14, P23, P26, P28, P30, P32: one symbol, passed on.
        default:
            return left;
    }
}

}  // namespace vornel
