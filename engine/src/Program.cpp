#include "Program.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cfenv>
#include <cmath>
#include <iterator>
#include <limits>
#include <optional>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include <vornel/VariableTable.h>

#include "Failure.h"
#include "NumberText.h"

namespace vornel {

namespace {

constexpr double kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr double kInt16Max = std::numeric_limits<std::int16_t>::max();
constexpr double kInt32Max = std::numeric_limits<std::int32_t>::max();

Checked CheckedInt16(double x) {
    if (x < kInt16Min || x > kInt16Max) {
        return {failure::kOverflow, Cause::WholeNumberRange};
    }
    return x;
}

// Ceil and floor of the arithmetic inside conditions: 16-bit whole numbers.
Checked ApplyWholeUnary(double x, OpKind op) {
    const Checked f = CheckedInt16(std::floor(x));
    if (f.Failed()) {
        return f;
    }
    switch (op) {
        case OpKind::Ceil:
            return x == f.value ? f : CheckedInt16(f.value + 1);
        case OpKind::Floor:
            return f;
        default:
            return 0.0;
    }
}

// Puts a checked value into r[dst], or its failure into `result`.
bool Store(double* r, int dst, const Checked& value, RunResult& result) {
    if (value.Failed()) {
        result.number = value.number;
        result.cause = value.cause;
        return false;
    }
    r[dst] = value.value;
    return true;
}

}  // namespace

Checked EnterWholeNumber(double number) {
    return RoundHalfEvenChecked(number, std::numeric_limits<std::int32_t>::min(),
                                std::numeric_limits<std::int32_t>::max(), Cause::WholeNumberRange);
}

bool Steps::Variable(double* r, int dst, int slot, const SlotValues& values, Whole whole,
                     RunResult& result) {
    if ((values.unreadable >> slot) & 1U) {
        result.number = failure::kOverflow;
        result.cause = Cause::NumberTooLarge;
        return false;
    }
    return Store(r, dst, EnterNumber(values.values[slot], whole), result);
}

// The steps that may fail, worked out by the operations, which say why.
bool Steps::Slow(double* r, int dst, double x, double y, OpKind op, bool unary, Whole whole,
                 RunResult& result) {
    if (unary) {
        return Store(r, dst, whole == Whole::Yes ? ApplyWholeUnary(x, op) : ApplyUnary(x, op),
                     result);
    }
    return Store(r, dst, ApplyBinary(x, y, op), result);
}

RunResult Program::Run(const SlotValues& variables) const noexcept {
    std::array<double, kRegisters> registerFile;
    double* const r = registerFile.data();
    std::fill_n(r, registers, 0.0);
    RunResult result;
    for (const Step& step : steps) {
        bool ok = true;
        switch (step.code) {
            case Code::Constant:
                r[step.dst] = step.constant;
                break;
            case Code::Variable:
                ok = Steps::Variable(r, step.dst, step.a, variables, whole, result);
                break;
            case Code::Binary:
                ok = Steps::Binary(r, step.dst, step.a, step.b, step.op, whole, result);
                break;
            case Code::Unary:
                ok = Steps::Unary(r, step.dst, step.op, whole, result);
                break;
            case Code::Fail:
                result.number = step.number;
                result.cause = step.cause;
                ok = false;
                break;
            case Code::Return:
                result.value = r[step.a];
                return result;
        }
        if (!ok) {
            result.value = 0;
            result.place = step.place;
            return result;
        }
    }
    return result;
}

namespace {

// The operations of the fast program's codes, in their order.
constexpr OpKind kBinaryKinds[] = {OpKind::Plus, OpKind::Minus, OpKind::Times, OpKind::Divide,
                                   OpKind::Max,  OpKind::Min,   OpKind::Round, OpKind::Exp};
static_assert(std::size(kBinaryKinds) == FastProgram::kBinaryOps);
static_assert(kBinaryKinds[FastProgram::kDivideIndex] == OpKind::Divide);

// The place of an operation among the fast program's codes, if it has one.
std::optional<int> BinaryIndex(OpKind op) {
    const auto* found = std::find(std::begin(kBinaryKinds), std::end(kBinaryKinds), op);
    if (found == std::end(kBinaryKinds)) {
        return std::nullopt;
    }
    return static_cast<int>(found - kBinaryKinds);
}

std::optional<int> UnaryIndex(OpKind op) {
    switch (op) {
        case OpKind::Ceil:
            return 0;
        case OpKind::Floor:
            return 1;
        default:
            return std::nullopt;
    }
}

struct Operand {
    FastProgram::From from = FastProgram::From::Constant;
    std::uint16_t index = 0;  // constant 0 holds 0
};

// a^b as Exp works it out, when that cannot fail: nothing otherwise. Once a
// product leaves the range of a double the later ones stay outside it, so
// checking the last one is checking each.
[[gnu::always_inline]] inline bool FastPower(double a, double b, double& result) {
    const double n = std::nearbyint(b);
    if (!(n >= kInt16Min && n < kInt16Max)) {
        return false;
    }
    double r = 1;
    for (auto k = static_cast<int>(n); k > 0; --k) {
        r *= a;
    }
    result = r;
    return true;
}

}  // namespace

// A step of the fast program before it is coded.
struct FastProgram::Shape {
    enum class Kind : std::uint8_t { Binary, Unary, Fused };
    Kind kind = Kind::Binary;
    int op = 0;                 // the index of the operation (of the outer one when fused)
    int inner = 0;              // fused: the index of the inner operation
    bool leftPrevious = false;  // fused: the left operand is the result just before
    std::uint16_t dst = 0;
    Operand a;
    Operand b;
    std::uint16_t left = 0;  // fused: the register of the outer operation's left operand
};

void FastProgram::Make(const Program& program) {
    usable = MakeSteps(program);
    if (!usable) {
        // Runs as one value, not a number: the exact Program then runs.
        steps.clear();
        constants.assign(1, std::numeric_limits<double>::quiet_NaN());
        slots = 0;
        isShort = true;
        shortForm = Short{};
    }
}

std::shared_ptr<const MachineCode> FastProgram::MachineFor(const Program& program,
                                                           const MachineCode::Layout& layout) {
    FastProgram made;
    MachineRequest request{layout, nullptr};
    (void)made.MakeSteps(program, &request);
    return request.made;
}

bool FastProgram::MakeSteps(const Program& program, MachineRequest* machine) {
    isShort = false;
    steps.clear();
    constants.clear();
    slots = 0;
    if (program.whole != Whole::No) {
        return false;
    }
    constants.push_back(0.0);  // what a register never written holds
    std::array<Operand, kRegisters> at{};
    const auto constant = [&](double value) -> std::optional<Operand> {
        if (constants.size() > std::numeric_limits<std::uint16_t>::max()) {
            return std::nullopt;
        }
        constants.push_back(value);
        return Operand{From::Constant, static_cast<std::uint16_t>(constants.size() - 1)};
    };
    std::pmr::vector<Shape> shapes(steps.get_allocator());
    Operand returned;
    for (const Step& step : program.steps) {
        const auto dst = static_cast<std::uint16_t>(step.dst);
        switch (step.code) {
            case Code::Constant: {
                const std::optional<Operand> made = constant(step.constant);
                if (!made) {
                    return false;
                }
                at[dst] = *made;
                break;
            }
            case Code::Variable:
                at[dst] = {From::Variable, static_cast<std::uint16_t>(step.a)};
                slots |= std::uint64_t{1} << step.a;
                break;
            case Code::Binary: {
                const Operand a = at[static_cast<std::size_t>(step.a)];
                const Operand b = at[static_cast<std::size_t>(step.b)];
                // Worked out now when it cannot fail: Exp(2,8) is 256. One
                // that fails is left to the run, which then fails.
                if (a.from == From::Constant && b.from == From::Constant) {
                    std::array<double, 3> cells{constants[a.index], constants[b.index], 0};
                    if (RunResult ignored;
                        Steps::Binary(cells.data(), 2, 0, 1, step.op, Whole::No, ignored)) {
                        const std::optional<Operand> made = constant(cells[2]);
                        if (!made) {
                            return false;
                        }
                        at[dst] = *made;
                        break;
                    }
                }
                const std::optional<int> op = BinaryIndex(step.op);
                if (!op) {
                    return false;
                }
                shapes.push_back({Shape::Kind::Binary, *op, 0, false, dst, a, b});
                at[dst] = {From::Register, dst};
                break;
            }
            case Code::Unary: {
                const Operand a = at[dst];
                if (a.from == From::Constant) {
                    std::array<double, 1> cell{constants[a.index]};
                    if (RunResult ignored;
                        Steps::Unary(cell.data(), 0, step.op, Whole::No, ignored)) {
                        const std::optional<Operand> made = constant(cell[0]);
                        if (!made) {
                            return false;
                        }
                        at[dst] = *made;
                        break;
                    }
                }
                const std::optional<int> op = UnaryIndex(step.op);
                if (!op) {
                    return false;
                }
                shapes.push_back({Shape::Kind::Unary, *op, 0, false, dst, a, Operand{}});
                at[dst] = {From::Register, dst};
                break;
            }
            case Code::Fail:
                return false;
            case Code::Return:
                returned = at[static_cast<std::size_t>(step.a)];
                break;
        }
    }
    resultFrom = returned.from;
    result = returned.index;
    // A program of one step of + - * / over numbers and variables whose
    // result is the formula's, or of none, is worked out without the step
    // machinery.
    if (shapes.empty()) {
        shortForm = {OpKind::Other, resultFrom, From::Constant, result, 0};
        isShort = true;
    } else if (const Shape& only = shapes.front();
               shapes.size() == 1 && only.kind == Shape::Kind::Binary && only.op < kBasicOps &&
               resultFrom == From::Register) {
        shortForm = {kBinaryKinds[only.op], only.a.from, only.b.from, only.a.index, only.b.index};
        isShort = true;
    }
    Fuse(shapes);
    onlyBasic = std::all_of(shapes.begin(), shapes.end(), [](const Shape& shape) {
        return shape.kind != Shape::Kind::Unary && shape.op < kBasicOps;
    });
    // The bounds are the same once the steps are encoded: an operand the
    // step before made is bounded as that step's result either way.
    const RangeBounds bounds = Bounds(shapes);
    watchFlags = CanHideRange(shapes, bounds);
    Encode(shapes);
    if (machine != nullptr && !watchFlags) {
        machine->made = Assemble(shapes, bounds, machine->layout);
    }
    return true;
}

// The largest magnitude each operand can have, for any values the variables
// hold (a variable's read value is at most the largest value that reads
// back, a number is its own); infinity when it may leave the range of a
// double. Rounding to nearest never makes a value larger than the same
// operation on larger operands, so the bound of each operation on the bounds
// of its operands is one. Worked out without overflowing, so that no
// floating-point flag of the caller's is raised.
FastProgram::RangeBounds FastProgram::Bounds(const std::pmr::vector<Shape>& shapes) const {
    constexpr double kLargest = std::numeric_limits<double>::max();
    constexpr double kUnbounded = std::numeric_limits<double>::infinity();
    constexpr double kAllWhole = 0x1p52;  // from here on every double is whole
    RangeBounds made{std::pmr::vector<StepBounds>(shapes.size(), shapes.get_allocator()), 0};
    std::array<double, kRegisters> registers{};  // a register never written holds 0
    double previous = 0;
    const auto bound = [&](const Operand& operand) {
        switch (operand.from) {
            case From::Variable:
                return kLargestReadValue;
            case From::Constant:
                return std::abs(constants[operand.index]);
            case From::Register:
                return registers[operand.index];
            case From::Previous:
                break;
        }
        return previous;
    };
    const auto combine = [](int op, double x, double y, bool yIsConstant) {
        switch (kBinaryKinds[op]) {
            case OpKind::Plus:
            case OpKind::Minus:
                return x > kLargest - y ? kUnbounded : x + y;
            case OpKind::Times:
                if (x == kUnbounded || y == kUnbounded) {
                    return kUnbounded;  // 0 * infinity is not a number
                }
                return y > 1 && x > kLargest / y ? kUnbounded : x * y;
            case OpKind::Divide:  // by a nonzero number of the formula only
                if (!yIsConstant || y == 0) {
                    return kUnbounded;
                }
                return y < 1 && x > kLargest * y ? kUnbounded : x / y;
            case OpKind::Max:
            case OpKind::Min:
                return std::max(x, y);
            default:  // round and exp
                return kUnbounded;
        }
    };
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        const Shape& shape = shapes[k];
        StepBounds& step = made.steps[k];
        step.a = bound(shape.a);
        step.b = bound(shape.b);
        double z = 0;
        switch (shape.kind) {
            case Shape::Kind::Binary:
                z = combine(shape.op, step.a, step.b, shape.b.from == From::Constant);
                break;
            case Shape::Kind::Unary:  // ceil and floor move a value by less than 1
                z = step.a >= kAllWhole ? step.a : step.a + 1;
                break;
            case Shape::Kind::Fused:
                step.inner = combine(shape.inner, step.a, step.b, shape.b.from == From::Constant);
                step.left = shape.leftPrevious ? previous : registers[shape.left];
                z = combine(shape.op, step.left, step.inner, false);
                break;
        }
        registers[shape.dst] = previous = z;
    }
    made.result = bound(Operand{resultFrom, result});
    return made;
}

