#include "MuparserOneShot.h"

#include <muParser.h>

#include <cmath>
#include <iterator>

#include "Workloads.h"

namespace vornel::bench {

double MuparserMax(double a, double b) {
    return a >= b ? a : b;
}

double MuparserMin(double a, double b) {
    return a < b ? a : b;
}

double MuparserRound(double x, double places) {
    const double scale = std::pow(10.0, std::nearbyint(places));
    // nearbyint rounds halves to even in the default rounding mode.
    return std::nearbyint(x * scale) / scale;
}

double MuparserExp(double x, double n) {
    const long count = std::lrint(n);
    double r = 1;
    for (long k = 0; k < count; ++k) {
        r *= x;
    }
    return r;
}

double MuparserCeil(double x) {
    return std::ceil(x);
}

double MuparserFloor(double x) {
    return std::floor(x);
}

void DefineCalculator(mu::Parser& parser, double* values) {
    for (std::size_t k = 0; k < std::size(kVariableValues); ++k) {
        values[k] = kVariableValues[k];
        parser.DefineVar(kVariableNames[k], &values[k]);
    }
    parser.DefineFun("Max", MuparserMax);
    parser.DefineFun("Min", MuparserMin);
    parser.DefineFun("Round", MuparserRound);
    parser.DefineFun("Exp", MuparserExp);
    parser.DefineFun("Ceil", MuparserCeil);
    parser.DefineFun("Floor", MuparserFloor);
}

double MuparserOneShot(const std::string& expression) {
    double values[std::size(kVariableValues)];
    mu::Parser parser;
    DefineCalculator(parser, values);
    parser.SetExpr(expression);
    return parser.Eval();
}

}  // namespace vornel::bench
