#include <vornel/Exp.h>
#include <vornel/Formula.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <utility>

#include "ArithmeticCompiler.h"
#include "BlockLayout.h"
#include "CompiledFormula.h"
#include "ConditionParser.h"
#include "Text.h"
#include "VariableStorage.h"

namespace vornel {

namespace detail {

namespace {

// More notes than this say nothing more.
constexpr std::size_t kMostNotes = 1000;

// The longest number text a value can have: digits of 1.8E308, or the
// fifteen digits of a value near 4.9E-324 after its zeros.
constexpr std::size_t kLongestNumberText = 345;

SlotValues ValuesOf(const VariableTable& table) {
    const VariableValues& values = StoredValues(table);
    return SlotValues{values.readValues.data(), values.unreadable};
}

// Gathers the notes and the names read while a formula is compiled.
class Explainer final : public NormalizeObserver, public CompileObserver {
public:
    Explainer(CompiledFormula& formula, const VariableTable& table)
        : m_formula(formula), m_table(table) {}

    // The arithmetic being compiled: where its text starts in the upper-cased
    // text, and its normalised text.
    void Enter(const CompiledArithmetic& arithmetic) {
        m_offset = arithmetic.offset;
        m_arithmetic = &arithmetic;
    }

    void UnknownName(std::size_t begin, std::size_t end) override {
        const std::string name = Spelling(m_offset + begin, m_offset + end);
        m_names.emplace_back(m_offset + begin, m_offset + end);
        if (IsFunctionName(name)) {
            return;  // a function's name: its call tells the rest
        }
        if (EqualsIgnoringAsciiCase(name, kKeywordIf) && m_offset + begin != 0) {
            Add(NoteKind::IfNotAtStart, m_offset + begin, m_offset + end,
                "An If block must start the formula: this " + name +
                    " and what follows are read as arithmetic");
            return;
        }
        const bool read = std::any_of(name.begin(), name.end(), IsFunctionInitial);
        Add(NoteKind::UnknownWord, m_offset + begin, m_offset + end,
            read ? name + " is neither a variable nor a function"
                 : name + " is not a variable and is skipped");
    }

    void JoinedNumbers(std::size_t begin, std::size_t end) override {
        Add(NoteKind::JoinedNumbers, m_offset + begin, m_offset + end,
            "The digits on both sides of this space join into one number");
    }

    void Variable(int slot) override {
        const auto bit = std::uint64_t{1} << slot;
        if ((m_read & bit) == 0) {
            m_read |= bit;
            m_formula.variables.push_back(ToUpper(m_table[static_cast<std::size_t>(slot)].name));
        }
    }

    void SkippedCharacter(std::size_t begin, std::size_t end) override {
        const auto [b, e] = Source(begin, end);
        if (InName(b)) {
            return;  // told with its name
        }
        if (!m_formula.notes.empty() && m_lastSkipped && m_formula.notes.back().end == b) {
            // One note for a run of skipped characters.
            m_formula.notes.back().end = e;
            m_formula.notes.back().message =
                Quoted(Spelling(m_skippedBegin, e)) + " is not used in arithmetic and is skipped";
            return;
        }
        Add(NoteKind::SkippedCharacter, b, e,
            Quoted(Spelling(b, e)) + " is not used in arithmetic and is skipped");
        m_lastSkipped = true;
        m_skippedBegin = b;
    }

    void UnclosedParenthesis(std::size_t begin, std::size_t end) override {
        const auto [b, e] = Source(begin, end);
        Add(NoteKind::UnclosedParenthesis, b, e,
            "This \"(\" is never closed: the end of the formula closes it");
    }

    void SkippedClose(std::size_t begin, std::size_t end) override {
        const auto [b, e] = Source(begin, end);
        Add(NoteKind::SkippedClose, b, e,
            "There is no \"(\" for this \"" + Spelling(b, e) + "\" to close");
    }

    void UnusedArguments(std::size_t begin, std::size_t end, int count) override {
        const auto [b, e] = Source(begin, end);
        const std::string name = Spelling(b, e);
        Add(NoteKind::UnusedArgument, b, e,
            name +
                (count == 1 ? " has one argument too many: the first"
                            : " has " + std::to_string(count) + " arguments too many: the first " +
                                  std::to_string(count)) +
                " take" + (count == 1 ? "s" : "") + " no part");
    }

