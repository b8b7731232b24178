#include <gtest/gtest.h>

#include "health/health_snapshot.h"

namespace sorvane::modBaddet {
namespace {

TEST(HealthSnapshot, ConvertsTypesAndUnits) {
    HealthParameterTexts texts = factoryParameterTexts();
    HealthSnapshot f = takeHealthSnapshot(texts);
    EXPECT_EQ(std::tuple(f.occSpikeTh, f.suspTh, f.margTh, f.corCoeffTh),
              std::tuple(40, 15, 12, 0.9985));
    EXPECT_EQ(
        std::tuple(f.volSpikeTh, f.occSpikeCountTh, f.volSpikeCountTh, f.detNoFrom, f.detNoTo),
        std::tuple(15, 30, 25, 4500, 4940));
    EXPECT_EQ(std::tuple(f.missingFraction, f.zeroRunSlots, f.lockOnSlots),
              std::tuple(0.2f, 480, 14));

    texts[kConsecZeroVolMin] = "0.25";  // hours
    texts[kLockOnMin] = " 2.5 ";        // minutes, blanks around
    texts[kVolSpikeTh] = "15.5";        // whole numbers round halves to even
    texts[kDetNoFrom] = "4501.5";
    HealthSnapshot s = takeHealthSnapshot(texts);
    EXPECT_EQ(std::tuple(s.zeroRunSlots, s.lockOnSlots, s.volSpikeTh, s.detNoFrom),
              std::tuple(30, 5, 16, 4502));
}

TEST(HealthSnapshot, RefusesTextsItCannotUseNamingTheField) {
    const char* kWhole = "must be a whole number from -32768 to 32767";
    const char* kNumber = "must be a number";
    const std::tuple<HealthParam, const char*, const char*> cases[] = {
        {kVolSpikeTh, "", kWhole},           {kVolSpikeTh, "abc", kWhole},
        {kOccSpikeCountTh, "32768", kWhole}, {kDetNoTo, "-32769", kWhole},
        {kOccSpikeTh, "", kNumber},          {kSuspTh, "1,5", kNumber},
        {kMargTh, "1e39", kNumber},  // beyond a float
        {kLockOnMin, "7 min", kNumber},      {kCorCoeffTh, "1e309", kNumber},
    };
    for (auto [parameter, text, reason] : cases) {
        HealthParameterTexts texts = factoryParameterTexts();
        texts[parameter] = text;
        try {
            takeHealthSnapshot(texts);
            ADD_FAILURE() << "accepted " << text;
        } catch (const HealthParameterError& e) {
            EXPECT_EQ(e.parameter(), parameter) << text;
            EXPECT_EQ(e.reason(), reason) << text;
            EXPECT_EQ(e.description(), "The value of \"" +
                                           std::string(kHealthParameters[parameter].caption) +
                                           "\" " + reason + ".");
        }
    }
}

TEST(HealthSnapshot, ReportsTheFirstBadBoxInReadingOrder) {
    // A run reads the volume spike height before the occupancy spike count, although the
    // settings file keeps them the other way round.
    HealthParameterTexts texts = factoryParameterTexts();
    texts[kOccSpikeCountTh] = texts[kVolSpikeTh] = texts[kDetNoTo] = "x";
    try {
        takeHealthSnapshot(texts);
        FAIL() << "accepted";
    } catch (const HealthParameterError& e) {
        EXPECT_EQ(e.description(),
                  "The value of \"Vol Spike Height   >= \" must be a whole number from -32768 to "
                  "32767.");
    }
}

}  // namespace
}  // namespace sorvane::modBaddet
