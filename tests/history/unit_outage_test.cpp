// Station and controller outages, and the chain feed -> controller -> station -> detector, on
// small made-up days recorded as history add records them.
#include "history/unit_outage.h"

#include <gtest/gtest.h>

#include "common/log.h"
#include "history/inventory_parameters.h"
#include "history/ledger_day.h"
#include "support/test_support.h"

namespace sorvane::history {
namespace {

// Detectors 1 to 4 at station S1 (1 and 2 on controller C1, 3 and 4 on C2), 5 and 6 at S2 on no
// controller, 7 (abandoned) and 8 at S3 on C3; 9 to 12 are not in the inventory.
Inventory network() {
    return inventoryFromCsv(
        "detector,station,lane_type,controller,abandoned\n"
        "1,S1,mainline,C1,\n2,S1,mainline,C1,\n3,S1,mainline,C2,\n"
        "4,S1,mainline,C2,\n5,S2,mainline,,\n6,S2,mainline,,\n"
        "7,S3,mainline,C3,true\n8,S3,mainline,C3,\n",
        "inventory.csv");
}

struct Slots {
    std::vector<int16_t> dets;
    int first, last;
    uint8_t value = 255;  // missing; 0 for a zero volume
};

struct Case {
    const char* what;
    std::vector<Slots> days;
    std::vector<UnitOutage> outages;
    std::string attributions;  // of detectors 1 to 12: . none, d detector, f feed, c controller,
                               // s station
    std::optional<std::string> mainlineMissingPercent = std::nullopt;  // [Param.mainline]
};

TEST(UnitOutage, OutagesAndTheChainOfAttribution) {
    using K = UnitOutage::Kind;
    const std::vector<int16_t> all{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const Case cases[] = {
        {"a controller outage",
         {{{1, 2}, 1000, 1699}},
         {{K::Controller, "C1", 1000, 1699}},
         "cc.........."},
        {"a station's controllers explain it",
         {{{1, 2, 3, 4}, 1000, 1699}},
         {{K::Controller, "C1", 1000, 1699}, {K::Controller, "C2", 1000, 1699}},
         "cccc........"},
        {"a station without controllers",
         {{{5, 6}, 1000, 1699}},
         {{K::Station, "S2", 1000, 1699}},
         "....ss......"},
        {"a station outage beside a feed outage",
         {{all, 1000, 1699}, {{5, 6}, 200, 899}},
         {{K::Station, "S2", 200, 899}},
         "ffffssffffff"},
        {"an abandoned detector is no tested detector of its units",
         {{{7, 8}, 1000, 1699}},
         {},
         "......dd...."},
        {"missing slots of its own beyond the outage",
         {{{1, 2}, 1000, 1699}, {{1}, 0, 599}},
         {{K::Controller, "C1", 1000, 1699}},
         "dc.........."},
        // (Detector 6, decided by its deviation index, keeps its verdict: only missing data and
        // zero runs are owed to an outage.)
        {"a zero run that the station outage completes",
         {{{5, 6}, 1000, 1400}, {{5}, 1401, 1600, 0}},
         {{K::Station, "S2", 1000, 1400}},
         "....sd......"},
        {"one lane of two missing is no outage", {{{5}, 1000, 1699}}, {}, "....d......."},
        // The inventory's detectors are mainline lanes: their own threshold (864 slots) decides.
        {"the lane type's thresholds",
         {{{1, 2}, 1000, 1699}, {{1}, 0, 599}},
         {{K::Controller, "C1", 1000, 1699}},
         "cc..........",
         "30"},
    };
    const Inventory inventory = network();
    const HealthParameterTexts texts = factoryParameterTexts();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DayJudging judging{texts, modBaddet::takeHealthSnapshot(texts), kDefaultOutageShare,
                           &inventory};
        if (c.mainlineMissingPercent) {
            LaneSections sections;
            sections[static_cast<size_t>(LaneType::Mainline)].emplace();
            (*sections[static_cast<size_t>(LaneType::Mainline)])[kMissingPercent] =
                *c.mainlineMissingPercent;
            judging.byDetector = std::make_shared<modBaddet::DetectorParameters>(
                parametersByLaneType(inventory, texts, sections));
        }
        test::TempDir dir;
        std::vector<synth::ArchiveMember> members;
        for (int16_t det = 1; det <= 12; ++det) {
            std::vector<uint8_t> vol = test::volumeBytes(5);
            for (const Slots& s : c.days) {
                if (std::find(s.dets.begin(), s.dets.end(), det) == s.dets.end()) continue;
                std::fill(vol.begin() + s.first, vol.begin() + s.last + 1, s.value);
            }
            members.push_back({std::to_string(det) + ".v30", vol});
            members.push_back({std::to_string(det) + ".o30", test::occupancyBytes(20)});
        }
        Log log;
        DayRecord day =
            recordDay(test::makeArchive(dir, "day.traffic", members), "2024-03-01", judging, log);
        EXPECT_EQ(day.unitOutages, c.outages);
        std::string attributions;
        for (const DetectorDayRecord& row : day.rows)
            attributions += " dfcs"[static_cast<size_t>(row.attribution)];
        std::replace(attributions.begin(), attributions.end(), ' ', '.');
        EXPECT_EQ(attributions, c.attributions);
    }
}

}  // namespace
}  // namespace sorvane::history
