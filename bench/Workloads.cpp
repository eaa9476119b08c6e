#include "Workloads.h"

namespace vornel::bench {

namespace {

// The example blocks exactly as the window's example chooser puts them in the
// formula box: CR LF line breaks and eight-space indents.
const std::string kExample1 =
    "If (A>100 & B<200 ) Then\r\n"
    "        B*C-(Max(D,E-100))\r\n"
    "ElseIf (A<100 | B>=100) Then\r\n"
    "        Ceil(B/5)+20*B-Min(E*10, A)\r\n"
    "ElseIf (A=100) Then\r\n"
    "        Round(B/5,3)*C-Min(E*20, D)\r\n"
    "Else\r\n"
    "        A*C-Round(E/12,2)\r\n"
    "EndIf";

const std::string kExample1Muparser =
    "(A>100 && B<200) ? B*C-(Max(D,E-100)) : "
    "(A<100 || B>=100) ? Ceil(B/5)+20*B-Min(E*10, A) : "
    "(A==100) ? Round(B/5,3)*C-Min(E*20, D) : "
    "A*C-Round(E/12,2)";

const std::string kExample2 =
    "If (B+C>=300) Then\r\n"
    "        A*100+Round(B/C,3)-Exp(D,2)\r\n"
    "Else\r\n"
    "        B*10+Floor(B/C)+Exp(A,3)\r\n"
    "EndIf";

const std::string kExample2Muparser =
    "(B+C>=300) ? A*100+Round(B/C,3)-Exp(D,2) : B*10+Floor(B/C)+Exp(A,3)";

const std::string kExample3 = "A*B+B/C-D+Max(E,300)/B+Ceil(5000/A*3.2)+Exp(2,8)";
const std::string kExample4 = "Round(1000*3+3200/13-Round(432*23/43,3)+6400/12,3)";

// Every variable of the unit grows by four characters when its value is put
// in, so a text of this unit normalises to a little over twice its length;
// the evaluator's positions are 16-bit, which keeps it below 14,500 characters.
const std::string kVariableUnit = "A*B+B/C-D+(E-3.25)*2";
// The same arithmetic with the values written in: it stays its own length,
// so it reaches the longest texts the engine accepts.
const std::string kNumberUnit = "100*200+200/300-400+(500-3.25)*2";

Workload Flat(const std::string& family, const std::string& unit, std::size_t length) {
    std::string text = RepeatJoined(unit, length);
    std::string name = family + "/" + std::to_string(text.size());
    std::string muparser = text.size() <= kMuparserMaxLength ? text : "";
    return {std::move(name), std::move(text), std::move(muparser)};
}

}  // namespace

std::string RepeatJoined(const std::string& unit, std::size_t maxLength) {
    std::string text = unit;
    while (text.size() + 1 + unit.size() <= maxLength) {
        text += '+';
        text += unit;
    }
    return text;
}

std::vector<Workload> AllWorkloads() {
    std::vector<Workload> workloads = {
        {"short", "1+2*3", "1+2*3"},
        {"example3", kExample3, kExample3},
        {"example4", kExample4, kExample4},
        {"example2", kExample2, kExample2Muparser},
        {"example1", kExample1, kExample1Muparser},
    };
    for (const std::size_t length : {1000, 10000, 14000}) {
        workloads.push_back(Flat("vars", kVariableUnit, length));
    }
    for (const std::size_t length : {1000, 10000, 20000, 30000, 32766}) {
        workloads.push_back(Flat("numbers", kNumberUnit, length));
    }
    return workloads;
}

}  // namespace vornel::bench
