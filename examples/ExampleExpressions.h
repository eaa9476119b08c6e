#pragma once

#include <array>
#include <string_view>

namespace vornel {

// The four example expressions the window offers, as the formula box holds
// them: lines joined by CR LF, branches indented by eight spaces, no line
// break after the last line.
inline constexpr std::array<std::string_view, 4> kExampleExpressions = {
    "If (A>100 & B<200 ) Then\r\n"
    "        B*C-(Max(D,E-100))\r\n"
    "ElseIf (A<100 | B>=100) Then\r\n"
    "        Ceil(B/5)+20*B-Min(E*10, A)\r\n"
    "ElseIf (A=100) Then\r\n"
    "        Round(B/5,3)*C-Min(E*20, D)\r\n"
    "Else\r\n"
    "        A*C-Round(E/12,2)\r\n"
    "EndIf",

    "If (B+C>=300) Then\r\n"
    "        A*100+Round(B/C,3)-Exp(D,2)\r\n"
    "Else\r\n"
    "        B*10+Floor(B/C)+Exp(A,3)\r\n"
    "EndIf",

    "A*B+B/C-D+Max(E,300)/B+Ceil(5000/A*3.2)+Exp(2,8)",

    "Round(1000*3+3200/13-Round(432*23/43,3)+6400/12,3)",
};

}  // namespace vornel
