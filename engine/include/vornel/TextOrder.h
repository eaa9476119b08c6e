#pragma once

#include <cstdint>

namespace vornel {

// The order in which conditions compare texts ("<", "=", ...), always
// ignoring letter case: both texts are upper-cased first.
enum class TextOrder : std::uint8_t {
    UserLocale,  // the collating order of the user's locale (the default)
    CodePoint,   // by Unicode code point, the same on every machine; a byte
                 // that is not UTF-8 ranks by its own value
};

}  // namespace vornel
