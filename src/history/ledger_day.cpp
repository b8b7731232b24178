#include "history/ledger_day.h"

#include <ctime>
#include <filesystem>
#include <utility>

#include "archive/archive_fingerprint.h"
#include "archive/unzip.h"
#include "common/log.h"
#include "health/daily_status.h"
#include "health/health_outcome_text.h"
#include "health/health_run.h"
#include "health/parameter_sources.h"
#include "history/feed_outage.h"
#include "history/unit_outage.h"

namespace sorvane::history {

namespace {

using modBaddet::DecisionStep;
using modBaddet::DetectorOutcome;
using modBaddet::RawDetectorDay;

std::string utcNow() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

constexpr size_t kFirstDaytimeSlot = 600;  // 05:00:00
constexpr size_t kEndDaytimeSlot = 2640;   // after 21:59:30

// The volume counted over the daytime slots and how many of them hold one.
void daytimeCounts(const VolumeBytes& vol, DetectorDayRecord& row) {
    int32_t volume = 0, valid = 0;
    for (size_t i = kFirstDaytimeSlot; i < kEndDaytimeSlot; ++i) {
        if (vol[i] >= 128) continue;
        volume += vol[i];
        ++valid;
    }
    row.daytimeVolume = volume;
    row.daytimeValid = valid;
}

// Collects the detectors of a run as the health test visits them.
class DayCollector {
  public:
    DayCollector(DayRecord& day, const DayJudging& judging) : day_(day), judging_(judging) {
        if (judging.byDetector) used_.assign(judging.byDetector->otherSets().size() + 1, 0);
    }

    void visit(const DetectorOutcome& outcome, const RawDetectorDay* raw) {
        size_t key = static_cast<size_t>(outcome.det + 32768);
        if (seen_[key]) return;  // listed again further on: the first visit counts
        seen_[key] = true;
        if (judging_.byDetector && outcome.step != DecisionStep::Excluded)
            ++used_[judging_.byDetector->setOf(outcome.det)];
        DetectorDayRecord row;
        row.date = day_.date;
        row.det = outcome.det;
        row.healthClass = outcome.healthClass();
        row.step = outcome.step;
        row.reason = modBaddet::reasonText(outcome.step);
        row.listLine = modBaddet::ListLine(outcome);
        row.measures = outcome.measures;
        SlotMask missing;
        if (raw) {
            row.status = dailyStatus(raw->vol, raw->occ);
            if (row.measures) daytimeCounts(raw->vol, row);
            missing = missingSlots_.add(raw->vol);
            tested_.push_back(day_.rows.size());
            if (outcome.step == DecisionStep::ZeroRun)
                zeroRunDays_.emplace_back(day_.rows.size(), raw->vol);
        }
        missingOf_.push_back(missing);
        day_.rows.push_back(std::move(row));
    }

    // Once every detector is in: the feed outages, with an inventory the unit outages, and who
    // owes each verdict.
    void attribute() {
        const DayJudging& judging = judging_;
        if (judging.byDetector)
            day_.laneParameters = laneParametersText(*judging.byDetector, used_);
        DayOutages outages = missingSlots_.outages(judging.outageShare);
        day_.outages = outages.outages;
        UnitSlots units;
        if (judging.inventory) {
            std::vector<TestedMissing> tested;
            tested.reserve(tested_.size());
            for (size_t i : tested_)
                tested.push_back({day_.rows[i].det, &missingOf_[i]});
            units = findUnitOutages(*judging.inventory, tested, outages.outageSlots);
            day_.unitOutages = units.outages;
        }
        size_t nextZeroRun = 0;
        for (size_t i = 0; i < day_.rows.size(); ++i) {
            DetectorDayRecord& row = day_.rows[i];
            const modBaddet::HealthSnapshot& snapshot = judging.snapshotOf(row.det);
            int zeroRunOutside = 0;
            const VolumeBytes* zeroRunVol = nullptr;
            if (row.measures) {
                row.outageMissing = static_cast<int>((missingOf_[i] & outages.outageSlots).count());
                if (nextZeroRun < zeroRunDays_.size() && zeroRunDays_[nextZeroRun].first == i) {
                    zeroRunVol = &zeroRunDays_[nextZeroRun].second;
                    zeroRunOutside = zeroRunCountSkipping(*zeroRunVol, outages.outageSlots,
                                                          snapshot.zeroRunSlots);
                    ++nextZeroRun;
                }
            }
            row.attribution = attributionOf(row, snapshot, zeroRunOutside);
            if (row.attribution == Attribution::Detector && !units.outages.empty())
                row.attribution = unitAttribution(row, missingOf_[i], zeroRunVol, snapshot, units,
                                                  outages.outageSlots);
        }
    }

