#include "BlockLayout.h"

#include <algorithm>
#include <array>

#include "Failure.h"
#include "Text.h"

namespace vornel {

namespace {

// Cuts the statement into pieces. Positions are byte offsets; since keyword
// positions are 16-bit, a keyword found beyond character 32,767 overflows.
// The first failure met is kept in `fault`, and every step after it finds
// nothing.
class BlockCutter {
public:
    BlockCutter(std::string_view statement, EvaluationFailure& fault)
        : m_text(statement), m_fault(fault) {}

    bool Failed() const { return m_fault.number != failure::kNone; }

    // Where `keyword` occurs first from `start`, or npos. The next search
    // starts right after it, and that position must fit 16 bits.
    std::size_t Find(std::string_view keyword, std::size_t start) {
        const auto found = m_text.find(keyword, start);
        if (found != std::string_view::npos) {
            CheckPosition(found + keyword.size(), found, keyword);
        }
        return found;
    }

    // Where the closing keyword occurs first from `start`, or npos. Nothing
    // is searched after it, so only its own position must fit 16 bits.
    std::size_t FindLast(std::string_view keyword, std::size_t start) {
        const auto found = m_text.find(keyword, start);
        if (found != std::string_view::npos) {
            CheckPosition(found, found, keyword);
        }
        return found;
    }

    // The text from `start` up to the keyword at `end`; a keyword that was
    // not found leaves the piece a negative length: invalid argument, placed
    // where the keyword was expected.
    std::string_view Piece(std::size_t start, std::size_t end, Cause missing) {
        if (Failed()) {
            return {};
        }
        if (end == std::string_view::npos) {
            const std::size_t at = ExpectedAt(start, missing);
            Fail({EvaluationFailure::kInvalidArgument, missing}, at, at);
            return {};
        }
        return m_text.substr(start, end - start);
    }

    void Fail(EvaluationFailure fault, std::size_t begin, std::size_t end) {
        fault.Place(begin, end);
        m_fault = fault;
    }

private:
    // The 1-based character position of the byte at `offset` must fit 16 bits.
    void CheckPosition(std::size_t offset, std::size_t found, std::string_view keyword) {
        if (!Failed() && m_text.size() >= kPositionLimit &&
            CharCount(m_text.substr(0, offset)) + 1 > kPositionLimit) {
            Fail({EvaluationFailure::kOverflow, Cause::KeywordTooFar}, found,
                 found + keyword.size());
        }
    }

    // Where a missing keyword belongs: before the keyword that should follow
    // it, or at the end of the statement. A missing THEN belongs at the end
    // of its condition's line when the branch starts on a line of its own.
    std::size_t ExpectedAt(std::size_t start, Cause missing) const {
        std::size_t at = m_text.size();
        if (missing != Cause::MissingEndIf) {
            at = std::min(at, m_text.find(kKeywordEndIf, start));
        }
        if (missing == Cause::MissingThen) {
            at = std::min(at, m_text.find(kKeywordElse, start));  // also finds ELSEIF
            at = std::min(at, ConditionLineEnd(start));
        }
        return at;
    }

    // Just past the last character of the line on which the condition from
    // `start` begins, or npos when no line break follows it.
    std::size_t ConditionLineEnd(std::size_t start) const {
        constexpr std::string_view kLineBreaks = "\r\n";
        constexpr std::string_view kBlanks = " \t\r\n";
        const std::size_t first = m_text.find_first_not_of(kBlanks, start);
        if (first == std::string_view::npos) {
            return first;
        }
        const std::size_t lineEnd = m_text.find_first_of(kLineBreaks, first);
        if (lineEnd == std::string_view::npos) {
            return lineEnd;
        }
        return m_text.find_last_not_of(" \t", lineEnd - 1) + 1;  // `first` stops it
    }

    std::string_view m_text;
    EvaluationFailure& m_fault;
};

}  // namespace

BlockLayout CutBlock(std::string_view statement) {
    BlockLayout block;
    BlockCutter cutter(statement, block.fault);
    int& count = block.count;
    auto& conditions = block.conditions;
    auto& branches = block.branches;

    std::size_t start = cutter.Find(kKeywordIf, 0) + kKeywordIf.size();
    std::size_t then = cutter.Find(kKeywordThen, start);
    conditions[static_cast<std::size_t>(count++)] = cutter.Piece(start, then, Cause::MissingThen);
    if (cutter.Failed()) {
        return block;
    }
    start = then + kKeywordThen.size();
    // "ELSEIF" is looked for before "ELSE" at every step, since it contains it.
    for (auto elseIf = cutter.Find(kKeywordElseIf, start); elseIf != std::string_view::npos;
         elseIf = cutter.Find(kKeywordElseIf, start)) {
        branches[static_cast<std::size_t>(count - 1)] = cutter.Piece(start, elseIf, Cause::None);
        start = elseIf + kKeywordElseIf.size();
        then = cutter.Find(kKeywordThen, start);
        const std::string_view condition = cutter.Piece(start, then, Cause::MissingThen);
        if (cutter.Failed()) {
            return block;
        }
        if (count == kMaxConditions) {
            cutter.Fail({EvaluationFailure::kSubscriptOutOfRange, Cause::TooManyConditions}, elseIf,
                        then + kKeywordThen.size());
            return block;
        }
        conditions[static_cast<std::size_t>(count++)] = condition;
        start = then + kKeywordThen.size();
    }
    const std::size_t elseAt = cutter.Find(kKeywordElse, start);
    branches[static_cast<std::size_t>(count - 1)] = cutter.Piece(start, elseAt, Cause::MissingElse);
    if (cutter.Failed()) {
        return block;
    }
    start = elseAt + kKeywordElse.size();
    const std::size_t endIf = cutter.FindLast(kKeywordEndIf, start);
    block.elseText = cutter.Piece(start, endIf, Cause::MissingEndIf);
    if (cutter.Failed()) {
        return block;
    }
    block.after = statement.substr(endIf + kKeywordEndIf.size());
    return block;
}

}  // namespace vornel
