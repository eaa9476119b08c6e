#pragma once

#include <string>

namespace mu {
class Parser;
}

namespace vornel::bench {

// Defines the variables A to E in `values` (one double each, set to 100 to
// 500; muparser reads them there) and the calculator's functions.
void DefineCalculator(mu::Parser& parser, double* values);

// The same work as one evaluation command, done by muparser: create a parser,
// define the variables A to E (100 to 500) and the calculator's functions
// (Max, Min, Round, Exp, Ceil, Floor), set the expression, evaluate it once.
// Throws mu::Parser::exception_type when muparser rejects the text.
double MuparserOneShot(const std::string& expression);

// The calculator's functions as muparser callbacks, with the calculator's
// rules: Max prefers the first argument on a tie, Round rounds half to even at
// d places, Exp multiplies n (rounded half to even) times.
double MuparserMax(double a, double b);
double MuparserMin(double a, double b);
double MuparserRound(double x, double places);
double MuparserExp(double x, double n);
double MuparserCeil(double x);
double MuparserFloor(double x);

}  // namespace vornel::bench
