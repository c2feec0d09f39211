#pragma once

#include <string_view>

namespace zarvex {

// Reads a decimal integer the way the system's texts are read everywhere in the
// import: leading white space skipped, an optional sign, then digits up to the
// first other character. No digits read as 0; values beyond the int range
// saturate at INT_MIN or INT_MAX.
int readInt(std::string_view text);

} // namespace zarvex
