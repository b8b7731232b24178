#include "archive/detector_day.h"

#include <gtest/gtest.h>

#include "archive/impute.h"

namespace sorvane {
namespace {

TEST(DecodeOccupancy, SignedBigEndianScaledByMemberKind) {
    struct Case {
        uint8_t high, low;
        const char* member;
        float expected;
    };
    const Case cases[] = {{0x03, 0xE9, "100.o30", 100.1f},
                          {0xFF, 0xFF, "100.o30", -0.1f},
                          {0x80, 0x00, "100.o30", -3276.8f},
                          {0x03, 0x84, "100.c30", 50.0f},
                          {0x00, 0x01, "100.c30", static_cast<float>(1.0 / 18.0)}};
    for (const Case& c : cases) {
        EXPECT_EQ(decodeOccupancy(c.high, c.low, occupancyDivisor(c.member)), c.expected)
            << c.member << ' ' << int(c.high) << ' ' << int(c.low);
    }
}

struct ImputeCase {
    int slot;
    int16_t vol;
    float occ;
    int16_t expectedVol;
    float expectedOcc;
};

TEST(ImputeDay, EachRuleAndItsBoundaries) {
    const ImputeCase cases[] = {
        // Rule 1: the missing marker in the first hour.
        {5, 255, 3.0f, -1, -1.0f},
        {119, 255, 3.0f, -1, -1.0f},
        {5, 60, 20.0f, 60, 20.0f},  // above 40 is fine in the first hour
        {119, 254, 20.0f, 254, 20.0f},
        // Rule 2 from 01:00:00 on, slot 120 included.
        {120, 41, 12.0f, -1, -1.0f},
        {120, 40, 12.0f, 40, 12.0f},
        {2879, 255, 0.0f, -1, -1.0f},
        // Rule 3: occupancy outside 0..100.
        {500, 12, 100.1f, -1, -1.0f},
        {500, 12, 100.0f, 12, 100.0f},
        {500, 0, -0.1f, -1, -1.0f},
        {500, 12, 0.0f, 12, 0.0f},
        // Rule 4: no vehicles means no occupancy, unless locked at exactly 100.
        {500, 0, 7.5f, 0, 0.0f},
        {500, 0, 100.0f, 0, 100.0f},
        {5, 0, 99.9f, 0, 0.0f},
    };
    for (const ImputeCase& c : cases) {
        DetectorDay source{};
        source[static_cast<size_t>(c.slot)] = {c.vol, c.occ};
        DetectorDay target{};
        target.fill({7, 7.0f});  // whatever the target held before is replaced
        modImpute::imputeDay(source, target);
        EXPECT_EQ(target[static_cast<size_t>(c.slot)].vol, c.expectedVol)
            << "slot " << c.slot << " vol " << c.vol;
        EXPECT_EQ(target[static_cast<size_t>(c.slot)].occ, c.expectedOcc)
            << "slot " << c.slot << " occ " << c.occ;
        EXPECT_EQ(source[static_cast<size_t>(c.slot)].vol, c.vol) << "the source stays unchanged";
    }
}

}  // namespace
}  // namespace sorvane
