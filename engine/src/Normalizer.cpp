#include "Normalizer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "ArithmeticEvaluator.h"
#include "Failure.h"
#include "Text.h"

namespace vornel {

namespace {

enum CharClass : std::uint8_t { kPlain, kBlank, kNameStart, kNameRest };

// What each byte is to the normaliser: a blank (space, tab, CR, LF), a
// character that starts a name, one that only continues it, or plain.
constexpr auto kCharClasses = [] {
    std::array<CharClass, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        classes[static_cast<std::size_t>(c)] = (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n')
                                                   ? kBlank
                                               : IsNameStart(ch) ? kNameStart
                                               : IsNameChar(ch)  ? kNameRest
                                                                 : kPlain;
    }
    return classes;
}();

CharClass ClassOf(char c) {
    return kCharClasses[static_cast<unsigned char>(c)];
}

// The bytes that continue a run of plain text: neither a blank nor the start
// of a name.
constexpr auto kInPlainRun = [] {
    std::array<bool, 256> inRun{};
    for (std::size_t c = 0; c < 256; ++c) {
        inRun[c] = kCharClasses[c] == kPlain || kCharClasses[c] == kNameRest;
    }
    return inRun;
}();

// Walks the text as NormalizeExpression reads it and hands each piece of the
// result to the callbacks in order: plain(i) stands for the character
// text[i], which passes as it is; name(begin, end, entry) for the name
// text[begin, end), which is the variable `entry` (its value in parentheses
// takes the name's place) or no variable when `entry` is -1.
template <class Plain, class Name>
[[gnu::always_inline]] inline void WalkNormalized(std::string_view text,
                                                  const VariableLookup& variables, Plain&& plain,
                                                  Name&& name) {
    std::size_t i = 0;
    while (i < text.size()) {
        const CharClass kind = ClassOf(text[i]);
        if (kind == kBlank) {
            ++i;
        } else if (kind != kNameStart) {
            plain(i++);
        } else {
            const std::size_t start = i;
            while (++i < text.size() && ClassOf(text[i]) >= kNameStart) {
            }
            name(start, i, variables.Find(text.substr(start, i - start)));
        }
    }
}

// Copies `count` bytes; the pieces of a formula are mostly a few bytes long,
// which a loop copies faster than a call.
void CopyBytes(char* to, const char* from, std::size_t count) {
    if (count > 16) {
        std::memcpy(to, from, count);
        return;
    }
    for (std::size_t k = 0; k < count; ++k) {
        to[k] = from[k];
    }
}

// Names are the only pieces that hold letters, so for a plain ASCII text
// upper-casing the names that are not variables upper-cases the whole text.
// The output is written into a buffer that only a value can outgrow:
// everything else is at most as long as the text it comes from.
// With `mark`, variables may be marked; returns how much longer the text
// would be with their values written out.
template <bool kUpperCaseNames, class String>
std::size_t Normalize(std::string_view text, const VariableLookup& variables, String& out,
                      bool mark) {
    CheckLength(text);
    bool markChecked = false;  // whether the text holds no mark itself
    out.assign(text.size(), '\0');
    std::size_t w = 0;
    std::size_t unwritten = 0;  // what the marks leave out of the values
    auto plain = [&](std::size_t i) { out[w++] = text[i]; };
    auto name = [&](std::size_t begin, std::size_t end, int entry) {
        if (entry < 0) {
            // Not a variable: the name passes, upper-cased when asked.
            for (std::size_t k = begin; k < end; ++k) {
                const char n = text[k];
                out[w++] =
                    (kUpperCaseNames && n >= 'a' && n <= 'z') ? static_cast<char>(n - 32) : n;
            }
            return;
        }
        bool asMark = mark && variables.Markable(entry);
        if (asMark && !markChecked) {
            mark = asMark = text.find(kVariableMark) == std::string_view::npos;
            markChecked = true;
        }
        if (asMark) {
            const std::size_t needed = w + 2 + (text.size() - end);
            if (needed > out.size()) {
                out.resize(std::max(needed, 2 * out.size()));
            }
            out[w++] = kVariableMark;
            out[w++] = static_cast<char>(entry);
            unwritten += variables.MarkedTextSize(entry);
            return;
        }
        const std::string_view value = variables.ValueText(entry);
        const std::size_t needed = w + value.size() + 2 + (text.size() - end);
        if (needed > out.size()) {
            out.resize(std::max(needed, 2 * out.size()));
        }
        out[w++] = '(';
        CopyBytes(out.data() + w, value.data(), value.size());
        w += value.size();
        out[w++] = ')';
    };
    WalkNormalized(text, variables, plain, name);
    out.resize(w);
    return unwritten;
}

// Normalize with marks where they may stand: a text that, written out,
// reaches the position limit is written out, since the evaluator must see it
// whole to fail where it does.
template <bool kUpperCaseNames>
bool NormalizeMarking(std::string_view text, const VariableLookup& variables, std::pmr::string& out,
                      bool mark) {
    const std::size_t unwritten = Normalize<kUpperCaseNames>(text, variables, out, mark);
    if (unwritten != 0 && out.size() + unwritten >= kPositionLimit) {
        Normalize<kUpperCaseNames>(text, variables, out, false);
        return false;
    }
    return unwritten != 0;
}

// A piece of the normalised text and the source text it came from.
struct Piece {
    std::size_t outBegin;
    std::size_t outEnd;
    std::size_t begin;
    std::size_t end;
    bool substituted;

