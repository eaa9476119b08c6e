#include "Normalizer.h"

#include <optional>
#include <vector>

#include "Failure.h"
#include "Text.h"

namespace vornel {

namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The slots that a name can match, lowest index first: an empty slot never
// matches, and most of the 33 are empty. Gathered once per text, so that each
// name is compared with the few slots in use only.
class UsedSlots {
public:
    explicit UsedSlots(const VariableTable& variables) {
        for (const auto& slot : variables) {
            if (!slot.matchName.empty()) {
                m_slots[m_count++] = &slot;
            }
        }
    }

    // The same answer as FindVariable.
    const VariableSlot* Find(std::string_view name) const {
        for (std::size_t k = 0; k < m_count; ++k) {
            const VariableSlot* slot = m_slots[k];
            if (slot->matchName.size() == name.size() &&
                EqualsIgnoringAsciiCase(slot->matchName, name)) {
                return slot;
            }
        }
        return nullptr;
    }

private:
    std::array<const VariableSlot*, kVariableSlots> m_slots;
    std::size_t m_count = 0;
};

// Walks the text as NormalizeExpression reads it and hands each piece of the
// result to `emit` in order: emit(begin, end, slot) copies text[begin, end)
// when slot is null, and otherwise stands for the slot's value in
// parentheses in place of the name text[begin, end).
template <class Emit>
void WalkNormalized(std::string_view text, const UsedSlots& slots, Emit&& emit) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (IsWhiteSpace(c)) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        if (!IsNameStart(c)) {
            // Everything up to the next blank or name passes as it is.
            while (++i < text.size() && !IsWhiteSpace(text[i]) && !IsNameStart(text[i])) {
            }
            emit(start, i, nullptr);
            continue;
        }
        while (i < text.size() && IsNameChar(text[i])) {
            ++i;
        }
        emit(start, i, slots.Find(text.substr(start, i - start)));
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

std::string MatchName(std::string_view name) {
    return ToUpper(name);
}

const VariableSlot* FindVariable(std::string_view name, const VariableTable& variables) {
    // Slot names are kept upper-cased in matchName, and names read from an
    // expression are plain ASCII, so folding A-Z is all the matching needs.
    for (const auto& slot : variables) {
        if (!slot.matchName.empty() && EqualsIgnoringAsciiCase(slot.matchName, name)) {
            return &slot;
        }
    }
    return nullptr;
}

std::string NormalizeExpression(std::string_view text, const VariableTable& variables) {
    if (text.size() >= kPositionLimit && CharCount(text) >= kPositionLimit) {
        EvaluationFailure tooLong{EvaluationFailure::kOverflow, Cause::TooLong};
        tooLong.Place(0, text.size());
        throw tooLong;
    }
    std::string out;
    out.reserve(text.size() + 16);
    WalkNormalized(text, UsedSlots(variables),
                   [&](std::size_t begin, std::size_t end, const VariableSlot* slot) {
                       if (slot) {
                           out += '(';
                           out += slot->valueText;
                           out += ')';
                       } else {
                           out += text.substr(begin, end - begin);
                       }
                   });
    return out;
}

void PlaceInSource(EvaluationFailure& fault, std::string_view text,
                   const VariableTable& variables) {
    std::vector<Piece> pieces;
    std::size_t out = 0;
    WalkNormalized(text, UsedSlots(variables),
                   [&](std::size_t begin, std::size_t end, const VariableSlot* slot) {
                       const std::size_t length = slot ? slot->valueText.size() + 2 : end - begin;
                       pieces.push_back({out, out + length, begin, end, slot != nullptr});
                       out += length;
                   });
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
