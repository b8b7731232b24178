#include "common/numeric.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace sorvane {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Advances past a run of digits; returns how many there were.
size_t skipDigits(std::string_view s, size_t& pos) {
    size_t start = pos;
    while (pos < s.size() && isDigit(s[pos]))
        ++pos;
    return pos - start;
}

template <typename Int>
std::optional<Int> roundTo(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    // nearbyint rounds halves to even in the default rounding mode.
    double r = std::nearbyint(value);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(r);
}

// The power of ten of the first digit that is not 0, exponent included, of an unsigned number
// in the decimal form that is not zero: 2 for "123", -3 for "0.00123", 5 for "0.1e6". Saturates
// far beyond any double's range.
long long leadingPowerOfTen(std::string_view s) {
    constexpr long long kFar = 1'000'000'000;
    size_t e = s.find_first_of("eE");
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = s.substr(e + 1);
        bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
            digits.remove_prefix(1);
        for (char c : digits)
            exponent = std::min(exponent * 10 + (c - '0'), kFar);
        if (negative) exponent = -exponent;
        s = s.substr(0, e);
    }
    std::string_view whole = s.substr(0, s.find('.'));
    size_t first = whole.find_first_not_of('0');
    if (first != std::string_view::npos)
        return exponent + static_cast<long long>(whole.size() - first) - 1;
    std::string_view fraction =
        whole.size() < s.size() ? s.substr(whole.size() + 1) : std::string_view();
    return exponent - static_cast<long long>(fraction.find_first_not_of('0')) - 1;
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool isNumeric(std::string_view text) {
    std::string_view s = trimBlanks(text);
    size_t pos = 0;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
    if (skipDigits(s, pos) == 0) return false;
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        if (skipDigits(s, pos) == 0) return false;
    }
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
        ++pos;
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
        if (skipDigits(s, pos) == 0) return false;
    }
    return pos == s.size();
}

std::optional<double> parseNumber(std::string_view text) {
    if (!isNumeric(text)) return std::nullopt;
    std::string_view s = trimBlanks(text);
    bool negative = s.front() == '-';
    // from_chars accepts no leading '+'.
    if (s.front() == '+' || s.front() == '-') s.remove_prefix(1);
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too large gives infinity; too small (1e-400) is zero for every use here.
        value = leadingPowerOfTen(s) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc() || ptr != s.data() + s.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<int16_t> roundToInt16(double value) {
    return roundTo<int16_t>(value);
}
std::optional<int32_t> roundToInt32(double value) {
    return roundTo<int32_t>(value);
}

std::optional<int16_t> toInt16(std::string_view text) {
    auto v = parseNumber(text);
    return v ? roundToInt16(*v) : std::nullopt;
}

std::optional<int32_t> toInt32(std::string_view text) {
    auto v = parseNumber(text);
    return v ? roundToInt32(*v) : std::nullopt;
}

std::optional<float> toFloat(std::string_view text) {
    auto v = parseNumber(text);
    if (!v || !std::isfinite(*v) || std::fabs(*v) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return static_cast<float>(*v);
}

std::optional<double> toDouble(std::string_view text) {
    auto v = parseNumber(text);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

}  // namespace sorvane
