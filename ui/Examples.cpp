#include "Examples.h"

#include <QStringList>

namespace vornel {

namespace {

const QString kIndent(8, QLatin1Char(' '));

QStringList ExampleLines(int row) {
    switch (row) {
        case 0:
            return {"If (A>100 & B<200 ) Then",
                    kIndent + "B*C-(Max(D,E-100))",
                    "ElseIf (A<100 | B>=100) Then",
                    kIndent + "Ceil(B/5)+20*B-Min(E*10, A)",
                    "ElseIf (A=100) Then",
                    kIndent + "Round(B/5,3)*C-Min(E*20, D)",
                    "Else",
                    kIndent + "A*C-Round(E/12,2)",
                    "EndIf"};
        case 1:
            return {"If (B+C>=300) Then", kIndent + "A*100+Round(B/C,3)-Exp(D,2)", "Else",
                    kIndent + "B*10+Floor(B/C)+Exp(A,3)", "EndIf"};
        case 2:
            return {"A*B+B/C-D+Max(E,300)/B+Ceil(5000/A*3.2)+Exp(2,8)"};
        case 3:
            return {"Round(1000*3+3200/13-Round(432*23/43,3)+6400/12,3)"};
        default:
            return {};
    }
}

}  // namespace

QString ExampleName(int row) {
    return QStringLiteral("Example Expression %1").arg(row + 1);
}

std::optional<QString> ExampleExpression(int row) {
    const QStringList lines = ExampleLines(row);
    if (lines.isEmpty()) {
        return std::nullopt;
    }
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace vornel
