// Numbers read from text and written as text.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "common/format.h"
#include "common/numeric.h"
#include "support/test_support.h"

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

TEST(ToInt16, RoundsHalvesToEvenAndRejectsOverflow) {
    const std::string huge = "1" + std::string(400, '0') + "e-10";
    const std::string tiny = "0." + std::string(400, '0') + "1";
    const struct {
        const char* text;
        std::optional<int16_t> expected;
    } cases[] = {
        {"100.4", 100},
        {"100.5", 100},
        {"101.5", 102},
        {"-2.5", -2},
        {"32767.5", std::nullopt},
        {"1e4", 10000},
        {"99999999999999999999999999", std::nullopt},
        // Beyond a double's range, the digits and the exponent together decide: huge or zero.
        {huge.c_str(), std::nullopt},
        {tiny.c_str(), 0},
        {"0.001e-400", 0},
        {"1e-99999999999999999999", 0},
        {"1e99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toInt16(c.text), c.expected) << c.text;
}

TEST(ToInt32AndFloat, RejectBeyondTheirRange) {
    EXPECT_EQ(toInt32("2147483647"), 2147483647);
    EXPECT_EQ(toInt32("2147483648"), std::nullopt);
    EXPECT_EQ(toInt32("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(toFloat("0.9985"), 0.9985f);
    EXPECT_EQ(toFloat("1e39"), std::nullopt);
    EXPECT_EQ(toFloat("1e-60"), 0.0f);
    EXPECT_EQ(toDouble("1e309"), std::nullopt);
    EXPECT_EQ(toDouble("1e308"), 1e308);
}

TEST(FormatNumber, MatchesPatternUnderAnyLocale) {
    struct FormatCase {
        double value;
        NumberPattern pattern;
        const char* expected;
    };
    const FormatCase cases[] = {
        // "#0.0#": one or two decimals.
        FormatCase{3.456, NumberPattern::UpToTwo, "3.46"},
        FormatCase{12.5f, NumberPattern::UpToTwo, "12.5"},
        FormatCase{0.125, NumberPattern::UpToTwo, "0.13"},  // exact half: away from zero
        FormatCase{-0.125, NumberPattern::UpToTwo, "-0.13"},
        FormatCase{-0.001, NumberPattern::UpToTwo, "0.0"},  // no minus on a zero result
        // "#0": whole numbers, halves away from zero.
        FormatCase{2.5, NumberPattern::Whole, "3"},
        FormatCase{-2.5, NumberPattern::Whole, "-3"},
        FormatCase{-0.4, NumberPattern::Whole, "0"},
        FormatCase{4500000000000000.5, NumberPattern::Whole, "4500000000000001"},
        // "0.0" / "#0.0".
        FormatCase{0.25, NumberPattern::OneDecimal, "0.3"},
        FormatCase{9.96, NumberPattern::OneDecimal, "10.0"},
        // "0.0000".
        FormatCase{0.99855, NumberPattern::FourDecimals, "0.9986"},  // binary value above the half
        FormatCase{0.00005, NumberPattern::FourDecimals, "0.0001"},
    };
    auto check = [&cases](const char* locale) {
        for (const FormatCase& c : cases)
            EXPECT_EQ(formatNumber(c.value, c.pattern), c.expected) << c.value << ", " << locale;
    };
    check("C");

    // The window runs under the desktop's locale (Qt takes it from the environment), and a German
    // one makes printf write decimal commas. Reports and CSV files must not follow it.
    test::TempDir dir;
    std::string make = "localedef -i de_DE -f UTF-8 " + dir.file("de_DE.UTF-8") + " 2>/dev/null";
    if (std::system(make.c_str()) != 0) GTEST_SKIP() << "localedef cannot make a German locale";
    ::setenv("LOCPATH", dir.path().c_str(), 1);
    std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    check("de_DE");
    std::setlocale(LC_NUMERIC, saved.c_str());
    ::unsetenv("LOCPATH");
}

// The export's fast road must give the digits of the general one for every occupancy it can
// meet: decoded "o30" and "c30" values and the means of whole intervals, ties included.
TEST(WriteUpToTwo, SameAsFormatNumber) {
    std::vector<float> values = {0.125f,  0.375f, 2.675f, 1.005f, -0.004f, -0.005f,
                                 99.995f, -1.0f,  0.0f,   -0.0f,  1e-30f,  3.4e38f};
    for (int raw = -32768; raw <= 32767; ++raw) {
        values.push_back(static_cast<float>(raw / 10.0));
        values.push_back(static_cast<float>(raw / 18.0));
    }
    for (int sum = 0; sum <= 12000; sum += 7) {
        for (int count : {3, 7, 9, 11, 60, 119})
            values.push_back(static_cast<float>(sum / 10.0) / static_cast<float>(count));
    }
    for (float value : values) {
        char text[kUpToTwoFloatChars];
        ASSERT_EQ(std::string(text, writeUpToTwo(text, value)),
                  formatNumber(value, NumberPattern::UpToTwo))
            << value;
    }
}

}  // namespace
}  // namespace sorvane
