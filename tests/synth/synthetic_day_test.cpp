#include "mkarchive/synthetic_day.h"

#include <gtest/gtest.h>

#include <map>

#include "common/error.h"
#include "support/test_support.h"

namespace sorvane::synth {
namespace {

TEST(SyntheticDay, SameSeedSameBytes) {
    DayOptions options{.detectors = 30, .occupancy = OccEncoding::Mixed};
    test::TempDir dir;
    auto bytes = [&](const char* name) {
        return test::readFile(test::makeArchive(dir, name, test::generatedDay(options)));
    };
    const std::string first = bytes("a.traffic");
    EXPECT_EQ(bytes("b.traffic"), first);
    options.seed = 2;
    EXPECT_NE(bytes("c.traffic"), first);
}

TEST(SyntheticDay, FaultShareSpreadsOverEveryKind) {
    DayOptions options{.detectors = 100, .faultShare = 0.27};
    std::map<Fault, int> counts;
    for (const SyntheticDetector& d : makeDay(options))
        ++counts[d.fault];
    EXPECT_EQ(counts[Fault::None], 73);
    for (int kind = 1; kind <= kFaultKinds; ++kind)
        EXPECT_EQ(counts[static_cast<Fault>(kind)], 3);
}

TEST(SyntheticDay, PlausibleHealthyLane) {
    DayOptions options{.detectors = 1, .faultShare = 0.0};
    SyntheticDetector d = makeDay(options).front();
    ASSERT_EQ(d.volume.size(), 2880u);
    ASSERT_EQ(d.occupancy.size(), 5760u);
    auto hourVolume = [&d](int hour) {
        int sum = 0;
        for (int i = hour * 120; i < hour * 120 + 120; ++i)
            sum += d.volume[static_cast<size_t>(i)];
        return sum;
    };
    EXPECT_LT(hourVolume(3), 300) << "night";
    EXPECT_GT(hourVolume(7), 3 * hourVolume(3)) << "morning peak";
    EXPECT_GT(hourVolume(17), 3 * hourVolume(3)) << "evening peak";
    for (size_t i = 0; i < 2880; ++i) {
        ASSERT_LT(d.volume[i], 40);
        int raw = d.occupancy[2 * i] << 8 | d.occupancy[2 * i + 1];
        ASSERT_LE(raw, 1000);
    }
}

TEST(SyntheticDay, MemberOrderAndEncodingAsAsked) {
    DayOptions options{.detectors = 3, .firstDetector = -1, .occupancy = OccEncoding::C30};
    auto names = [&options](MemberOrder order) {
        std::vector<std::string> out;
        for (const ArchiveMember& m : archiveMembers(makeDay(options), order))
            out.push_back(m.name);
        return out;
    };
    EXPECT_EQ(names(MemberOrder::Grouped),
              (std::vector<std::string>{"-1.v30", "-1.c30", "0.v30", "0.c30", "1.v30", "1.c30"}));
    EXPECT_EQ(names(MemberOrder::VolumesFirst),
              (std::vector<std::string>{"-1.v30", "0.v30", "1.v30", "-1.c30", "0.c30", "1.c30"}));

    options.firstDetector = 32767;
    options.detectors = 2;
    EXPECT_THROW(makeDay(options), SorvaneError);
}

}  // namespace
}  // namespace sorvane::synth
