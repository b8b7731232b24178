// The faults that sorvane-mkarchive plants are the ones the health test looks for: each kind
// must come out in its class with the factory parameters, and healthy lanes healthy.
#include <gtest/gtest.h>

#include <map>

#include "health/health_outcome_text.h"
#include "health_days.h"
#include "mkarchive/synthetic_day.h"

namespace sorvane::modBaddet {
namespace {

using synth::Fault;

// The part of the list line that names the fault each kind is made for.
const std::map<Fault, std::string> kMeant = {
    {Fault::None, ""},
    {Fault::MissingData, "% missing"},
    {Fault::Dead, "% zero/invalid"},
    {Fault::LockedOn, "slots Locked On, Susp"},
    {Fault::PulseMode, "Pulse Mode, Susp"},
    {Fault::OccSpikes, "Occ spikes, Susp"},
    {Fault::VolSpikes, "Vol spikes, Susp"},
    {Fault::Overcount, ", OverCnt, Susp"},
    {Fault::VolumeAtHighOcc, "HighOcc AbnormVol, Susp"},
    {Fault::Erratic, "DevIndex"},  // high or mid; a busy lane may show other signs
};

TEST(SyntheticFaults, EachKindIsCaughtAsMeant) {
    synth::DayOptions options{.detectors = 450,
                              .seed = 20260101,
                              .faultShare = 0.2,
                              .occupancy = synth::OccEncoding::Mixed};
    std::vector<synth::SyntheticDetector> day = synth::makeDay(options);
    test::HealthArchive archive(synth::archiveMembers(day, synth::MemberOrder::Grouped));
    HealthRunResult r = archive.run(kAllDetectors);
    ASSERT_EQ(r.outcomes.size(), day.size());

    std::map<Fault, int> made, meant;
    for (size_t i = 0; i < day.size(); ++i) {
        const std::string line = ListLine(r.outcomes[i]);
        const std::string& want = kMeant.at(day[i].fault);
        ++made[day[i].fault];
        if (want.empty() ? line.empty() : line.find(want) != std::string::npos)
            ++meant[day[i].fault];
        else if (day[i].fault != Fault::Erratic)
            ADD_FAILURE() << line << " for " << synth::faultName(day[i].fault);
    }
    EXPECT_GE(made[Fault::Erratic], 10);
    EXPECT_GE(meant[Fault::Erratic], made[Fault::Erratic] * 3 / 4);
}

}  // namespace
}  // namespace sorvane::modBaddet
