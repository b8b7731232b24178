#include "common/format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "support/test_support.h"

namespace sorvane {
namespace {

struct FormatCase {
    double value;
    NumberPattern pattern;
    const char* expected;
};

TEST(FormatNumber, MatchesPattern) {
    const FormatCase cases[] = {
        // "#0.0#": one or two decimals.
        FormatCase{0.0, NumberPattern::UpToTwo, "0.0"},
        FormatCase{3.456, NumberPattern::UpToTwo, "3.46"},
        FormatCase{12.5f, NumberPattern::UpToTwo, "12.5"},
        FormatCase{-1.0, NumberPattern::UpToTwo, "-1.0"},
        FormatCase{0.125, NumberPattern::UpToTwo, "0.13"},  // exact half: away from zero
        FormatCase{-0.125, NumberPattern::UpToTwo, "-0.13"},
        FormatCase{-0.001, NumberPattern::UpToTwo, "0.0"},  // no minus on a zero result
        // "#0": whole numbers, halves away from zero.
        FormatCase{2.5, NumberPattern::Whole, "3"},
        FormatCase{-2.5, NumberPattern::Whole, "-3"},
        FormatCase{83.3333, NumberPattern::Whole, "83"},
        FormatCase{-0.4, NumberPattern::Whole, "0"},
        FormatCase{99.5, NumberPattern::Whole, "100"},
        FormatCase{4500000000000000.5, NumberPattern::Whole, "4500000000000001"},
        // "0.0" / "#0.0".
        FormatCase{0.25, NumberPattern::OneDecimal, "0.3"},
        FormatCase{60.0, NumberPattern::OneDecimal, "60.0"},
        FormatCase{0.04, NumberPattern::OneDecimal, "0.0"},
        FormatCase{9.96, NumberPattern::OneDecimal, "10.0"},
        // "0.0000".
        FormatCase{0.99855, NumberPattern::FourDecimals, "0.9986"},  // binary value above the half
        FormatCase{1.0, NumberPattern::FourDecimals, "1.0000"},
        FormatCase{0.00005, NumberPattern::FourDecimals, "0.0001"},
    };
    for (const FormatCase& c : cases) {
        EXPECT_EQ(formatNumber(c.value, c.pattern), c.expected) << c.value;
    }
}

// The window runs under the desktop's locale (Qt takes it from the environment), and a German
// one makes printf write decimal commas. Reports and CSV files must not follow it.
TEST(FormatNumberLocale, AlwaysUsesPoint) {
    test::TempDir dir;
    std::string make = "localedef -i de_DE -f UTF-8 " + dir.file("de_DE.UTF-8") + " 2>/dev/null";
    if (std::system(make.c_str()) != 0) GTEST_SKIP() << "localedef cannot make a German locale";
    ::setenv("LOCPATH", dir.path().c_str(), 1);
    std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    EXPECT_EQ(formatNumber(3.25, NumberPattern::UpToTwo), "3.25");
    EXPECT_EQ(formatNumber(0.99855, NumberPattern::FourDecimals), "0.9986");
    EXPECT_EQ(formatNumber(0.125, NumberPattern::UpToTwo), "0.13");
    std::setlocale(LC_NUMERIC, saved.c_str());
    ::unsetenv("LOCPATH");
}

TEST(FormatTimeOfDay, TwoDigitsEach) {
    EXPECT_EQ(formatTimeOfDay(0), "00:00:00");
    EXPECT_EQ(formatTimeOfDay(29670), "08:14:30");
    EXPECT_EQ(formatTimeOfDay(86370), "23:59:30");
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
