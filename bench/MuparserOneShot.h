#pragma once

#include <string>

namespace vornel::bench {

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
