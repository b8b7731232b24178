#include "common/numeric.h"

#include <gtest/gtest.h>

#include <string>

namespace sorvane {
namespace {

TEST(IsNumeric, AcceptsOnlyTheDecimalForm) {
    for (const char* yes :
         {"0", "100", " 100 ", "+5", "-3", "-0", "1.5", "1e3", "1E+3", "2.5e-2", "007"}) {
        EXPECT_TRUE(isNumeric(yes)) << '"' << yes << '"';
    }
    for (const char* no : {"", "   ", "abc", "1.", ".5", "1e", "0x10", "1,000", "inf", "nan", "--1",
                           "1 2", "\t1", "$5", "1e3.5", "+"}) {
        EXPECT_FALSE(isNumeric(no)) << '"' << no << '"';
    }
}

struct Int16Case {
    const char* text;
    std::optional<int16_t> expected;
};

TEST(ToInt16, RoundsHalvesToEvenAndRejectsOverflow) {
    const std::string huge = "1" + std::string(400, '0') + "e-10";
    const std::string tiny = "0." + std::string(400, '0') + "1";
    const Int16Case cases[] = {
        {"100.4", 100},
        {"100.5", 100},
        {"101.5", 102},
        {"4501.5", 4502},
        {"-2.5", -2},
        {"-0", 0},
        {"+5", 5},
        {"32767", 32767},
        {"-32768", -32768},
        {"32767.5", std::nullopt},
        {"32768", std::nullopt},
        {"-32769", std::nullopt},
        {"1e309", std::nullopt},
        {"1e4", 10000},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"99999999999999999999999999", std::nullopt},
        // Beyond a double's range, the digits and the exponent together decide: huge or zero.
        {huge.c_str(), std::nullopt},
        {tiny.c_str(), 0},
        {"0.001e-400", 0},
        {"1e-99999999999999999999", 0},
        {"1e99999999999999999999", std::nullopt},
    };
    for (const Int16Case& c : cases)
        EXPECT_EQ(toInt16(c.text), c.expected) << c.text;
}

TEST(ToInt32, RangeOfThirtyTwoBits) {
    EXPECT_EQ(toInt32("2147483647"), 2147483647);
    EXPECT_EQ(toInt32("2147483648"), std::nullopt);
    EXPECT_EQ(toInt32("-2147483648"), -2147483647 - 1);
}

TEST(ToFloat, RejectsBeyondFloatRange) {
    EXPECT_EQ(toFloat("0.9985"), 0.9985f);
    EXPECT_EQ(toFloat("1e39"), std::nullopt);
    EXPECT_EQ(toFloat("1e-60"), 0.0f);
    EXPECT_EQ(toDouble("1e309"), std::nullopt);
    EXPECT_EQ(toDouble("1e308"), 1e308);
}

}  // namespace
}  // namespace sorvane
