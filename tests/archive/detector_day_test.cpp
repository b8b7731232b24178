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

}  // namespace
}  // namespace sorvane
