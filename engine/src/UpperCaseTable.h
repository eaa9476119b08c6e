#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vornel {

// A run of characters whose upper case is one other character, the same
// distance away for all of them: the code points first, first + step, ... up
// to last (step 1 or 2) map to code point + distance.
struct UpperCaseRange {
    char32_t first;
    char32_t last;
    std::uint8_t step;
    std::int32_t distance;
};

// Every simple upper-case mapping of one version of Unicode, as runs in the
// order of their code points, the same on every platform. A character in no
// run has no upper case of one character. UpperCaseTable.cpp is made from
// Unicode's UnicodeData.txt by engine/tools/make_upper_case_table.py.
extern const std::string_view kUpperCaseUnicodeVersion;
extern const std::span<const UpperCaseRange> kUpperCaseRanges;

}  // namespace vornel
