// The faults that sorvane-mkarchive plants are the ones the health test looks for: each kind
// must come out in its class with the factory parameters, and healthy lanes healthy.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "archive/unzip.h"
#include "common/log.h"
#include "health/health_run.h"
#include "health_days.h"
#include "mkarchive/synthetic_day.h"
#include "support/test_support.h"

namespace sorvane::modBaddet {
namespace {

using synth::Fault;

// The reasons a fault is made for, and others it may also be given.
struct Reasons {
    std::vector<std::string> meant;
    std::vector<std::string> possible;
};

const std::map<Fault, Reasons> kExpectedReasons = {
    {Fault::None, {{"HEALTHY "}, {}}},
    {Fault::MissingData,
     {{"HIGHLY SUSPICIOUS (due to Missing Data),Possible Comm Fail/Det Fail/Construction"}, {}}},
    {Fault::Dead,
     {{" HIGHLY SUSPICIOUS (due to consecutive zero/invalid volume Data),Possible Comm Fail/Det "
       "Fail/Construction"},
      {}}},
    {Fault::LockedOn, {{" SUSPICIOUS (due to LockOn)"}, {}}},
    {Fault::PulseMode, {{" SUSPICIOUS (due to Pulse Mode)"}, {}}},
    {Fault::OccSpikes, {{" SUSPICIOUS (due to Occ Spikes)"}, {}}},
    {Fault::VolSpikes, {{" SUSPICIOUS (due to Vol Spikes)"}, {}}},
    {Fault::Overcount, {{"SUSPICIOUS (due to Overcount Problems)"}, {}}},
    {Fault::VolumeAtHighOcc,
     {{"SUSPICIOUS (due to Abnormal High Occ), Possible Controller or Detector Error\r\n"}, {}}},
    // Scatter at equal occupancy; a busy lane's peaks may also read as volume spikes or reach
    // the overcount bound.
    {Fault::Erratic,
     {{"SUSPICIOUS (due to Abnormal Pattern, High DevIndex)", "MARGINAL (due to Mid DevIndex) "},
      {" SUSPICIOUS (due to Vol Spikes)", "SUSPICIOUS (due to Overcount and High DevIndex)"}}},
};

TEST(SyntheticFaults, EachKindIsCaughtAsMeant) {
    synth::DayOptions options;
    options.detectors = 450;
    options.seed = 20260101;
    options.faultShare = 0.2;
    options.occupancy = synth::OccEncoding::Mixed;
    std::vector<synth::SyntheticDetector> day = synth::makeDay(options);
    test::TempDir dir;
    Log log;
    Unzip reader(log);
    reader.ZipFileName(test::makeArchive(dir, "synthetic.traffic",
                                         synth::archiveMembers(day, synth::MemberOrder::Grouped)));
    reader.zipList();
    HealthRunResult r = RunHealthTest(reader, log, test::factorySnapshot(), kAllDetectors);
    ASSERT_EQ(r.outcomes.size(), day.size());

    std::map<Fault, int> made, meant;
    for (size_t i = 0; i < day.size(); ++i) {
        const Reasons& reasons = kExpectedReasons.at(day[i].fault);
        const std::string& reason = r.outcomes[i].reason;
        auto among = [&reason](const std::vector<std::string>& texts) {
            return std::find(texts.begin(), texts.end(), reason) != texts.end();
        };
        ++made[day[i].fault];
        if (among(reasons.meant)) ++meant[day[i].fault];
        EXPECT_TRUE(among(reasons.meant) || among(reasons.possible))
            << day[i].number << " " << synth::faultName(day[i].fault) << ": " << reason;
    }
    for (const auto& [fault, count] : made) {
        ASSERT_GE(count, 10) << synth::faultName(fault);
        EXPECT_GE(meant[fault], count * 3 / 4)
            << synth::faultName(fault) << " " << meant[fault] << "/" << count;
    }
}

}  // namespace
}  // namespace sorvane::modBaddet
