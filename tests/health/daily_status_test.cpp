#include "health/daily_status.h"

#include <gtest/gtest.h>

#include <functional>

namespace sorvane {
namespace {

constexpr int kFirst = 600;  // the span: slots 600 to 2639, 2040 samples
constexpr int kSpan = 2040;

struct Day {
    VolumeBytes vol{};
    Occupancies occ{};

    // A busy, healthy day: 5 vehicles a slot, occupancies that differ from bin to bin.
    Day() {
        for (size_t i = 0; i < kSlotsPerDay; ++i) {
            vol[i] = 5;
            occ[i] = 5.0f + static_cast<float>(i * 37 % 11);
        }
    }
    // `count` samples spread evenly over the span.
    Day& spread(int count, uint8_t volume, float occupancy) {
        for (int k = 0; k < count; ++k) {
            size_t slot = static_cast<size_t>(kFirst + k * kSpan / count);
            vol[slot] = volume;
            occ[slot] = occupancy;
        }
        return *this;
    }
    // Slots first to last.
    Day& slots(int first, int last, uint8_t volume, float occupancy) {
        for (int i = first; i <= last; ++i) {
            vol[static_cast<size_t>(i)] = volume;
            occ[static_cast<size_t>(i)] = occupancy;
        }
        return *this;
    }
};

TEST(DailyStatus, EachRuleAtItsThreshold) {
    using enum DailyStatus;
    struct Case {
        const char* what;
        std::function<void(Day&)> make;
        DailyStatus expected;
    };
    const Case cases[] = {
        {"a busy day", [](Day&) {}, Good},
        {"nothing present", [](Day& d) { d.slots(0, 2879, 255, 10.0f); }, NoData},
        {"absent outside the span counts for nothing",
         [](Day& d) { d.slots(0, 599, 128, 10.0f).slots(2640, 2879, 255, 10.0f); }, Good},
        // 816 of 2040 absent leaves 1224, 60 %; volume 128 and occupancies outside 0..100 are
        // absent, volume 127 and occupancy 100 present.
        {"P = 1224", [](Day& d) { d.spread(816, 128, 10.0f); }, Good},
        {"P = 1223", [](Day& d) { d.spread(817, 128, 10.0f); }, InsufficientData},
        {"occupancy above 100 is absent", [](Day& d) { d.spread(817, 5, 100.01f); },
         InsufficientData},
        {"negative occupancy is absent", [](Day& d) { d.spread(817, 5, -1.0f); }, InsufficientData},
        {"volume 127 and occupancy 100 are present",
         [](Day& d) { d.spread(817, 128, 10.0f).slots(600, 600, 127, 100.0f); }, Good},
        // 59 % of 2040 is 1203.6.
        {"1204 zero occupancies", [](Day& d) { d.spread(1204, 0, 0.0f); }, CardOff},
        {"1203 zero occupancies", [](Day& d) { d.spread(1203, 0, 0.0f); }, Good},
        {"a share of the present samples",  // P = 1224: 59 % is 722.16
         [](Day& d) { d.slots(1824, 2639, 255, 0.0f).slots(600, 1322, 0, 0.0f); }, CardOff},
        // 20 % of 2040 is 408; 70.0 itself is not above.
        {"408 above 70", [](Day& d) { d.spread(408, 5, 70.1f); }, HighVal},
        {"407 above 70", [](Day& d) { d.spread(407, 5, 70.1f); }, Good},
        {"408 at 70", [](Day& d) { d.spread(408, 5, 70.0f); }, Good},
        // 2 % of 2040 is 40.8; 50 % is 1020.
        {"41 vehicles-free occupied", [](Day& d) { d.spread(41, 0, 3.0f); }, Intermittent},
        {"40 vehicles-free occupied", [](Day& d) { d.spread(40, 0, 3.0f); }, Good},
        {"1020 unoccupied with vehicles", [](Day& d) { d.spread(1020, 4, 0.0f); }, Intermittent},
        {"1019 unoccupied with vehicles", [](Day& d) { d.spread(1019, 4, 0.0f); }, Good},
        // 48 five-minute bins (480 slots) with one mean; 47 are not enough.
        {"48 equal bins", [](Day& d) { d.slots(1000, 1479, 5, 20.0f); }, Constant},
        {"47 equal bins", [](Day& d) { d.slots(1000, 1469, 5, 20.0f); }, Good},
        {"48 equal bins less a bin without samples",
         [](Day& d) { d.slots(1000, 1479, 5, 20.0f).slots(1200, 1209, 255, 20.0f); }, Good},
        {"bins equal in the mean only",
         [](Day& d) {
             for (int i = 1000; i < 1480; i += 2)
                 d.slots(i, i, 5, 10.0f).slots(i + 1, i + 1, 5, 30.0f);
         },
         Constant},
    };
    for (const Case& c : cases) {
        Day day;
        c.make(day);
        EXPECT_EQ(dailyStatusName(dailyStatus(day.vol, day.occ)), dailyStatusName(c.expected))
            << c.what;
    }
}

}  // namespace
}  // namespace sorvane