    // The source offset where the output byte `out` begins (or, with
    // `after`, ends): inside a substituted value, the whole name.
    std::size_t Source(std::size_t out, bool after) const {
        if (substituted) {
            return after ? end : begin;
        }
        return begin + (out - outBegin) + (after ? 1 : 0);
    }
};

const Piece& PieceHolding(const std::vector<Piece>& pieces, std::size_t out) {
    for (const Piece& piece : pieces) {
        if (out < piece.outEnd) {
            return piece;
        }
    }
    return pieces.back();
}

// For a text grown too long by substitution: the variable whose value holds
// the place where the length ran out, or the last one put in before it.
std::optional<Piece> GrowingVariable(const std::vector<Piece>& pieces, std::size_t out) {
    std::optional<Piece> last;
    for (const Piece& piece : pieces) {
        if (piece.outBegin > out) {
            break;
        }
        if (piece.substituted) {
            last = piece;
        }
    }
    return last;
}

}  // namespace

void CheckLength(std::string_view text) {
    if (text.size() >= kPositionLimit && CharCount(text) >= kPositionLimit) {
        EvaluationFailure tooLong{EvaluationFailure::kOverflow, Cause::TooLong};
        tooLong.Place(0, text.size());
        throw tooLong;
    }
}

bool NeedsNormalizing(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return !kInPlainRun[static_cast<unsigned char>(c)]; });
}

std::string NormalizeExpression(std::string_view text, const VariableLookup& variables) {
    std::string out;
    Normalize<false>(text, variables, out, false);
    return out;
}

bool NormalizeExpression(std::string_view text, const VariableLookup& variables,
                         std::pmr::string& out, bool markVariables) {
    return NormalizeMarking<false>(text, variables, out, markVariables);
}

bool NormalizeAsciiExpression(std::string_view text, const VariableLookup& variables,
                              std::pmr::string& out, bool markVariables) {
    return NormalizeMarking<true>(text, variables, out, markVariables);
}

void PlaceInSource(EvaluationFailure& fault, std::string_view text,
                   const VariableLookup& variables) {
    std::vector<Piece> pieces;
    std::size_t out = 0;
    auto piece = [&](std::size_t begin, std::size_t end, int entry) {
        const std::size_t length = entry >= 0 ? variables.ValueText(entry).size() + 2 : end - begin;
        pieces.push_back({out, out + length, begin, end, entry >= 0});
        out += length;
    };
    WalkNormalized(
        text, variables, [&](std::size_t i) { piece(i, i + 1, -1); }, piece);
    if (!fault.Placed() || pieces.empty()) {
        fault.Place(0, text.size());
        return;
    }
    if (fault.cause == Cause::TooLong) {
        const auto variable = GrowingVariable(pieces, fault.begin);
        fault.Place(variable ? variable->begin : 0, variable ? variable->end : text.size());
        return;
    }
    const std::size_t begin = fault.begin;
    const std::size_t end = fault.end;
    if (begin == end) {
        // A place between characters: right after the character before it.
        const std::size_t at = begin == 0 ? pieces.front().begin
                                          : PieceHolding(pieces, begin - 1).Source(begin - 1, true);
        fault.Place(at, at);
        return;
    }
    fault.Place(PieceHolding(pieces, begin).Source(begin, false),
                PieceHolding(pieces, end - 1).Source(end - 1, true));
}

}  // namespace vornel
