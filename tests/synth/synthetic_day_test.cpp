#include "mkarchive/synthetic_day.h"

#include <gtest/gtest.h>

#include <map>

#include "common/error.h"
#include "support/test_support.h"

namespace sorvane::synth {
namespace {

TEST(SyntheticDay, SameSeedSameBytes) {
    DayOptions options;
    options.detectors = 30;
    options.occupancy = OccEncoding::Mixed;
    test::TempDir dir;
    writeArchive(dir.file("a.traffic"), archiveMembers(makeDay(options), MemberOrder::Grouped));
    writeArchive(dir.file("b.traffic"), archiveMembers(makeDay(options), MemberOrder::Grouped));
    EXPECT_EQ(test::readFile(dir.file("a.traffic")), test::readFile(dir.file("b.traffic")));

    options.seed = 2;
    writeArchive(dir.file("c.traffic"), archiveMembers(makeDay(options), MemberOrder::Grouped));
    EXPECT_NE(test::readFile(dir.file("a.traffic")), test::readFile(dir.file("c.traffic")));
}

TEST(SyntheticDay, FaultShareSpreadsOverEveryKind) {
    DayOptions options;
    options.detectors = 100;
    options.faultShare = 0.27;
    std::map<Fault, int> counts;
    for (const SyntheticDetector& d : makeDay(options))
        ++counts[d.fault];
    EXPECT_EQ(counts[Fault::None], 73);
    for (int kind = 1; kind <= kFaultKinds; ++kind)
        EXPECT_EQ(counts[static_cast<Fault>(kind)], 3);
}

TEST(SyntheticDay, PlausibleHealthyLane) {
    DayOptions options;
    options.detectors = 1;
    options.faultShare = 0.0;
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
    DayOptions options;
    options.detectors = 3;
    options.firstDetector = -1;
    options.occupancy = OccEncoding::C30;
    std::vector<ArchiveMember> grouped = archiveMembers(makeDay(options), MemberOrder::Grouped);
    std::vector<ArchiveMember> apart = archiveMembers(makeDay(options), MemberOrder::VolumesFirst);
    std::vector<std::string> names;
    for (const auto& m : grouped)
        names.push_back(m.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"-1.v30", "-1.c30", "0.v30", "0.c30", "1.v30", "1.c30"}));
    names.clear();
    for (const auto& m : apart)
        names.push_back(m.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"-1.v30", "0.v30", "1.v30", "-1.c30", "0.c30", "1.c30"}));

    options.firstDetector = 32767;
    options.detectors = 2;
    EXPECT_THROW(makeDay(options), SorvaneError);
}

}  // namespace
}  // namespace sorvane::synth
