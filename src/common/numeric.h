#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sorvane {

// The numeric test for detector numbers, IDs and parameters: optional surrounding blanks, an
// optional sign, digits, an optional decimal point followed by digits, an optional exponent.
// Nothing else (hexadecimal, thousands separators, "inf") counts as a number.
bool isNumeric(std::string_view text);

// The value of a numeric text; nullopt when the text is not numeric. A value too large for a
// double comes back as an infinity, which every conversion below rejects as out of range.
std::optional<double> parseNumber(std::string_view text);

// Whole-number conversions: round halves to the even neighbour, nullopt when the text is not
// numeric or the result lies outside the target type. Never wraps.
std::optional<int16_t> toInt16(std::string_view text);
std::optional<int32_t> toInt32(std::string_view text);
std::optional<int16_t> roundToInt16(double value);
std::optional<int32_t> roundToInt32(double value);

// Single-precision conversion; nullopt when not numeric or beyond the float range.
std::optional<float> toFloat(std::string_view text);

// Double conversion; nullopt when not numeric or not finite.
std::optional<double> toDouble(std::string_view text);

// The text without leading and trailing blanks (spaces only).
std::string_view trimBlanks(std::string_view text);

}  // namespace sorvane