// From finite operands (a number of the formula or a variable's read value
// is always finite), a step leaves the range of a double only by making an
// infinity or not-a-number, and + - * (either side), / (the dividend), ceil
// and floor pass such a value on. So when every result reaches the formula's
// through those alone, the result tells whether any step left the range.
// Otherwise (a result nothing reads, x / (an earlier result), max, min, round,
// exp) such a value can vanish on the way, and the processor's flags tell;
// but not where the operands in question stay within the range for any
// values the variables can hold (Max(E,300), Exp(A,3), x / (B-2.5); not
// x / (B*B), as B*B can overflow).
bool FastProgram::CanHideRange(const std::pmr::vector<Shape>& shapes,
                               const RangeBounds& bounds) const {
    std::array<bool, kRegisters> live{};
    if (resultFrom == From::Register) {
        live[result] = true;
    }
    for (std::size_t k = shapes.size(); k-- > 0;) {
        const Shape& shape = shapes[k];
        const StepBounds& step = bounds.steps[k];
        if (!live[shape.dst]) {
            return true;
        }
        const bool earlierDivisor = shape.b.from == From::Register && std::isinf(step.b);
        switch (shape.kind) {
            case Shape::Kind::Binary:
                switch (kBinaryKinds[shape.op]) {
                    case OpKind::Plus:
                    case OpKind::Minus:
                    case OpKind::Times:
                        break;
                    case OpKind::Divide:
                        if (earlierDivisor) {
                            return true;
                        }
                        break;
                    case OpKind::Max:
                    case OpKind::Min:
                    case OpKind::Exp:  // a finite power overflows to an infinity
                        if (std::isinf(step.a) || std::isinf(step.b)) {
                            return true;
                        }
                        break;
                    default:  // round
                        return true;
                }
                live[shape.dst] = false;
                break;
            case Shape::Kind::Fused:
                if ((shape.op == kDivideIndex && std::isinf(step.inner)) ||
                    (shape.inner == kDivideIndex && earlierDivisor)) {
                    return true;
                }
                live[shape.dst] = false;
                live[shape.left] = true;
                break;
            case Shape::Kind::Unary:
                live[shape.dst] = false;
                break;
        }
        for (const Operand& operand : {shape.a, shape.b}) {
            if (operand.from == From::Register) {
                live[operand.index] = true;
            }
        }
    }
    return false;
}

