#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <vornel/Formula.h>
#include <vornel/Outcome.h>
#include <vornel/TextOrder.h>
#include <vornel/VariableTable.h>

#include "ArithmeticCompiler.h"
#include "ConditionParser.h"
#include "Failure.h"
#include "MachineCode.h"
#include "Normalizer.h"
#include "Program.h"
#include "VariableLookup.h"

namespace vornel::detail {

// A formula kept is first evaluated by its fast program, which costs nothing
// to make. Once its evaluations have worked through this many steps of its
// program (at least two evaluations), it is made into machine code: making
// that costs about as much as running so many steps saves.
inline constexpr std::uint32_t kStepsBeforeMachineCode = 4096;

// Compiles `text` into memory on the stack, with no note, and evaluates it once.
Outcome EvaluateOnce(std::string_view text, const VariableTable& table, TextOrder order) noexcept;

// Whether a text of `baseChars` characters besides its values, with
// `occurrences` of each slot's value written out as `table` holds it, reaches
// the position limit.
bool TooLongWrittenOut(std::size_t baseChars, std::size_t variables,
                       const std::array<std::uint16_t, kVariableSlots>& occurrences,
                       const VariableTable& table);

// One arithmetic text of a formula compiled: the whole formula, or one branch
// of an If block.
struct CompiledArithmetic {
    explicit CompiledArithmetic(std::pmr::memory_resource* memory)
        : normal(memory), program(memory), fast(memory) {}

    std::size_t offset = 0;  // where its text starts in the upper-cased text (bytes)
    std::size_t size = 0;    // its length in bytes
    bool tooLong = false;    // the text itself reaches the position limit
    bool inPlace = false;    // read with its names in place, not normalised
    MarkedText normal;       // unless inPlace
    Program program;         // when the formula is kept
    FastProgram fast;        // the same, made for speed
    // What the text written out holds: its characters without the values'
    // texts, and how often each slot's value is written.
    std::size_t baseChars = 0;
    std::array<std::uint16_t, kVariableSlots> occurrences{};
    std::size_t variables = 0;

    // Takes what reading the names in place counted.
    void Counted(const NameReading& reading);
    // Whether the text, with the values `table` holds written out, reaches
    // the position limit.
    bool TooLongWrittenOut(const VariableTable& table) const;
    // The range of the text that bytes [begin, end) of what was compiled
    // come from.
    std::pair<std::size_t, std::size_t> Source(std::size_t begin, std::size_t end) const;
};

// What a Formula shares between its copies: everything that depends only on
// the text and on the names of the variables. Never changes once made.
struct CompiledFormula {
    // Compiles `text` against the names `table` holds now, with its memory
    // from `memory`. With `explain`, it is compiled to be kept: the notes and
    // the names read are gathered and the arithmetic becomes programs;
    // otherwise it is made ready to be evaluated once, and each arithmetic is
    // compiled as it is run.
    CompiledFormula(std::string_view text, const VariableTable& table, const VariableLookup& names,
                    std::pmr::memory_resource* memory, bool explain);

    // The outcome over the values `table` holds; `trace` (when given) learns
    // how each condition fared.
    // Evaluate, first trying the fast program of a plain formula.
    Outcome EvaluateFast(const VariableTable& table, TextOrder order) const noexcept;
    // `names`, when given, is a lookup of `table`.
    Outcome Evaluate(const VariableTable& table, TextOrder order, Trace* trace = nullptr,
                     const VariableLookup* names = nullptr) const noexcept;

    std::pmr::memory_resource* memory;
    bool keep;
    std::pmr::string text;  // as given
    std::size_t lead = 0;   // the spaces before the trimmed text (bytes, and characters)
    std::size_t trimmedSize{};
    // The trimmed text upper-cased: needed where case or a character's
    // length could change what the rules read (an If block, or text beyond
    // ASCII); plain ASCII arithmetic reads the same in either case, and is
    // then read as it stands.
    std::pmr::string upperText;
    std::string_view upper;
    std::uint64_t namesVersion = 0;
    bool asciiText = false;  // the trimmed text is plain ASCII
    bool blank = false;      // it holds white space
    bool isBlock = false;
    bool layoutFails = false;  // the block cannot be cut into its pieces
    EvaluationFailure layout{failure::kNone};
    // Byte ranges of the conditions in `upper`.
    std::pmr::vector<std::pair<std::size_t, std::size_t>> conditions;
    // Each condition compiled, when the formula is kept.
    std::pmr::vector<CompiledCondition> compiledConditions;
    // A plain formula: its arithmetic. A block: each condition's branch, then
    // the Else branch.
    std::pmr::vector<CompiledArithmetic> arithmetic;
    std::vector<std::string> variables;
    std::vector<Note> notes;
    // A plain formula that cannot grow too long written out: its fast
    // program is all an evaluation needs unless a step would fail.
    const CompiledArithmetic* direct = nullptr;
    // A plain formula kept, whose fast program can be machine code: that is
    // made at its evaluation number `machineAfter` through the library (see
    // kStepsBeforeMachineCode and Machine), and then evaluates it.
    bool machinable = false;
    std::uint32_t machineAfter = 0;
    mutable std::atomic<MachineCode::Entry> machine{nullptr};
    // A plain formula kept, whose fast program is short (one + - * / over
    // numbers and variables, or one value) and reads no variable besides its
    // operands: what Formula::Evaluate works out in the caller. Such a
    // formula has no machine code: calling code made at run time costs more
    // than its step.
    ShortArithmetic shortArithmetic;

    // Counts an evaluation of a machinable formula (only such a formula may
    // call it) through the library and makes its machine code at the count;
    // returns the machine code, or null.
    MachineCode::Entry Machine() const noexcept;

    std::string_view Trimmed() const { return std::string_view(text).substr(lead, trimmedSize); }

    // The outcome of a failure whose range lies in `upper` (bytes).
    Outcome Failed(EvaluationFailure fault) const;
    // The characters that the bytes [begin, end) of `upper` are.
    std::pair<std::size_t, std::size_t> Characters(std::size_t begin, std::size_t end) const;

private:
    Outcome Choose(const VariableTable& table, Trace* trace, const VariableLookup* names) const;
    static ConditionOutcome DecideOnce(std::string_view condition, const VariableLookup& names);
    Outcome Run(const CompiledArithmetic& a, const VariableTable& table,
                const VariableLookup* names) const;
    [[gnu::noinline]] Outcome EvaluateAgain(const VariableTable& table, TextOrder order,
                                            Trace* trace) const;
    [[gnu::noinline]] Outcome RunOnce(const CompiledArithmetic& a, const VariableTable& table,
                                      const VariableLookup& names) const;
    // The outcome of running `a`; a failure's place is carried back through
    // `normal` when `a` was normalised for this run only.
    Outcome Result(const CompiledArithmetic& a, const RunResult& result, const VariableTable& table,
                   const MarkedText* normal = nullptr) const;
    void NameRealCause(const CompiledArithmetic& a, const VariableTable& table,
                       EvaluationFailure& fault) const;
    mutable std::atomic<std::uint32_t> m_evaluations{0};
    mutable std::mutex m_machineMutex;
    mutable std::shared_ptr<const MachineCode> m_machineCode;  // guarded by m_machineMutex

    [[gnu::noinline]] Outcome RunWrittenOut(const CompiledArithmetic& a, const VariableTable& table,
                                            const VariableLookup& names) const;
};

}  // namespace vornel::detail
