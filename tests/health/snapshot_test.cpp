#include <gtest/gtest.h>

#include "health/health_snapshot.h"

namespace sorvane::modBaddet {
namespace {

TEST(HealthSnapshot, ConvertsTheFactoryTexts) {
    HealthSnapshot s = takeHealthSnapshot(factoryParameterTexts());
    EXPECT_EQ(s.occSpikeTh, 40.0f);
    EXPECT_EQ(s.volSpikeTh, 15);
    EXPECT_EQ(s.occSpikeCountTh, 30);
    EXPECT_EQ(s.volSpikeCountTh, 25);
    EXPECT_EQ(s.suspTh, 15.0f);
    EXPECT_EQ(s.margTh, 12.0f);
    EXPECT_EQ(s.missingFraction, 0.2f);
    EXPECT_EQ(s.zeroRunSlots, 480.0f);
    EXPECT_EQ(s.lockOnSlots, 14.0f);
    EXPECT_EQ(s.corCoeffTh, 0.9985);
    EXPECT_EQ(s.detNoFrom, 4500);
    EXPECT_EQ(s.detNoTo, 4940);
}

TEST(HealthSnapshot, ConvertsUnitsAndRoundsWholeNumbers) {
    HealthParameterTexts texts = factoryParameterTexts();
    texts[kConsecZeroVolMin] = "0.25";  // hours
    texts[kLockOnMin] = " 2.5 ";        // minutes, blanks around
    texts[kMissingPercent] = "12.5";
    texts[kVolSpikeTh] = "15.5";  // halves to even
    texts[kDetNoFrom] = "4501.5";
    texts[kDetNoTo] = "-2.5";
    HealthSnapshot s = takeHealthSnapshot(texts);
    EXPECT_EQ(s.zeroRunSlots, 30.0f);
    EXPECT_EQ(s.lockOnSlots, 5.0f);
    EXPECT_EQ(s.missingFraction, 0.125f);
    EXPECT_EQ(s.volSpikeTh, 16);
    EXPECT_EQ(s.detNoFrom, 4502);
    EXPECT_EQ(s.detNoTo, -2);
}

struct Refusal {
    HealthParam parameter;
    const char* text;
    const char* reason;
};

TEST(HealthSnapshot, RefusesTextsItCannotUseNamingTheField) {
    const Refusal cases[] = {
        {kVolSpikeTh, "", "must be a whole number from -32768 to 32767"},
        {kVolSpikeTh, "abc", "must be a whole number from -32768 to 32767"},
        {kOccSpikeCountTh, "32768", "must be a whole number from -32768 to 32767"},
        {kDetNoTo, "-32769", "must be a whole number from -32768 to 32767"},
        {kOccSpikeTh, "", "must be a number"},
        {kSuspTh, "1,5", "must be a number"},
        {kMargTh, "1e39", "must be a number"},  // beyond a float
        {kLockOnMin, "7 min", "must be a number"},
        {kCorCoeffTh, "1e309", "must be a number"},
        {kMissingPercent, "20%", "must be a number"},
    };
    for (const Refusal& c : cases) {
        HealthParameterTexts texts = factoryParameterTexts();
        texts[c.parameter] = c.text;
        try {
            takeHealthSnapshot(texts);
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const HealthParameterError& e) {
            EXPECT_EQ(e.parameter(), c.parameter) << c.text;
            EXPECT_EQ(e.reason(), c.reason) << c.text;
            EXPECT_EQ(e.description(), "The value of \"" +
                                           std::string(kHealthParameters[c.parameter].caption) +
                                           "\" " + c.reason + ".");
        }
    }
}

TEST(HealthSnapshot, ReportsTheFirstBadBoxInReadingOrder) {
    // The run reads the volume spike height before the occupancy spike count, although the
    // settings file keeps them the other way round.
    HealthParameterTexts texts = factoryParameterTexts();
    texts[kOccSpikeCountTh] = "x";
    texts[kVolSpikeTh] = "x";
    texts[kDetNoTo] = "x";
    try {
        takeHealthSnapshot(texts);
        FAIL() << "accepted";
    } catch (const HealthParameterError& e) {
        EXPECT_EQ(e.parameter(), kVolSpikeTh);
        EXPECT_EQ(e.description(),
                  "The value of \"Vol Spike Height   >= \" must be a whole number from -32768 to "
                  "32767.");
    }
}

}  // namespace
}  // namespace sorvane::modBaddet