void FastProgram::Fuse(std::pmr::vector<Shape>& shapes) const {
    // readAfter[k]: after step k, the register step k - 1 wrote is still read.
    std::pmr::vector<bool> readAfter(shapes.size(), false, shapes.get_allocator());
    std::array<bool, kRegisters> live{};
    if (resultFrom == From::Register) {
        live[result] = true;
    }
    for (std::size_t k = shapes.size(); k-- > 0;) {
        const Shape& shape = shapes[k];
        if (k > 0) {
            readAfter[k] = live[shapes[k - 1].dst];
        }
        live[shape.dst] = false;
        for (const Operand& operand : {shape.a, shape.b}) {
            if (operand.from == From::Register) {
                live[operand.index] = true;
            }
        }
    }
    // A step of + - * / whose result only the next step reads, as the right
    // operand of + - * / over an earlier result, is done in one step with it:
    // r[d] = r[l] outer (x inner y), each value worked out as before.
    std::size_t kept = 0;
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        const Shape& inner = shapes[k];
        if (k + 1 < shapes.size()) {
            const Shape& outer = shapes[k + 1];
            const auto basic = [](const Shape& shape) {
                return shape.kind == Shape::Kind::Binary && shape.op < kBasicOps;
            };
            if (basic(inner) && basic(outer) && outer.a.from == From::Register &&
                outer.b.from == From::Register && outer.b.index == inner.dst &&
                (inner.dst == outer.dst || !readAfter[k + 1])) {
                // A binary step reads two places of the stack, never one twice.
                assert(outer.a.index != inner.dst);
                shapes[kept++] = {Shape::Kind::Fused, outer.op, inner.op, false,
                                  outer.dst,          inner.a,  inner.b,  outer.a.index};
                ++k;
                continue;
            }
        }
        shapes[kept++] = inner;
    }
    shapes.resize(kept);
}

