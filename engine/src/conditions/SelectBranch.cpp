#include "SelectBranch.h"

#include <array>

#include "ConditionParser.h"
#include "Failure.h"
#include "Text.h"

namespace vornel {

namespace {

// Cuts the statement into pieces. Positions are byte offsets; since keyword
// positions are 16-bit, a keyword found beyond character 32,767 overflows.
class BlockCutter {
public:
    explicit BlockCutter(std::string_view statement) : m_text(statement) {}

    // Where `keyword` occurs first from `start`, or npos. The next search
    // starts right after it, and that position must fit 16 bits.
    std::size_t Find(std::string_view keyword, std::size_t start) const {
        const auto found = m_text.find(keyword, start);
        if (found != std::string_view::npos) {
            CheckPosition(found + keyword.size());
        }
        return found;
    }

    // Where the closing keyword occurs first from `start`, or npos. Nothing
    // is searched after it, so only its own position must fit 16 bits.
    std::size_t FindLast(std::string_view keyword, std::size_t start) const {
        const auto found = m_text.find(keyword, start);
        if (found != std::string_view::npos) {
            CheckPosition(found);
        }
        return found;
    }

    // The text from `start` up to the keyword at `end`; a keyword that was
    // not found leaves the piece a negative length: invalid argument.
    std::string_view Piece(std::size_t start, std::size_t end) const {
        if (end == std::string_view::npos) {
            Fail(EvaluationFailure::kInvalidArgument);
        }
        return m_text.substr(start, end - start);
    }

private:
    // The 1-based character position of the byte at `offset` must fit 16 bits.
    void CheckPosition(std::size_t offset) const {
        if (m_text.size() >= kPositionLimit &&
            CharCount(m_text.substr(0, offset)) + 1 > kPositionLimit) {
            Fail(EvaluationFailure::kOverflow);
        }
    }

    std::string_view m_text;
};

}  // namespace

bool TestCondition(std::string_view condition, const VariableLookup& variables) {
    return ParseCondition(condition, variables);
}

std::string SelectBranch(std::string_view statement, const VariableLookup& variables) {
    const BlockCutter cutter(statement);
    std::array<std::string_view, kMaxConditions> conditions;
    std::array<std::string_view, kMaxConditions> branches;
    int count = 0;

    std::size_t start = cutter.Find(kKeywordIf, 0) + kKeywordIf.size();
    std::size_t then = cutter.Find(kKeywordThen, start);
    conditions[count++] = cutter.Piece(start, then);
    start = then + kKeywordThen.size();
    // "ELSEIF" is looked for before "ELSE" at every step, since it contains it.
    for (auto elseIf = cutter.Find(kKeywordElseIf, start); elseIf != std::string_view::npos;
         elseIf = cutter.Find(kKeywordElseIf, start)) {
        branches[static_cast<std::size_t>(count - 1)] = cutter.Piece(start, elseIf);
        start = elseIf + kKeywordElseIf.size();
        then = cutter.Find(kKeywordThen, start);
        const std::string_view condition = cutter.Piece(start, then);
        if (count == kMaxConditions) {
            Fail(EvaluationFailure::kSubscriptOutOfRange);
        }
        conditions[static_cast<std::size_t>(count++)] = condition;
        start = then + kKeywordThen.size();
    }
    const std::size_t elseAt = cutter.Find(kKeywordElse, start);
    branches[static_cast<std::size_t>(count - 1)] = cutter.Piece(start, elseAt);
    start = elseAt + kKeywordElse.size();
    const std::string_view elseText = cutter.Piece(start, cutter.FindLast(kKeywordEndIf, start));

    for (int k = 0; k < count; ++k) {
        if (TestCondition(conditions[static_cast<std::size_t>(k)], variables)) {
            return std::string(branches[static_cast<std::size_t>(k)]);
        }
    }
    return std::string(elseText);
}

}  // namespace vornel
