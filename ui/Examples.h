#pragma once

#include <QString>

#include <optional>

namespace vornel {

// The example chooser's rows and the formulas they put in the formula box,
// lines joined by CR LF with no line break after the last one.
inline constexpr int kExampleCount = 4;  // rows of kExampleExpressions

// "Example Expression 1" to "Example Expression 4" for rows 0 to 3.
QString ExampleName(int row);

// The formula of row `row`, or nullopt for a row that does not exist.
std::optional<QString> ExampleExpression(int row);

}  // namespace vornel