void FastProgram::Encode(std::pmr::vector<Shape>& shapes) {
    // An operand that the step just before made is read from where that step
    // left it.
    for (std::size_t k = 1; k < shapes.size(); ++k) {
        Shape& shape = shapes[k];
        const std::uint16_t previous = shapes[k - 1].dst;
        for (Operand* operand : {&shape.a, &shape.b}) {
            if (operand->from == From::Register && operand->index == previous) {
                operand->from = From::Previous;
            }
        }
        shape.leftPrevious = shape.kind == Shape::Kind::Fused && shape.left == previous;
    }
    // So is the result, when the last step made it: read back from memory at
    // once, it would wait for the store.
    if (!shapes.empty() && resultFrom == From::Register && result == shapes.back().dst) {
        resultFrom = From::Previous;
    }
    const auto pair = [](const Shape& shape) {
        return static_cast<int>(shape.a.from) * kFromCount + static_cast<int>(shape.b.from);
    };
    steps.reserve(shapes.size() + 1);
    std::pmr::vector<std::uint16_t> codes(steps.get_allocator());
    codes.reserve(shapes.size() + 1);
    for (const Shape& shape : shapes) {
        int code = 0;
        switch (shape.kind) {
            case Shape::Kind::Binary:
                code = shape.op * kPairs + pair(shape);
                break;
            case Shape::Kind::Unary:
                code = kUnaryCode + shape.op * kFromCount + static_cast<int>(shape.a.from);
                break;
            case Shape::Kind::Fused:
                code = kFusedCode +
                       (((shape.leftPrevious ? 1 : 0) * kBasicOps + shape.op) * kBasicOps +
                        shape.inner) *
                           kPairs +
                       pair(shape);
                break;
        }
        codes.push_back(static_cast<std::uint16_t>(code));
        steps.push_back({nullptr, shape.dst, shape.a.index, shape.b.index, shape.left});
    }
    codes.push_back(static_cast<std::uint16_t>(kEndCode));
    steps.push_back({nullptr, 0, 0, 0, 0});
    (void)RunSteps(nullptr, codes.data(), steps.data());
    first = steps.front().label;
}

