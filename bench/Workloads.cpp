#include "Workloads.h"

#include "ExampleExpressions.h"

namespace vornel::bench {

namespace {

// The window's examples as its chooser puts them in the formula box, and what
// muparser's "?:" makes of the If blocks.
const std::string kExample1(kExampleExpressions[0]);

const std::string kExample1Muparser =
    "(A>100 && B<200) ? B*C-(Max(D,E-100)) : "
    "(A<100 || B>=100) ? Ceil(B/5)+20*B-Min(E*10, A) : "
    "(A==100) ? Round(B/5,3)*C-Min(E*20, D) : "
    "A*C-Round(E/12,2)";

const std::string kExample2(kExampleExpressions[1]);

const std::string kExample2Muparser =
    "(B+C>=300) ? A*100+Round(B/C,3)-Exp(D,2) : B*10+Floor(B/C)+Exp(A,3)";

const std::string kExample3(kExampleExpressions[2]);
const std::string kExample4(kExampleExpressions[3]);

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

std::string RepeatJoined(const std::string& unit, std::size_t maxLength, char separator) {
    std::string text = unit;
    while (text.size() + 1 + unit.size() <= maxLength) {
        text += separator;
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

std::vector<LimitCase> LimitCases() {
    const std::string sum = RepeatJoined("1", 32765);                // "1+1+...+1", 16,383 ones
    const std::string condition127 = RepeatJoined("1=1", 127, '&');  // 127 tokens
    auto block = [](int conditions) {
        // Only the last condition holds (A is 100).
        std::string text;
        for (int k = 1; k <= conditions; ++k) {
            text += (k == 1 ? "If (A=" : "\r\nElseIf (A=") + std::to_string(84 + k) + ") Then " +
                    std::to_string(k);
        }
        return text + "\r\nElse 0\r\nEndIf";
    };
    auto nested = [](int depth) {
        return std::string(static_cast<std::size_t>(depth), '(') + "7" +
               std::string(static_cast<std::size_t>(depth), ')');
    };
    // A file of 65,000 bytes, the most the window opens: mostly indentation
    // around a small If block, and as one long sum.
    std::string indented = "If (A=100) Then\r\n" + std::string(32000, ' ') + "A*2\r\nElse 1 EndIf";
    indented += std::string(65000 - indented.size(), ' ');
    return {
        {"text32766", "1" + sum, "16393"},
        {"text32767", "11" + sum, "#6"},
        {"nested255", nested(255), "7"},
        {"nested256", nested(256), "#9"},
        {"nested257", nested(257), "#9"},
        {"tokens127", "If " + condition127 + " Then 1 Else 2 EndIf", "1"},
        {"tokens128", "If " + condition127 + " ) Then 1 Else 2 EndIf", "#9"},
        {"conditions16", block(16), "16"},
        {"conditions17", block(17), "#9"},
        {"file65000_if", indented, "200"},
        {"file65000_sum", RepeatJoined("1", 64999) + " ", "#6"},
    };
}

}  // namespace vornel::bench
