#include "Normalizer.h"

#include <cassert>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "ArithmeticCompiler.h"
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

bool ReachesPositionLimit(std::string_view text) {
    return text.size() >= kPositionLimit && CharCount(text) >= kPositionLimit;
}

std::string NormalizeExpression(std::string_view text, const VariableLookup& variables) {
    assert(!ReachesPositionLimit(text));
    std::string out;
    out.reserve(text.size());
    WalkNormalized(
        text, variables, [&](std::size_t i) { out += text[i]; },
        [&](std::size_t begin, std::size_t end, int entry) {
            if (entry < 0) {
                out.append(text.substr(begin, end - begin));
            } else {
                out += '(';
                out.append(variables.ValueText(entry));
                out += ')';
            }
        });
    return out;
}

void NormalizeMarked(std::string_view text, const VariableLookup& variables, MarkedText& out,
                     NormalizeObserver* observer) {
    out.segments.clear();
    out.occurrences.fill(0);
    out.marks = 0;
    out.sourceSize = text.size();
    // Nothing grows but a one-letter name, which its mark makes two bytes.
    out.text.resize(2 * text.size());
    char* const begin = out.text.data();
    char* w = begin;
    std::size_t lastEnd = 0;  // where the text written last ended
    bool lastNumber = false;  // whether it ended with a number's character
    // Copies text[from, to) as it is: a new segment unless it carries on
    // the one before.
    auto copy = [&](std::size_t from, std::size_t to) {
        if (out.segments.empty() || out.segments.back().variable || from != lastEnd) {
            if (observer != nullptr && from != lastEnd && lastNumber && IsNumberChar(text[from])) {
                observer->JoinedNumbers(lastEnd, from);
            }
            out.segments.push_back({static_cast<std::uint32_t>(w - begin),
                                    static_cast<std::uint32_t>(from), 0, false});
        }
        std::memcpy(w, text.data() + from, to - from);
        w += to - from;
        lastEnd = to;
        lastNumber = IsNumberChar(text[to - 1]);
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const CharClass kind = ClassOf(text[i]);
        if (kind == kBlank) {
            ++i;
        } else if (kind != kNameStart) {
            std::size_t end = i + 1;
            while (end < text.size() && kInPlainRun[static_cast<unsigned char>(text[end])]) {
                ++end;
            }
            copy(i, end);
            i = end;
        } else {
            const std::size_t start = i;
            while (++i < text.size() && ClassOf(text[i]) >= kNameStart) {
            }
            const int entry = variables.Find(text.substr(start, i - start));
            if (entry < 0) {
                if (observer != nullptr) {
                    observer->UnknownName(start, i);
                }
                copy(start, i);
                continue;
            }
            out.segments.push_back({static_cast<std::uint32_t>(w - begin),
                                    static_cast<std::uint32_t>(start),
                                    static_cast<std::uint32_t>(i), true});
            *w++ = kVariableMark;
            *w++ = static_cast<char>(entry);
            ++out.occurrences[static_cast<std::size_t>(entry)];
            ++out.marks;
            lastEnd = i;
            lastNumber = false;
            if (observer != nullptr) {
                observer->Variable(entry);
            }
        }
    }
    out.text.resize(static_cast<std::size_t>(w - begin));
    // A control byte that looks like the mark is any other skipped byte.
    if (text.find(kVariableMark) != std::string_view::npos) {
        for (std::size_t k = 0; k < out.segments.size(); ++k) {
            const auto& segment = out.segments[k];
            const std::size_t end =
                k + 1 < out.segments.size() ? out.segments[k + 1].out : out.text.size();
            for (std::size_t at = segment.out; !segment.variable && at < end; ++at) {
                if (out.text[at] == kVariableMark) {
                    out.text[at] = '\x02';
                }
            }
        }
    }
    out.chars = IsAscii(out.text) ? out.text.size() : CharCount(out.text);
}

std::pair<std::size_t, std::size_t> MarkedText::Source(std::size_t begin, std::size_t end) const {
    if (segments.empty()) {
        return {0, sourceSize};  // nothing but blanks: all of them
    }
    // The segment holding the byte at `out`.
    auto holding = [&](std::size_t at) -> const Segment& {
        auto it = std::upper_bound(segments.begin(), segments.end(), at,
                                   [](std::size_t o, const Segment& s) { return o < s.out; });
        return *(it == segments.begin() ? it : it - 1);
    };
    // The source offset where the byte at `at` begins, or with `after`, ends:
    // inside a variable's mark, the whole name.
    auto source = [&](std::size_t at, bool after) -> std::size_t {
        const Segment& s = holding(at);
        if (s.variable) {
            return after ? s.sourceEnd : s.source;
        }
        return s.source + (at - s.out) + (after ? 1 : 0);
    };
    if (begin == end) {
        // A place between characters: right after the character before it.
        const std::size_t at = begin == 0 ? segments.front().source : source(begin - 1, true);
        return {at, at};
    }
    return {source(begin, false), source(end - 1, true)};
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