// The steps as machine code, the result of each step in xmm0 (where the
// next step finds it as its previous result), stored only when a later step
// reads it from memory. Made only when the result tells whether any step
// left the range (see CanHideRange): the code checks the variables first and
// the result last, and nothing between. The last check is left out when no
// values the variables can hold take the result out of the range.
std::shared_ptr<const MachineCode> FastProgram::Assemble(const std::pmr::vector<Shape>& shapes,
                                                         const RangeBounds& bounds,
                                                         const MachineCode::Layout& layout) const {
    if (!MachineCode::Supported()) {
        return nullptr;
    }
    if (!onlyBasic) {
        return nullptr;  // the other operations are left to the steps
    }
    // stored[k]: a later step reads step k's result from memory.
    std::pmr::vector<bool> stored(shapes.size(), false, shapes.get_allocator());
    int registers = 0;  // those stored: 0 to registers - 1
    std::array<bool, kRegisters> read{};
    if (resultFrom == From::Register) {
        read[result] = true;
    }
    for (std::size_t k = shapes.size(); k-- > 0;) {
        const Shape& shape = shapes[k];
        stored[k] = read[shape.dst];
        if (stored[k]) {
            registers = std::max(registers, shape.dst + 1);
        }
        read[shape.dst] = false;
        for (const Operand& operand : {shape.a, shape.b}) {
            if (operand.from == From::Register) {
                read[operand.index] = true;
            }
        }
        if (shape.kind == Shape::Kind::Fused && !shape.leftPrevious) {
            read[shape.left] = true;
        }
    }
    using Base = MachineCode::Base;
    using Op = MachineCode::Op;
    static_assert(kBinaryKinds[static_cast<int>(Op::Plus)] == OpKind::Plus &&
                  kBinaryKinds[static_cast<int>(Op::Minus)] == OpKind::Minus &&
                  kBinaryKinds[static_cast<int>(Op::Times)] == OpKind::Times &&
                  kBinaryKinds[static_cast<int>(Op::Divide)] == OpKind::Divide);
    // A slot that does not read back holds not a number, which every step
    // passes on to the result: the result's check covers the slots the steps
    // read. A value read and then left unused ("A" in "A 5") is checked
    // before.
    std::uint64_t used = resultFrom == From::Variable ? std::uint64_t{1} << result : 0;
    for (const Shape& shape : shapes) {
        for (const Operand& operand : {shape.a, shape.b}) {
            if (operand.from == From::Variable) {
                used |= std::uint64_t{1} << operand.index;
            }
        }
    }
    MachineCode::Writer code(layout, constants);
    code.Begin(slots & ~used, registers);
    const auto base = [](From from) {
        return from == From::Register   ? Base::Registers
               : from == From::Constant ? Base::Constants
                                        : Base::Values;
    };
    // xmm `to` = the operand, or op applied to xmm `to` and the operand.
    const auto load = [&](int to, const Operand& operand) {
        if (operand.from == From::Previous) {
            code.Move(to, 0);
        } else {
            code.Load(to, base(operand.from), operand.index);
        }
    };
    const auto apply = [&](Op op, int to, const Operand& operand) {
        if (operand.from == From::Previous) {
            code.Apply(op, to, 0);
        } else {
            code.Apply(op, to, base(operand.from), operand.index);
        }
    };
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        const Shape& shape = shapes[k];
        if (shape.kind == Shape::Kind::Fused) {
            // x inner y in xmm1, then xmm0 = left outer xmm1.
            load(1, shape.a);
            apply(static_cast<Op>(shape.inner), 1, shape.b);
            if (!shape.leftPrevious) {
                code.Load(0, Base::Registers, shape.left);
            }
            code.Apply(static_cast<Op>(shape.op), 0, 1);
        } else if (shape.b.from == From::Previous && shape.a.from != From::Previous) {
            load(1, shape.a);
            code.Apply(static_cast<Op>(shape.op), 1, 0);
            code.Move(0, 1);
        } else {
            if (shape.a.from != From::Previous) {
                load(0, shape.a);
            }
            apply(static_cast<Op>(shape.op), 0, shape.b);
        }
        if (stored[k]) {
            code.Store(Base::Registers, shape.dst, 0);
        }
    }
    if (resultFrom != From::Previous) {
        code.Load(0, base(resultFrom), result);
    }
    code.End(!std::isfinite(bounds.result));
    return MachineCode::Load(code);
}

