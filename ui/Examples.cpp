#include "Examples.h"

#include "ExampleExpressions.h"

namespace vornel {

QString ExampleName(int row) {
    return QStringLiteral("Example Expression %1").arg(row + 1);
}

std::optional<QString> ExampleExpression(int row) {
    if (row < 0 || row >= kExampleCount) {
        return std::nullopt;
    }
    const std::string_view text = kExampleExpressions[std::size_t(row)];
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace vornel