  private:
    // A verdict that the feed does not explain: owed to the detector's controller when the
    // feed's and the controller's outage slots explain it, else to its station when the
    // station's explain it with them, else the detector's own.
    Attribution unitAttribution(const DetectorDayRecord& row, const SlotMask& missing,
                                const VolumeBytes* zeroRunVol,
                                const modBaddet::HealthSnapshot& snapshot, const UnitSlots& units,
                                const SlotMask& feedSlots) const {
        const InventoryRow* place = judging_.inventory->find(row.det);
        if (!place) return Attribution::Detector;
        SlotMask skip = feedSlots;
        if (!place->controller.empty()) {
            skip |= units.controllerSlots(place->controller);
            if (owedToSkippedSlots(row, missing, zeroRunVol, snapshot, skip))
                return Attribution::ControllerOutage;
        }
        skip |= units.stationSlots(place->station);
        if (owedToSkippedSlots(row, missing, zeroRunVol, snapshot, skip))
            return Attribution::StationOutage;
        return Attribution::Detector;
    }

    DayRecord& day_;
    const DayJudging& judging_;
    std::vector<size_t> tested_;  // the rows of readable, not excluded detectors
    std::vector<int> used_;       // tested detectors per parameter set
    std::vector<bool> seen_ = std::vector<bool>(65536, false);
    MissingSlots missingSlots_;
    std::vector<SlotMask> missingOf_;  // per row; empty for unmeasured detectors
    // The volumes of the rows decided by a zero run, which the attribution counts again.
    std::vector<std::pair<size_t, VolumeBytes>> zeroRunDays_;
};

}  // namespace

std::string laneParametersText(const modBaddet::DetectorParameters& parameters,
                               const std::vector<int>& used) {
    std::string text;
    for (size_t k = 1; k < used.size(); ++k) {
        if (used[k] == 0) continue;
        const modBaddet::DetectorParameters::OtherSet& set = parameters.otherSets()[k - 1];
        text += (text.empty() ? "" : ";") + set.name + ":";
        for (size_t i = 0; i < kDetNoFrom; ++i) {
            text +=
                (i == 0 ? "" : ",") + std::string(kHealthParameters[i].key) + "=" + set.texts[i];
        }
    }
    return text;
}

DayRecord recordDay(const std::string& archive, const std::string& date, const DayJudging& judging,
                    Log& log) {
    Unzip reader(log);
    reader.ZipFileName(archive);
    reader.zipList();
    DayRecord day;
    day.date = date;
    day.archive = std::filesystem::absolute(archive).lexically_normal().string();
    // Read again later, the archive must still be the one tested here.
    ArchiveFingerprint fingerprint = archiveFingerprint(archive);
    day.archiveSize = static_cast<int64_t>(fingerprint.size);
    day.archiveFingerprint = fingerprint.sha256;
    day.detectors = reader.detCount();
    day.parameters = parameterSummary(judging.parameters);
    day.testedAt = utcNow();
    DayCollector collector(day, judging);
    // One job: the days are what runs in parallel, so a day's detectors are tested one by one.
    auto observe = [&](const DetectorOutcome& outcome, const RawDetectorDay* raw) {
        collector.visit(outcome, raw);
    };
    if (judging.byDetector) {
        modBaddet::RunHealthTest(reader, log, *judging.byDetector, modBaddet::kAllDetectors, {},
                                 observe, 1);
    } else {
        modBaddet::RunHealthTest(reader, log, judging.snapshot, modBaddet::kAllDetectors, {},
                                 observe, 1);
    }
    collector.attribute();
    return day;
}

}  // namespace sorvane::history