namespace {

// Where a value outside the range of a double could vanish before the result,
// whether a step left the range is read from the processor's floating-point
// flags once, after the last step, instead of after each one: from finite
// operands, +, -, * and / give such a value only by raising overflow,
// division by zero (x / 0) or invalid (0 / 0). The flags are the thread's
// own; those the caller had raised are kept.
class RangeWatch {
public:
#if defined(__SSE2__)
    static constexpr unsigned kFlags = 0x01 | 0x04 | 0x08;  // invalid, zero divide, overflow
    explicit RangeWatch(bool on) noexcept : m_on(on) {
        if (!m_on) {
            return;
        }
        m_before = _mm_getcsr();
        if ((m_before & kFlags) != 0) [[unlikely]] {
            _mm_setcsr(m_before & ~kFlags);
        }
    }
    // True when no step raised a flag (always, when not watching).
    bool InRange() const noexcept {
        if (!m_on) {
            return true;
        }
        const unsigned after = _mm_getcsr();
        if ((m_before & kFlags) != 0) [[unlikely]] {
            _mm_setcsr(after | (m_before & kFlags));
        }
        return (after & kFlags) == 0;
    }

private:
    bool m_on;
    unsigned m_before = 0;
#else
    static constexpr int kFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
    explicit RangeWatch(bool on) noexcept : m_on(on) {
        if (m_on) {
            std::fegetexceptflag(&m_before, kFlags);
            std::feclearexcept(kFlags);
        }
    }
    bool InRange() const noexcept {
        if (!m_on) {
            return true;
        }
        const bool inRange = std::fetestexcept(kFlags) == 0;
        std::fesetexceptflag(&m_before, kFlags);
        if (!inRange) {
            std::feraiseexcept(kFlags);
        }
        return inRange;
    }

private:
    bool m_on;
    std::fexcept_t m_before{};
#endif
};

}  // namespace

