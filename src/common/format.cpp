#include "common/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace sorvane {

namespace {

struct PatternDigits {
    int minDecimals;
    int maxDecimals;
};

PatternDigits digitsOf(NumberPattern pattern) {
    switch (pattern) {
        case NumberPattern::Whole:
            return {0, 0};
        case NumberPattern::OneDecimal:
            return {1, 1};
        case NumberPattern::ThreeDecimals:
            return {3, 3};
        case NumberPattern::FourDecimals:
            return {4, 4};
        case NumberPattern::UpToTwo:
            return {1, 2};
    }
    return {0, 0};
}

// The exact decimal text of a finite value at `decimals` places (ties to even), with '.' as the
// point whatever the C locale says: the window runs under the desktop's locale. At most 309
// digits stand before the point of a finite double, and at most five after it here.
std::string printFixed(double magnitude, int decimals) {
    char buffer[330];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed,
                                decimals);
    return std::string(buffer, result.ptr);
}

// Adds one unit in the last place of a plain decimal text such as "12.49" -> "12.50".
void incrementLastDigit(std::string& text) {
    for (size_t i = text.size(); i-- > 0;) {
        if (text[i] == '.') continue;
        if (text[i] != '9') {
            ++text[i];
            return;
        }
        text[i] = '0';
    }
    text.insert(text.begin(), '1');
}

// |value| rounded to `decimals` places, exact halves away from zero.
std::string roundMagnitude(double magnitude, int decimals) {
    // An exact tie at `decimals` places needs a value with at most decimals+1 binary fraction
    // digits; only then is the decimal expansion at decimals+1 places exact.
    double scaled = std::ldexp(magnitude, decimals + 1);
    if (scaled == std::floor(scaled)) {
        std::string exact = printFixed(magnitude, decimals + 1);
        if (exact.back() == '5') {
            exact.pop_back();
            if (decimals == 0) exact.pop_back();  // the '.' left behind
            incrementLastDigit(exact);
            return exact;
        }
    }
    return printFixed(magnitude, decimals);
}

}  // namespace

std::string formatNumber(double value, NumberPattern pattern) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    PatternDigits digits = digitsOf(pattern);
    std::string text = roundMagnitude(std::fabs(value), digits.maxDecimals);
    // Drop optional trailing zeros down to the pattern's minimum.
    if (digits.maxDecimals > digits.minDecimals) {
        size_t point = text.find('.');
        size_t keep = point + 1 + static_cast<size_t>(digits.minDecimals);
        while (text.size() > keep && text.back() == '0')
            text.pop_back();
    }
    bool allZero = text.find_first_not_of("0.") == std::string::npos;
    if (std::signbit(value) && !allZero) text.insert(text.begin(), '-');
    return text;
}

char* writeUpToTwo(char* out, float value) {
    // A float has 24 significant bits and 100 has 5, so the product is exact in double, and
    // adding one half before dropping the fraction rounds exact halves away from zero like
    // formatNumber.
    double scaled = std::fabs(static_cast<double>(value)) * 100.0;
    if (!(scaled < 0x1p52)) {  // NaN, infinities and huge values take the general road
        std::string text = formatNumber(value, NumberPattern::UpToTwo);  // at most 42 characters
        return std::copy(text.begin(), text.end(), out);
    }
    auto hundredths = static_cast<uint64_t>(scaled + 0.5);
    if (std::signbit(value) && hundredths != 0) *out++ = '-';
    const uint64_t whole = hundredths / 100;
    if (whole < 10) {  // most occupancies: one digit, or two below
        *out++ = static_cast<char>('0' + whole);
    } else if (whole < 100) {
        *out++ = static_cast<char>('0' + whole / 10);
        *out++ = static_cast<char>('0' + whole % 10);
    } else {
        out = std::to_chars(out, out + kUpToTwoFloatChars, whole).ptr;
    }
    auto cents = static_cast<unsigned>(hundredths % 100);
    *out++ = '.';
    *out++ = static_cast<char>('0' + cents / 10);
    if (cents % 10 != 0) *out++ = static_cast<char>('0' + cents % 10);
    return out;
}

std::string formatTimeOfDay(int secondsAfterMidnight) {
    int s = ((secondsAfterMidnight % 86400) + 86400) % 86400;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return buffer;
}

}  // namespace sorvane