    void UnusedValue(std::size_t begin, std::size_t end) override {
        const auto [b, e] = Source(begin, end);
        Add(NoteKind::UnusedValue, b, e,
            Quoted(Spelling(b, e)) + " takes no part: no operator joins it to the result");
    }

    // What a condition's text says: the variables it names, and why it is
    // false whatever the values, when it is.
    void Condition(std::size_t offset, const ConditionScan& scan) {
        for (int k = 0; k < scan.namedCount; ++k) {
            Variable(scan.named[static_cast<std::size_t>(k)]);
        }
        const std::size_t b = offset + scan.begin;
        const std::size_t e = offset + scan.end;
        const std::string what = Spelling(b, e);
        switch (scan.why) {
            case ConditionScan::Why::None:
                return;
            case ConditionScan::Why::UnknownName:
                Add(NoteKind::UnknownNameInCondition, b, e,
                    what + " is not a variable, so this condition is false");
                return;
            case ConditionScan::Why::Character:
                Add(NoteKind::InvalidCondition, b, e,
                    Quoted(what) + " starts no part of a condition, so this condition is false");
                return;
            case ConditionScan::Why::UnclosedText:
                Add(NoteKind::InvalidCondition, b, b + 1,
                    "This text has no closing quotation mark, so this condition is false");
                return;
            case ConditionScan::Why::FunctionWithoutCall:
                Add(NoteKind::InvalidCondition, b, e,
                    what + " needs \"(\" after it, so this condition is false");
                return;
        }
    }

    void TextAfterEndIf(std::size_t begin, std::size_t end) {
        Add(NoteKind::TextAfterEndIf, begin, end, "Text after EndIf is ignored");
    }

    // Moves every note's range from bytes of the upper-cased text to
    // characters of the text given, in the order of the text.
    void Finish() {
        for (Note& note : m_formula.notes) {
            std::tie(note.begin, note.end) = m_formula.Characters(note.begin, note.end);
        }
        std::stable_sort(m_formula.notes.begin(), m_formula.notes.end(),
                         [](const Note& a, const Note& b) { return a.begin < b.begin; });
    }

private:
    // From bytes of the normalised text to bytes of the upper-cased text.
    std::pair<std::size_t, std::size_t> Source(std::size_t begin, std::size_t end) const {
        const auto [b, e] = m_arithmetic->Source(begin, end);
        return {m_offset + b, m_offset + e};
    }

    // The text [begin, end) of the upper-cased text as the user wrote it
    // where the two have the same bytes.
    std::string Spelling(std::size_t begin, std::size_t end) const {
        const std::string_view trimmed = m_formula.Trimmed();
        const std::string_view from =
            trimmed.size() == m_formula.upper.size() ? trimmed : std::string_view(m_formula.upper);
        return std::string(from.substr(begin, end - begin));
    }

    // Characters in quotation marks, or in apostrophes when they hold one.
    static std::string Quoted(const std::string& text) {
        const char mark = text.find('"') == std::string::npos ? '"' : '\'';
        return mark + text + mark;
    }

    // Whether the byte at `at` of the upper-cased text lies in a name.
    bool InName(std::size_t at) const {
        return std::any_of(m_names.rbegin(), m_names.rend(),
                           [&](const auto& name) { return at >= name.first && at < name.second; });
    }

    void Add(NoteKind kind, std::size_t begin, std::size_t end, std::string message) {
        m_lastSkipped = false;
        if (m_blockAsArithmetic) {
            return;  // the If read as arithmetic says it all
        }
        m_blockAsArithmetic = kind == NoteKind::IfNotAtStart;
        if (m_formula.notes.size() < kMostNotes) {
            m_formula.notes.push_back({begin, end, kind, std::move(message)});
        }
    }

