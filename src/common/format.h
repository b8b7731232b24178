#pragma once

#include <cstddef>
#include <string>

namespace sorvane {

// The number patterns of the program's texts. Each has at least one digit before the point
// and between minDecimals and maxDecimals after it.
enum class NumberPattern {
    Whole,          // "#0"
    OneDecimal,     // "0.0" and "#0.0"
    ThreeDecimals,  // "0.000"
    FourDecimals,   // "0.0000"
    UpToTwo,        // "#0.0#"
};

// Formats with '.' as the decimal point whatever the locale. An exact half of the binary
// value rounds away from zero; a result that shows only zeros carries no minus sign.
std::string formatNumber(double value, NumberPattern pattern);

// Writes formatNumber(value, NumberPattern::UpToTwo) of a single-precision value to `out`,
// which has room for kUpToTwoFloatChars, and returns the end. Needs no printf and no string:
// the export writes millions of them.
inline constexpr size_t kUpToTwoFloatChars = 48;
char* writeUpToTwo(char* out, float value);

// "hh:mm:ss" of a time of day given in seconds after midnight (24-hour clock).
std::string formatTimeOfDay(int secondsAfterMidnight);

}  // namespace sorvane
