#include "archive/detector_day.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(DecodeOccupancy, SignedBigEndianScaledByMemberKind) {
    struct Case {
        uint8_t high, low;
        const char* member;
        float expected;
    };
    const Case cases[] = {
        {0x03, 0xE8, "100.o30", 100.0f},   {0x03, 0xE9, "100.o30", 100.1f},
        {0x00, 0x7B, "100.o30", 12.3f},    {0xFF, 0xFF, "100.o30", -0.1f},
        {0x80, 0x00, "100.o30", -3276.8f}, {0x03, 0x84, "100.c30", 50.0f},
        {0x07, 0x08, "100.c30", 100.0f},   {0x00, 0x01, "100.c30", static_cast<float>(1.0 / 18.0)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeOccupancy(c.high, c.low, occupancyDivisor(c.member)), c.expected)
            << c.member << ' ' << int(c.high) << ' ' << int(c.low);
    }
}

TEST(DecodeOccupancyMember, LastSlotReadsLastTwoBytes) {
    std::vector<uint8_t> bytes(kOccupancyMemberBytes, 0);
    bytes[5758] = 0x01;
    bytes[5759] = 0x2C;  // 300 tenths
    Occupancies occ{};
    decodeOccupancyMember(bytes, 10.0, occ);
    EXPECT_EQ(occ[2879], 30.0f);
    EXPECT_EQ(occ[2878], 0.0f);
}

TEST(RawDay, VolumeByteKeptAsIs) {
    VolumeBytes vol{};
    Occupancies occ{};
    vol[0] = 255;
    vol[2879] = 17;
    occ[5] = 3.5f;
    DetectorDay day = rawDayFrom(vol, occ);
    EXPECT_EQ(day[0].vol, 255);
    EXPECT_EQ(day[2879].vol, 17);
    EXPECT_EQ(day[5].occ, 3.5f);
}

}  // namespace
}  // namespace sorvane