double FastProgram::RunSteps(const double* const v, const std::uint16_t* const codes,
                             FastStep* const labels) const noexcept {
    std::array<double, kRegisters> file;
    double* const r = file.data();
    const double* const c = constants.data();
    // Each step jumps straight to the next one's code (labels as values, a
    // GNU extension both compilers of this project have): a jump of its own
    // for every kind of step and place of its operands predicts far better
    // than one shared switch, and reads each operand with one load.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
    // The codes' addresses, in the order of FastProgram's codes.
#define VORNEL_PLACES(NAME)                                                                        \
    &&NAME##_rr, &&NAME##_rc, &&NAME##_rv, &&NAME##_rp, &&NAME##_cr, &&NAME##_cc, &&NAME##_cv,     \
        &&NAME##_cp, &&NAME##_vr, &&NAME##_vc, &&NAME##_vv, &&NAME##_vp, &&NAME##_pr, &&NAME##_pc, \
        &&NAME##_pv, &&NAME##_pp
#define VORNEL_INNER_PLACES(LEFT, OUTER)                                         \
    VORNEL_PLACES(LEFT##_##OUTER##_plus), VORNEL_PLACES(LEFT##_##OUTER##_minus), \
        VORNEL_PLACES(LEFT##_##OUTER##_times), VORNEL_PLACES(LEFT##_##OUTER##_divide)
#define VORNEL_FUSED_PLACES(LEFT)                                      \
    VORNEL_INNER_PLACES(LEFT, plus), VORNEL_INNER_PLACES(LEFT, minus), \
        VORNEL_INNER_PLACES(LEFT, times), VORNEL_INNER_PLACES(LEFT, divide)
    static const void* const kCode[] = {VORNEL_PLACES(plus),
                                        VORNEL_PLACES(minus),
                                        VORNEL_PLACES(times),
                                        VORNEL_PLACES(divide),
                                        VORNEL_PLACES(max),
                                        VORNEL_PLACES(min),
                                        VORNEL_PLACES(round),
                                        VORNEL_PLACES(exp),
                                        &&ceil_r,
                                        &&ceil_c,
                                        &&ceil_v,
                                        &&ceil_p,
                                        &&floor_r,
                                        &&floor_c,
                                        &&floor_v,
                                        &&floor_p,
                                        VORNEL_FUSED_PLACES(r),
                                        VORNEL_FUSED_PLACES(p),
                                        &&end};
#undef VORNEL_FUSED_PLACES
#undef VORNEL_INNER_PLACES
#undef VORNEL_PLACES
    static_assert(std::size(kCode) == kEndCode + 1);
    if (codes != nullptr) [[unlikely]] {
        // Each step jumps to the next one's label without looking it up.
        for (std::size_t k = 0;; ++k) {
            labels[k].label = kCode[codes[k]];
            if (codes[k] == kEndCode) {
                return 0;
            }
        }
    }
    const RangeWatch watch(watchFlags);
    const FastStep* step = steps.data();
    double z{};  // the result of the step just before
    // An operand from each place: p is the result just before.
#define VORNEL_READ_r(index) r[index]
#define VORNEL_READ_c(index) c[index]
#define VORNEL_READ_v(index) v[index]
#define VORNEL_READ_p(index) z
#define VORNEL_NEXT() \
    r[step->dst] = z; \
    ++step;           \
    goto * step->label
    // A step over operands x and y, from each pair of places.
#define VORNEL_AT(NAME, X, Y, BODY)                \
    NAME##_##X##Y : {                              \
        const double x = VORNEL_READ_##X(step->a); \
        const double y = VORNEL_READ_##Y(step->b); \
        BODY;                                      \
    }                                              \
    VORNEL_NEXT();
#define VORNEL_FROM(NAME, X, BODY) \
    VORNEL_AT(NAME, X, r, BODY)    \
    VORNEL_AT(NAME, X, c, BODY)    \
    VORNEL_AT(NAME, X, v, BODY)    \
    VORNEL_AT(NAME, X, p, BODY)
#define VORNEL_BINARY(NAME, BODY) \
    VORNEL_FROM(NAME, r, BODY)    \
    VORNEL_FROM(NAME, c, BODY)    \
    VORNEL_FROM(NAME, v, BODY)    \
    VORNEL_FROM(NAME, p, BODY)
#define VORNEL_UNARY_AT(NAME, X, BODY)             \
    NAME##_##X : {                                 \
        const double x = VORNEL_READ_##X(step->a); \
        BODY;                                      \
    }                                              \
    VORNEL_NEXT();
#define VORNEL_UNARY(NAME, BODY)   \
    VORNEL_UNARY_AT(NAME, r, BODY) \
    VORNEL_UNARY_AT(NAME, c, BODY) VORNEL_UNARY_AT(NAME, v, BODY) VORNEL_UNARY_AT(NAME, p, BODY)
    // Two steps in one: the left operand (from LEFT), then OUTER applied
    // to it and to x INNER y.
#define VORNEL_INNER(LEFT, OUTER, OUTER_OP)                                                   \
    VORNEL_BINARY(LEFT##_##OUTER##_plus, z = VORNEL_READ_##LEFT(step->left) OUTER_OP(x + y))  \
    VORNEL_BINARY(LEFT##_##OUTER##_minus, z = VORNEL_READ_##LEFT(step->left) OUTER_OP(x - y)) \
    VORNEL_BINARY(LEFT##_##OUTER##_times, z = VORNEL_READ_##LEFT(step->left) OUTER_OP(x * y)) \
    VORNEL_BINARY(LEFT##_##OUTER##_divide, z = VORNEL_READ_##LEFT(step->left) OUTER_OP(x / y))
#define VORNEL_FUSED(LEFT)      \
    VORNEL_INNER(LEFT, plus, +) \
    VORNEL_INNER(LEFT, minus, -) VORNEL_INNER(LEFT, times, *) VORNEL_INNER(LEFT, divide, /)

    goto* first;
    VORNEL_BINARY(plus, z = x + y)
    VORNEL_BINARY(minus, z = x - y)
    VORNEL_BINARY(times, z = x * y)
    VORNEL_BINARY(divide, z = x / y)
    VORNEL_BINARY(max, z = x >= y ? x : y)
    VORNEL_BINARY(min, z = x < y ? x : y)
    VORNEL_BINARY(
        round, const double places = std::nearbyint(y); if (!(places >= 0 && places <= kInt32Max)) {
            goto fail;
        } z = RoundToPlaces(x, static_cast<int>(places)))
    VORNEL_BINARY(
        exp, if (!FastPower(x, y, z)) { goto fail; })
    VORNEL_UNARY(
        ceil, z = std::floor(x); if (z != x) { z += 1; })
    VORNEL_UNARY(floor, z = std::floor(x))
    VORNEL_FUSED(r)
    VORNEL_FUSED(p)
end:
#undef VORNEL_FUSED
#undef VORNEL_INNER
#undef VORNEL_UNARY
#undef VORNEL_UNARY_AT
#undef VORNEL_BINARY
#undef VORNEL_FROM
#undef VORNEL_AT
#undef VORNEL_NEXT
#undef VORNEL_READ_p
#undef VORNEL_READ_v
#undef VORNEL_READ_c
#undef VORNEL_READ_r
#pragma GCC diagnostic pop
    if (resultFrom != From::Previous) [[unlikely]] {
        switch (resultFrom) {
            case From::Register:
                z = r[result];
                break;
            case From::Constant:
                z = c[result];
                break;
            case From::Variable:
                z = v[result];
                break;
            case From::Previous:
                break;
        }
    }
    if (!watch.InRange() || !(std::abs(z) <= std::numeric_limits<double>::max())) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return z;
fail:
    (void)watch.InRange();
    return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace vornel
