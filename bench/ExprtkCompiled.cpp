#include "ExprtkCompiled.h"

#include <exprtk.hpp>

#include <initializer_list>
#include <iterator>
#include <stdexcept>

#include "MuparserOneShot.h"
#include "Workloads.h"

namespace vornel::bench {

namespace {

// The calculator's functions of one and of two arguments, computed by the
// routines muparser is given. They have no side effects, so exprtk may work
// out a call on numbers alone when it compiles (muparser does the same).
class Unary final : public exprtk::ifunction<double> {
public:
    explicit Unary(double (*rule)(double)) : exprtk::ifunction<double>(1), m_rule(rule) {
        exprtk::disable_has_side_effects(*this);
    }
    using exprtk::ifunction<double>::operator();
    double operator()(const double& x) override { return m_rule(x); }

private:
    double (*m_rule)(double);
};

class Binary final : public exprtk::ifunction<double> {
public:
    explicit Binary(double (*rule)(double, double)) : exprtk::ifunction<double>(2), m_rule(rule) {
        exprtk::disable_has_side_effects(*this);
    }
    using exprtk::ifunction<double>::operator();
    double operator()(const double& x, const double& y) override { return m_rule(x, y); }

private:
    double (*m_rule)(double, double);
};

// exprtk has functions of its own named max, min, round, exp, ceil and floor,
// and its names ignore case: those are switched off so that "Max" is ours.
exprtk::parser<double>::settings_t Settings() {
    using Store = exprtk::parser<double>::settings_t;
    Store settings;
    for (const auto function : {Store::e_bf_max, Store::e_bf_min, Store::e_bf_round,
                                Store::e_bf_exp, Store::e_bf_ceil, Store::e_bf_floor}) {
        settings.disable_base_function(function);
    }
    return settings;
}

// A formula over A to E compiled once by exprtk. The expression reads the
// variables where they are stored, so the object stays where it was made.
class ExprtkFormula {
public:
    explicit ExprtkFormula(const std::string& text) {
        for (std::size_t k = 0; k < std::size(kVariableValues); ++k) {
            m_values[k] = kVariableValues[k];
            m_symbols.add_variable(kVariableNames[k], m_values[k]);
        }
        m_symbols.add_function("Max", m_max);
        m_symbols.add_function("Min", m_min);
        m_symbols.add_function("Round", m_round);
        m_symbols.add_function("Exp", m_exp);
        m_symbols.add_function("Ceil", m_ceil);
        m_symbols.add_function("Floor", m_floor);
        m_expression.register_symbol_table(m_symbols);
        exprtk::parser<double> parser(Settings());
        if (!parser.compile(text, m_expression)) {
            throw std::runtime_error(parser.error());
        }
    }
    ExprtkFormula(const ExprtkFormula&) = delete;
    ExprtkFormula& operator=(const ExprtkFormula&) = delete;

    double& A() { return m_values[0]; }
    double Value() const { return m_expression.value(); }

private:
    double m_values[std::size(kVariableValues)];
    Binary m_max{MuparserMax};
    Binary m_min{MuparserMin};
    Binary m_round{MuparserRound};
    Binary m_exp{MuparserExp};
    Unary m_ceil{MuparserCeil};
    Unary m_floor{MuparserFloor};
    exprtk::symbol_table<double> m_symbols;
    exprtk::expression<double> m_expression;
};

}  // namespace

double ExprtkValue(const std::string& text) {
    return ExprtkFormula(text).Value();
}

void BM_Exprtk(benchmark::State& state, const std::string& text, double (*a)(std::size_t)) {
    ExprtkFormula formula(text);
    std::size_t i = 0;
    for (auto _ : state) {
        formula.A() = a(i++);
        benchmark::DoNotOptimize(formula.Value());
    }
}

}  // namespace vornel::bench