    CompiledFormula& m_formula;
    const VariableTable& m_table;
    std::size_t m_offset = 0;
    const CompiledArithmetic* m_arithmetic = nullptr;
    std::uint64_t m_read = 0;
    std::vector<std::pair<std::size_t, std::size_t>> m_names;  // names that are no variable
    bool m_lastSkipped = false;
    std::size_t m_skippedBegin = 0;
    bool m_blockAsArithmetic = false;
};

// An arena on the stack for compiling a formula that is evaluated once.
struct Scratch {
    alignas(std::max_align_t) std::array<std::byte, 16384> bytes;
    std::pmr::monotonic_buffer_resource arena{bytes.data(), bytes.size()};
};

// Whether the text holds white space that the normaliser would remove.
// Blanks are among the bytes up to ' ', which a vectorised pass finds first.
bool HasBlank(std::string_view text) {
    unsigned char low = 0;
    for (const char c : text) {
        low |= static_cast<unsigned char>(static_cast<unsigned char>(c) <= ' ');
    }
    return low != 0 && std::any_of(text.begin(), text.end(), [](char c) {
               return c == ' ' || c == '\t' || c == '\r' || c == '\n';
           });
}

// Where the values an evaluation reads start within the variables' storage,
// which machine code is given (see Formula::Evaluate).
std::size_t ValuesAt() {
    static const std::size_t at = [] {
        const VariableTable::Storage probe;
        const VariableValues& values = probe;
        return static_cast<std::size_t>(reinterpret_cast<const char*>(&values) -
                                        reinterpret_cast<const char*>(&probe));
    }();
    return at;
}

void CompileArithmetic(CompiledFormula& formula, std::string_view piece,
                       const VariableLookup& names, Explainer* notes) {
    CompiledArithmetic& a = formula.arithmetic.emplace_back(formula.memory);
    a.offset = static_cast<std::size_t>(piece.data() - formula.upper.data());
    a.size = piece.size();
    if (ReachesPositionLimit(piece)) {
        a.tooLong = true;
        return;
    }
    // Plain ASCII without white space needs no normalising but for its
    // variables, and those are read where they stand.
    a.inPlace = formula.asciiText && (!formula.blank || !HasBlank(piece));
    if (notes != nullptr) {
        notes->Enter(a);
    }
    if (!formula.keep) {
        return;  // compiled when it is run, if it is
    }
    if (!a.inPlace) {
        NormalizeMarked(piece, names, a.normal, notes);
        a.baseChars = a.normal.chars;
        a.occurrences = a.normal.occurrences;
        a.variables = a.normal.marks;
    }
    ProgramSink sink(a.program, Whole::No);
    if (a.inPlace) {
        NameReading reading(names);
        ArithmeticCompiler<PlainRules, ProgramSink>(piece, false, sink, notes, &reading).Compile();
        a.Counted(reading);
    } else {
        ArithmeticCompiler<PlainRules, ProgramSink>(a.normal.text, true, sink, notes).Compile();
    }
    a.fast.Make(a.program);
}

// Where machine code finds the variables it was made for: those of names
// version `version`.
MachineCode::Layout MachineLayout(std::uint64_t version) {
    const std::size_t at = ValuesAt();
    MachineCode::Layout layout;
    layout.versionAt = static_cast<std::uint32_t>(at + offsetof(VariableValues, namesVersion));
    layout.version = version;
    layout.maskAt = static_cast<std::uint32_t>(at + offsetof(VariableValues, unreadable));
    layout.valuesAt = static_cast<std::uint32_t>(at + offsetof(VariableValues, readValues));
    return layout;
}

}  // namespace

void CompiledArithmetic::Counted(const NameReading& reading) {
    variables = reading.Variables();
    baseChars = size - reading.NameChars() + 2 * variables;  // with the parentheses
    occurrences = reading.occurrences;
}

std::pair<std::size_t, std::size_t> CompiledArithmetic::Source(std::size_t begin,
                                                               std::size_t end) const {
    return inPlace ? std::pair{begin, end} : normal.Source(begin, end);
}

bool CompiledArithmetic::TooLongWrittenOut(const VariableTable& table) const {
    return vornel::detail::TooLongWrittenOut(baseChars, variables, occurrences, table);
}

bool TooLongWrittenOut(std::size_t baseChars, std::size_t variables,
                       const std::array<std::uint16_t, kVariableSlots>& occurrences,
                       const VariableTable& table) {
    if (baseChars + variables * kLongestNumberText < kPositionLimit) {
        return false;
    }
    // A value from 10^-5 to 10^15 is written in at most 22 characters
    // ("-0.0000" and 15 digits); only when that bound reaches the limit are
    // the texts measured.
    constexpr std::size_t kMostCommonText = 22;
    std::size_t bound = baseChars;
    std::size_t written = baseChars;
    for (std::size_t k = 0; k < occurrences.size(); ++k) {
        if (occurrences[k] != 0) {
            const double magnitude = std::abs(table[k].value);
            bound += occurrences[k] * (magnitude == 0 || (magnitude >= 1e-5 && magnitude < 1e15)
                                           ? kMostCommonText
                                           : kLongestNumberText);
        }
    }
    if (bound < kPositionLimit) {
        return false;
    }
    for (std::size_t k = 0; k < occurrences.size(); ++k) {
        if (occurrences[k] != 0) {
            written += occurrences[k] * std::size_t{ReadBack(table[k].value).textSize};
        }
    }
    return written >= kPositionLimit;
}

CompiledFormula::CompiledFormula(std::string_view given, const VariableTable& table,
                                 const VariableLookup& names, std::pmr::memory_resource* resource,
                                 bool explain)
    : memory(resource),
      keep(explain),
      text(given, resource),
      upperText(resource),
      namesVersion(NamesVersion(table)),
      conditions(resource),
      compiledConditions(resource),
      arithmetic(resource) {
    const std::string_view trimmed = TrimSpaces(text);
    lead = static_cast<std::size_t>(trimmed.data() - text.data());
    trimmedSize = trimmed.size();
    const TextKind kind = KindOf(trimmed);
    asciiText = kind.ascii;
    blank = kind.blank;
    isBlock = trimmed.size() >= 2 && (trimmed[0] | kAsciiCaseBit) == 'i' &&
              (trimmed[1] | kAsciiCaseBit) == 'f';
    if (asciiText && !isBlock) {
        upper = trimmed;
    } else {
        ToUpper(trimmed, upperText);
        upper = upperText;
        isBlock = upper.starts_with(kKeywordIf);
    }
    Explainer gatherer(*this, table);
    Explainer* const explainer = explain ? &gatherer : nullptr;
    if (!isBlock) {
        CompileArithmetic(*this, upper, names, explainer);
    } else {
        const BlockLayout block = CutBlock(upper);
        if (block.fault.number != failure::kNone) {
            layoutFails = true;
            layout = block.fault;
        } else {
            auto offsetOf = [&](std::string_view piece) {
                return static_cast<std::size_t>(piece.data() - upper.data());
            };
            arithmetic.reserve(static_cast<std::size_t>(block.count) + 1);
            compiledConditions.reserve(keep ? static_cast<std::size_t>(block.count) : 0);
            for (int k = 0; k < block.count; ++k) {
                const std::string_view condition = block.conditions[static_cast<std::size_t>(k)];
                conditions.emplace_back(offsetOf(condition),
                                        offsetOf(condition) + condition.size());
                if (keep) {
                    const CompiledCondition& compiled =
                        compiledConditions.emplace_back(condition, names, memory);
                    explainer->Condition(offsetOf(condition), compiled.Scan());
                }
                CompileArithmetic(*this, block.branches[static_cast<std::size_t>(k)], names,
                                  explainer);
            }
            CompileArithmetic(*this, block.elseText, names, explainer);
            if (explainer != nullptr &&
                block.after.find_first_not_of(" \t\r\n") != std::string_view::npos) {
                explainer->TextAfterEndIf(offsetOf(block.after), upper.size());
            }
        }
    }
    if (explainer != nullptr) {
        explainer->Finish();
    }
    if (keep && !isBlock) {
        const CompiledArithmetic& a = arithmetic.front();
        if (!a.tooLong && a.fast.usable &&
            a.baseChars + a.variables * kLongestNumberText < kPositionLimit) {
            direct = &a;
        }
        // Only + - * / steps, none of which needs the processor's flags read:
        // machine code, or the caller's own arithmetic, can run them.
        const bool basic = !a.tooLong && a.fast.usable && a.fast.onlyBasic && !a.fast.watchFlags;
        machinable = basic && MachineCode::Supported();
        machineAfter = static_cast<std::uint32_t>(
            std::max<std::size_t>(2, kStepsBeforeMachineCode / (a.program.steps.size() + 1)));
        if (basic && direct != nullptr && a.fast.isShort) {
            const FastProgram::Short& s = a.fast.shortForm;
            const bool variableA = s.fromA == FastProgram::From::Variable;
            const bool variableB = s.fromB == FastProgram::From::Variable;
            const std::uint64_t operands = (variableA ? std::uint64_t{1} << s.a : 0) |
                                           (variableB ? std::uint64_t{1} << s.b : 0);
            // A variable read besides the operands (H A) must still read
            // back: the fast program checks that.
            if (a.fast.slots == operands) {
                const MachineCode::Layout where = MachineLayout(namesVersion);
                const auto at = [&](std::uint16_t slot) {
                    return static_cast<std::uint16_t>(where.valuesAt + slot * sizeof(double));
                };
                ShortArithmetic& run = shortArithmetic;
                run.op = s.op == OpKind::Other ? ShortArithmetic::Op::Value
                                               : static_cast<ShortArithmetic::Op>(s.op);
                run.a = variableA ? at(s.a) : ShortArithmetic::kNumber;
                run.b = variableB ? at(s.b) : ShortArithmetic::kNumber;
                run.x = variableA ? 0.0 : a.fast.constants[s.a];
                run.y = variableB ? 0.0 : a.fast.constants[s.b];
                run.versionAt = static_cast<std::uint16_t>(where.versionAt);
                run.version = namesVersion;
                machinable = false;  // worked out in the caller: no machine code
            }
        }
    }
}

MachineCode::Entry CompiledFormula::Machine() const noexcept {
    if (const MachineCode::Entry made = machine.load(std::memory_order_acquire); made != nullptr) {
        return made;
    }
    // Counted without a locked step: a count lost between threads only
    // delays the machine code.
    const std::uint32_t count = m_evaluations.load(std::memory_order_relaxed) + 1;
    m_evaluations.store(count, std::memory_order_relaxed);
    if (count != machineAfter) {
        return nullptr;
    }
    try {
        const std::lock_guard lock(m_machineMutex);
        if (m_machineCode == nullptr) {
            m_machineCode =
                FastProgram::MachineFor(arithmetic.front().program, MachineLayout(namesVersion));
            if (m_machineCode != nullptr) {
                machine.store(m_machineCode->Function(), std::memory_order_release);
            }
        }
    } catch (...) {
        // Out of memory, or no lock: the fast program goes on.
    }
    return machine.load(std::memory_order_acquire);
}

Outcome CompiledFormula::EvaluateFast(const VariableTable& table, TextOrder order) const noexcept {
    if (direct != nullptr && NamesVersion(table) == namesVersion) {
        if (const double value = direct->fast.Run(ValuesOf(table)); !std::isnan(value)) {
            return Outcome{value};
        }
    }
    return Evaluate(table, order);
}

std::pair<std::size_t, std::size_t> CompiledFormula::Characters(std::size_t begin,
                                                                std::size_t end) const {
    if (asciiText) {
        return {lead + begin, lead + end};
    }
    const std::string_view u = upper;
    const std::size_t b = lead + CharCount(u.substr(0, begin));
    return {b, b + CharCount(u.substr(begin, end - begin))};
}

Outcome CompiledFormula::Failed(EvaluationFailure fault) const {
    Outcome outcome{0.0, static_cast<failure::Number>(fault.number)};
    outcome.cause = fault.cause;
    if (upper.empty() || !fault.Placed()) {
        outcome.begin = 0;
        outcome.end = CharCount(text);
        return outcome;
    }
    std::tie(outcome.begin, outcome.end) = Characters(fault.begin, fault.end);
    return outcome;
}

Outcome CompiledFormula::Run(const CompiledArithmetic& a, const VariableTable& table,
                             const VariableLookup* lookup) const {
    if (a.tooLong) {
        EvaluationFailure fault{EvaluationFailure::kOverflow, Cause::TooLong};
        fault.Place(a.offset, a.offset + a.size);
        return Failed(fault);
    }
    if (!keep) {
        return RunOnce(a, table, *lookup);
    }
    if (a.TooLongWrittenOut(table)) {
        return RunWrittenOut(a, table, VariableLookup(table));
    }
    if (const MachineCode::Entry run = machine.load(std::memory_order_acquire); run != nullptr) {
        if (const double value = run(table.Values()); !std::isnan(value)) {
            return Outcome{value};
        }
    }
    const SlotValues values = ValuesOf(table);
    if (const double value = a.fast.Run(values); !std::isnan(value)) {
        return Outcome{value};
    }
    return Result(a, a.program.Run(values), table);
}

Outcome CompiledFormula::Result(const CompiledArithmetic& a, const RunResult& result,
                                const VariableTable& table, const MarkedText* normal) const {
    if (result.number == failure::kNone) {
        return Outcome{result.value};
    }
    const auto [b, e] = normal != nullptr ? normal->Source(result.place.begin, result.place.end)
                                          : a.Source(result.place.begin, result.place.end);
    EvaluationFailure fault{result.number, result.cause};
    fault.Place(a.offset + b, a.offset + e);
    NameRealCause(a, table, fault);
    return Failed(fault);
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A character that arithmetic reads past without a meaning: neither part of
// a number, a name, an operator, a parenthesis nor white space.
bool IsUnused(char c) {
    return !IsNameChar(c) && !IsNumberChar(c) && !IsBlank(c) &&
           std::string_view("+-*/(),").find(c) == std::string_view::npos;
}

}  // namespace

// Where the rules' own place for a missing operand is only where they noticed
// it, the place and sentence name what caused it: a word that names nothing
// (all of it, not the letters the rules read), or characters the rules
// skipped. The failure number stays.
void CompiledFormula::NameRealCause(const CompiledArithmetic& a, const VariableTable& table,
                                    EvaluationFailure& fault) const {
    const std::string_view u = upper;
    const std::size_t first = a.offset;
    const std::size_t last = a.offset + a.size;
    if (fault.cause == Cause::UnknownWord) {
        while (fault.begin > first && IsNameChar(u[fault.begin - 1])) {
            --fault.begin;
        }
        while (fault.end < last && IsNameChar(u[fault.end])) {
            ++fault.end;
        }
        return;
    }
    if (fault.cause == Cause::MissingOperandAtEnd) {
        // A name that is no variable and no function was read past.
        const VariableLookup names(table);
        for (std::size_t k = first; k < last;) {
            if (!IsNameStart(u[k]) || (k > first && IsNameChar(u[k - 1]))) {
                ++k;
                continue;
            }
            std::size_t end = k;
            while (end < last && IsNameChar(u[end])) {
                ++end;
            }
            const std::string_view name = u.substr(k, end - k);
            if (names.Find(name) < 0 && !IsFunctionName(name)) {
                fault.cause = Cause::UnknownWord;
                fault.Place(k, end);
                return;
            }
            k = end;
        }
        return;
    }
    if (fault.cause == Cause::MissingOperand) {
        // Skipped characters right before the operator that went without.
        std::size_t end = fault.begin;
        while (end > first && IsBlank(u[end - 1])) {
            --end;
        }
        std::size_t begin = end;
        while (begin > first && IsUnused(u[begin - 1])) {
            --begin;
        }
        if (begin < end) {
            fault.cause = Cause::UnusedCharacter;
            fault.Place(begin, end);
        }
    }
}

// Evaluated once: the steps are worked out as they are compiled. Read in
// place, the length written out is known only then, and a text too long that
// way is run again written out.
Outcome CompiledFormula::RunOnce(const CompiledArithmetic& a, const VariableTable& table,
                                 const VariableLookup& names) const {
    const std::string_view piece = std::string_view(upper).substr(a.offset, a.size);
    RunSink sink(ValuesOf(table), Whole::No);
    if (a.inPlace) {
        NameReading reading(names);
        ArithmeticCompiler<PlainRules, RunSink>(piece, false, sink, nullptr, &reading).Compile();
        // The names are measured only when the values' longest texts in
        // place of them could reach the limit: a short formula never pays.
        const std::size_t read = reading.Variables();
        if (a.size + read * (2 + kLongestNumberText) >= kPositionLimit) {
            const std::size_t base = a.size - reading.NameChars() + 2 * read;
            if (TooLongWrittenOut(base, read, reading.occurrences, table)) {
                return RunWrittenOut(a, table, names);
            }
        }
    } else {
        MarkedText normal(memory);
        NormalizeMarked(piece, names, normal, nullptr);
        if (TooLongWrittenOut(normal.chars, normal.marks, normal.occurrences, table)) {
            return RunWrittenOut(a, table, names);
        }
        ArithmeticCompiler<PlainRules, RunSink>(normal.text, true, sink, nullptr).Compile();
        return Result(a, sink.Result(), table, &normal);
    }
    return Result(a, sink.Result(), table);
}

// A text that its values make too long is compiled again with them written
// out, so that it fails at the character where the rules meet the limit, or
// earlier where they meet something else.
Outcome CompiledFormula::RunWrittenOut(const CompiledArithmetic& a, const VariableTable& table,
                                       const VariableLookup& names) const {
    const std::string_view piece = std::string_view(upper).substr(a.offset, a.size);
    const std::string normal = NormalizeExpression(piece, names);
    RunSink sink(ValuesOf(table), Whole::No);
    ArithmeticCompiler<PlainRules, RunSink>(normal, false, sink, nullptr).Compile();
    const RunResult result = sink.Result();
    if (result.number == failure::kNone) {
        return Outcome{result.value};
    }
    EvaluationFailure fault{result.number, result.cause};
    fault.Place(result.place.begin, result.place.end);
    PlaceInSource(fault, piece, names);
    fault.Shift(a.offset);
    return Failed(fault);
}

Outcome CompiledFormula::Evaluate(const VariableTable& table, TextOrder order, Trace* trace,
                                  const VariableLookup* lookup) const noexcept {
    try {
        if (NamesVersion(table) != namesVersion) {
            return EvaluateAgain(table, order, trace);
        }
        if (lookup == nullptr && (isBlock || !keep)) {
            const VariableLookup names(table, order);
            return Choose(table, trace, &names);
        }
        return Choose(table, trace, lookup);
    } catch (...) {
        return Outcome{0.0, failure::kOverflow};  // out of memory
    }
}

// Other names than those compiled with: compiled again for them.
Outcome CompiledFormula::EvaluateAgain(const VariableTable& table, TextOrder order,
                                       Trace* trace) const {
    Scratch scratch;
    const VariableLookup names(table, order);
    return CompiledFormula(text, table, names, &scratch.arena, false)
        .Evaluate(table, order, trace, &names);
}

// Evaluated once, a condition is compiled only when it is reached, in memory
// of its own that the next condition uses again: a condition's tokens and
// steps fit in it whatever the condition, so deciding one allocates nothing.
ConditionOutcome CompiledFormula::DecideOnce(std::string_view condition,
                                             const VariableLookup& names) {
    alignas(std::max_align_t) std::array<std::byte, 12288> bytes;
    std::pmr::monotonic_buffer_resource arena{bytes.data(), bytes.size()};
    return CompiledCondition(condition, names, &arena).Decide(names);
}

Outcome CompiledFormula::Choose(const VariableTable& table, Trace* trace,
                                const VariableLookup* names) const {
    if (trace != nullptr) {
        trace->isBlock = isBlock;
    }
    if (!isBlock) {
        return Run(arithmetic.front(), table, names);
    }
    if (layoutFails) {
        return Failed(layout);
    }
    std::size_t chosen = conditions.size();
    for (std::size_t k = 0; k < conditions.size() && chosen == conditions.size(); ++k) {
        const auto [begin, end] = conditions[k];
        ConditionOutcome decided =
            keep ? compiledConditions[k].Decide(*names)
                 : DecideOnce(std::string_view(upper).substr(begin, end - begin), *names);
        if (decided.Failed()) {
            decided.fault.Shift(begin);
            if (trace != nullptr) {
                trace->conditions.push_back({begin, end, Verdict::Failed});
            }
            return Failed(decided.fault);
        }
        const bool holds = decided.holds;
        if (trace != nullptr) {
            trace->conditions.push_back({begin, end, holds ? Verdict::True : Verdict::False});
        }
        if (holds) {
            chosen = k;
        }
    }
    const CompiledArithmetic& branch = arithmetic[chosen];
    if (trace != nullptr) {
        trace->branchChosen = true;
        trace->branchBegin = branch.offset;
        trace->branchEnd = branch.offset + branch.size;
    }
    return Run(branch, table, names);
}

Outcome EvaluateOnce(std::string_view text, const VariableTable& table, TextOrder order) noexcept {
    Scratch scratch;
    try {
        const VariableLookup names(table, order);
        return CompiledFormula(text, table, names, &scratch.arena, false)
            .Evaluate(table, order, nullptr, &names);
    } catch (...) {
        return Outcome{0.0, failure::kOverflow};  // out of memory
    }
}

}  // namespace detail

namespace {

const std::shared_ptr<const detail::CompiledFormula>& EmptyFormula() {
    static const VariableTable none;
    static const VariableLookup names(none);
    static const auto empty = std::make_shared<const detail::CompiledFormula>(
        std::string_view(), none, names, std::pmr::get_default_resource(), true);
    return empty;
}

}  // namespace

std::string_view NoteText(NoteKind kind) noexcept {
    switch (kind) {
        case NoteKind::UnknownWord:
            return "A name that is neither a variable nor a function is skipped";
        case NoteKind::SkippedCharacter:
            return "A character that arithmetic does not use is skipped";
        case NoteKind::UnclosedParenthesis:
            return "The end of the formula closes this parenthesis";
        case NoteKind::SkippedClose:
            return "There is nothing for this to close, so it is passed over";
        case NoteKind::UnusedArgument:
            return "This argument is beyond the function's count and takes no part";
        case NoteKind::TextAfterEndIf:
            return "Text after EndIf is ignored";
        case NoteKind::IfNotAtStart:
            return "An If block must start the formula: here it is read as arithmetic";
        case NoteKind::UnknownNameInCondition:
            return "A name in a condition that is no variable makes the condition false";
        case NoteKind::InvalidCondition:
            return "A character that starts no part of a condition makes it false";
        case NoteKind::JoinedNumbers:
            return "White space between digits joins them into one number";
        case NoteKind::UnusedValue:
            return "A value that no operator joins to the result takes no part in it";
    }
    return "";
}

namespace {
// What a formula runs before its machine code is made, or when it has none.
double NoMachineCode(const void* /*variables*/) {
    return std::numeric_limits<double>::quiet_NaN();
}
}  // namespace

Formula::Formula() : m_compiled(EmptyFormula()), m_machine(NoMachineCode) {}
Formula::Formula(std::shared_ptr<const detail::CompiledFormula> compiled) noexcept
    : m_compiled(std::move(compiled)),
      m_short(m_compiled->shortArithmetic),
      m_machine(NoMachineCode) {}
Formula::~Formula() = default;
Formula::Formula(const Formula& other)
    : m_compiled(other.m_compiled),
      m_short(other.m_short),
      m_machine(other.m_machine.load(std::memory_order_acquire)) {}
Formula& Formula::operator=(const Formula& other) {
    m_compiled = other.m_compiled;
    m_short = other.m_short;
    m_machine.store(other.m_machine.load(std::memory_order_acquire), std::memory_order_release);
    return *this;
}
// A formula moved from is left as it was, never unusable.
Formula::Formula(Formula&& other) noexcept : Formula(std::as_const(other)) {}
Formula& Formula::operator=(Formula&& other) noexcept {
    return *this = std::as_const(other);
}

// Without machine code, or when it cannot tell the value: a formula whose
// arithmetic cannot fail with these values is worked out by EvaluateFast,
// without the machinery that places a failure.
Outcome Formula::EvaluateInLibrary(const Exp& variables) const noexcept {
    const detail::CompiledFormula& compiled = *m_compiled;
    // Until the machine code is made (or when it cannot tell the value). A
    // formula that could grow too long written out is checked for that first
    // (see Run).
    if (compiled.machinable) {
        if (const MachineCode::Entry made = compiled.Machine();
            made != nullptr && compiled.direct != nullptr) {
            m_machine.store(made, std::memory_order_release);  // from now on, run by the caller
            if (const double value = made(variables.Variables().Values()); !std::isnan(value)) {
                return Outcome{value};
            }
        }
    }
    return compiled.EvaluateFast(variables.Variables(), variables.GetTextOrder());
}

Trace Formula::TraceEvaluation(const Exp& variables) const {
    Trace trace;
    trace.outcome = m_compiled->Evaluate(variables.Variables(), variables.GetTextOrder(), &trace);
    for (auto& condition : trace.conditions) {
        std::tie(condition.begin, condition.end) =
            m_compiled->Characters(condition.begin, condition.end);
    }
    if (trace.isBlock && !trace.conditions.empty()) {
        // The conditions after the one that held, or after a failure, were
        // never tested.
        const std::size_t tested = trace.conditions.size();
        for (std::size_t k = tested; k < m_compiled->conditions.size(); ++k) {
            const auto [b, e] = m_compiled->conditions[k];
            const auto [cb, ce] = m_compiled->Characters(b, e);
            trace.conditions.push_back({cb, ce, Verdict::NotTested});
        }
    }
    if (trace.branchChosen) {
        // The branch without the blanks and line breaks around it.
        const std::string_view upper = m_compiled->upper;  // NOLINT
        std::size_t b = trace.branchBegin;
        std::size_t e = trace.branchEnd;
        while (b < e && std::string_view(" \t\r\n").find(upper[b]) != std::string_view::npos) {
            ++b;
        }
        while (e > b && std::string_view(" \t\r\n").find(upper[e - 1]) != std::string_view::npos) {
            --e;
        }
        std::tie(trace.branchBegin, trace.branchEnd) = m_compiled->Characters(b, e);
    }
    return trace;
}

const std::vector<std::string>& Formula::Variables() const noexcept {
    return m_compiled->variables;
}

const std::vector<Note>& Formula::Notes() const noexcept {
    return m_compiled->notes;
}

std::string_view Formula::Text() const noexcept {
    return m_compiled->text;
}

}  // namespace vornel
