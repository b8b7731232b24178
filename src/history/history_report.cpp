#include "history/history_report.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "history/archive_date.h"
#include "history/count_drift.h"
#include "history/lane_share.h"
#include "history/parameter_sets.h"

namespace sorvane::history {

namespace {

// Repair order: label, then the label's own measure, then the detector.
bool repairsFirst(const DetectorSummary& a, const DetectorSummary& b) {
    if (a.label != b.label) return a.label < b.label;
    switch (a.label) {
        case DetectorLabel::Chronic:
            if (a.streak != b.streak) return a.streak > b.streak;
            break;
        case DetectorLabel::Flapping:
            if (a.recentSwitches != b.recentSwitches) return a.recentSwitches > b.recentSwitches;
            break;
        case DetectorLabel::LaneShare:
            if (std::abs(*a.lastShareDelta) != std::abs(*b.lastShareDelta))
                return std::abs(*a.lastShareDelta) > std::abs(*b.lastShareDelta);
            break;
        case DetectorLabel::Drifting:
            if (*a.lastRatio != *b.lastRatio) return *a.lastRatio < *b.lastRatio;
            break;
        default:
            break;
    }
    return a.det < b.det;
}

bool isRepaired(DetectorLabel label) {
    return label == DetectorLabel::Chronic || label == DetectorLabel::Flapping ||
           label == DetectorLabel::New || label == DetectorLabel::LaneShare ||
           label == DetectorLabel::Drifting;
}

// Narrows the report to the network: the detectors the filter matches, the abandoned ones out of
// the repair list, and the detectors on one side only of the inventory counted.
void applyNetwork(const NetworkFilter& filter, const std::vector<bool>& inArchive,
                  HistoryReport& report) {
    const Inventory* inventory = report.inventory();
    auto outside = [&](const DetectorSummary& s) { return !filter.matches(inventory, s.det); };
    std::erase_if(report.detectors, outside);
    std::erase_if(report.repairList, outside);
    if (!report.hasInventory) return;
    auto abandoned = [&](const DetectorSummary& s) {
        const InventoryRow* row = inventory ? inventory->find(s.det) : nullptr;
        return row && row->abandoned;
    };
    report.abandoned = static_cast<int>(std::ranges::count_if(report.detectors, abandoned));
    std::erase_if(report.repairList, abandoned);
    for (size_t n = 0; n < inArchive.size(); ++n) {
        auto det = static_cast<int16_t>(static_cast<int>(n) - 32768);
        if (inArchive[n] && !(inventory && inventory->find(det))) ++report.notInInventory;
    }
    if (!inventory) return;
    for (const InventoryRow& row : inventory->rows) {
        if (!inArchive[static_cast<size_t>(row.det + 32768)]) ++report.neverInArchive;
    }
}

}  // namespace

bool isCounted(const LedgerCell& cell) {
    using modBaddet::HealthClass;
    return cell.healthClass != HealthClass::Excluded && !isOwedToOutage(cell.attribution);
}

bool isBad(const LedgerCell& cell) {
    using modBaddet::HealthClass;
    return cell.healthClass == HealthClass::High || cell.healthClass == HealthClass::Susp;
}

std::string_view detectorLabelName(DetectorLabel label) {
    static constexpr std::array<std::string_view, kDetectorLabelCount> kNames = {
        "chronic", "flapping", "new", "lane share", "drifting", "recovered", "healthy"};
    return kNames[static_cast<size_t>(label)];
}

SummaryBuilder::SummaryBuilder() : indexOf_(65536, -1) {}

void SummaryBuilder::add(const LedgerCell& cell, std::optional<double> ratio,
                         std::optional<CellShare> share) {
    if (!isCounted(cell)) return;
    if (dates_.empty() || dates_.back() != cell.date) dates_.push_back(cell.date);
    int32_t& index = indexOf_[static_cast<size_t>(cell.det + 32768)];
    if (index < 0) {
        index = static_cast<int32_t>(found_.size());
        found_.emplace_back();
    }
    found_[static_cast<size_t>(index)].push_back(
        {ratio.value_or(std::nan("")), share ? share->delta : std::nan(""),
         static_cast<int32_t>(dates_.size() - 1), isBad(cell), static_cast<uint8_t>(cell.step),
         share && share->shareDay});
}

DetectorSummary SummaryBuilder::summaryOf(int16_t det, const std::vector<CountedDay>& days,
                                          const LabelThresholds& thresholds) const {
    DetectorSummary s;
    s.det = det;
    s.days = static_cast<int>(days.size());
    int run = 0, repairedDays = 0;
    for (size_t i = 0; i < days.size(); ++i) {
        const CountedDay& d = days[i];
        bool changed = i > 0 && d.bad != days[i - 1].bad;
        if (changed) {
            ++s.switches;
            s.lastChange = dates_[static_cast<size_t>(d.date)];
        }
        if (d.bad) {
            if (run == 0) ++s.badRuns;
            ++run;
            ++s.badDays;
            s.longestBadRun = std::max(s.longestBadRun, run);
            if (s.firstBad.empty()) s.firstBad = dates_[static_cast<size_t>(d.date)];
            s.lastBad = dates_[static_cast<size_t>(d.date)];
        } else if (run > 0) {
            ++s.repairedRuns;
            repairedDays += run;
            run = 0;
        }
        if (!std::isnan(d.ratio)) {
            s.lastRatio = d.ratio;
            if (isDriftRatio(d.ratio)) ++s.driftDays;
        }
        if (!std::isnan(d.shareDelta)) {
            s.lastShareDelta = d.shareDelta;
            if (d.shareDay) ++s.shareDays;
        }
    }
    s.streak = run;
    s.lastStep = static_cast<modBaddet::DecisionStep>(days.back().step);
    if (s.repairedRuns > 0) s.meanRepairDays = static_cast<double>(repairedDays) / s.repairedRuns;

    // The label looks at the recent days only: over months, old faults must not decide it.
    size_t first = days.size() - std::min(days.size(), static_cast<size_t>(thresholds.recentDays));
    int recent = static_cast<int>(days.size() - first), recentBad = 0, recentDrift = 0;
    int recentShare = 0;
    bool lastRecentShareDay = false;  // of the last recent day with a reference share
    std::optional<double> lastRecentRatio;
    for (size_t i = first; i < days.size(); ++i) {
        if (i > first && days[i].bad != days[i - 1].bad) ++s.recentSwitches;
        recentBad += days[i].bad ? 1 : 0;
        if (!std::isnan(days[i].ratio)) {
            lastRecentRatio = days[i].ratio;
            recentDrift += isDriftRatio(days[i].ratio) ? 1 : 0;
        }
        if (!std::isnan(days[i].shareDelta)) {
            lastRecentShareDay = days[i].shareDay;
            recentShare += days[i].shareDay ? 1 : 0;
        }
    }
    bool badNow = days.back().bad;
    if (badNow && recentBad * 10 >= 7 * recent) {
        s.label = DetectorLabel::Chronic;
    } else if (s.recentSwitches >= thresholds.flapSwitches) {
        s.label = DetectorLabel::Flapping;
    } else if (badNow) {
        s.label = DetectorLabel::New;
    } else if (recentShare >= kShareDaysForLabel && lastRecentShareDay) {
        s.label = DetectorLabel::LaneShare;
    } else if (recentDrift >= kDriftDaysForLabel && isDriftRatio(*lastRecentRatio)) {
        s.label = DetectorLabel::Drifting;
    } else if (recentBad > 0) {
        s.label = DetectorLabel::Recovered;
    } else {
        s.label = DetectorLabel::Healthy;
    }
    return s;
}

void SummaryBuilder::finish(const LabelThresholds& thresholds, HistoryReport& report) {
    report.detectors.clear();
    for (size_t n = 0; n < indexOf_.size(); ++n) {  // ascending detector numbers
        int32_t index = indexOf_[n];
        if (index < 0) continue;
        auto det = static_cast<int16_t>(static_cast<int>(n) - 32768);
        report.detectors.push_back(summaryOf(det, found_[static_cast<size_t>(index)], thresholds));
    }
    report.repairList.clear();
    for (const DetectorSummary& s : report.detectors) {
        if (isRepaired(s.label)) report.repairList.push_back(s);
    }
    std::sort(report.repairList.begin(), report.repairList.end(), repairsFirst);
}

void summarize(const std::vector<LedgerCell>& cells, const LabelThresholds& thresholds,
               HistoryReport& report) {
    SummaryBuilder builder;
    for (const LedgerCell& cell : cells)
        builder.add(cell);
    builder.finish(thresholds, report);
}

HistoryReport readReport(LedgerStore& ledger, const DateWindow& window,
                         const LabelThresholds& thresholds, CellReader* also,
                         const NetworkFilter& filter) {
    HistoryReport report;
    SummaryBuilder builder;
    std::vector<LedgerDay> allDays;
    std::vector<bool> inArchive(65536, false);
    InventoryVersions versions;
    ledger.readConsistently([&] {
        report.dates = ledger.dates(window);
        if (also) also->dates(report.dates);
        // The ratios of the window's first days need the dates before it.
        versions = ledger.inventoryVersions();
        CellRatios ratios([&](const LedgerCell& cell, std::optional<double> ratio,
                              std::optional<CellShare> share) {
            if (!window.from.empty() && cell.date < window.from) return;
            inArchive[static_cast<size_t>(cell.det + 32768)] = true;
            builder.add(cell, ratio, share);
            if (also) also->cell(cell);
        });
        if (!versions.empty()) ratios.useInventory(&versions);
        ledger.eachCell({firstDateForRatios(window.from), window.to},
                        [&](const LedgerCell& cell) { ratios.add(cell); });
        ratios.finish();
        report.outages = ledger.outages(window);
        allDays = ledger.days({});
    });
    report.window = window;
    if (!report.dates.empty()) {
        if (report.window.from.empty()) report.window.from = report.dates.front();
        if (report.window.to.empty()) report.window.to = report.dates.back();
        report.missingDates = dayNumber(report.dates.back()) - dayNumber(report.dates.front()) + 1 -
                              static_cast<int>(report.dates.size());
    }
    std::string common = mostCommonParameters(allDays);
    for (const LedgerDay& day : allDays) {
        bool inWindow = std::binary_search(report.dates.begin(), report.dates.end(), day.date);
        if (inWindow && day.parameters != common) ++report.otherParameterDays;
    }
    builder.finish(thresholds, report);
    report.hasInventory = !versions.empty();
    if (const Inventory* inventory = versions.inForce(report.window.to))
        report.network = *inventory;
    applyNetwork(filter, inArchive, report);
    return report;
}

std::map<std::string, double> readDetectorRatios(LedgerStore& ledger, int16_t det,
                                                 const std::string& from) {
    std::map<std::string, double> found;
    CellRatios ratios(
        [&](const LedgerCell& cell, std::optional<double> ratio, std::optional<CellShare>) {
            if (cell.det == det && ratio) found.emplace(cell.date, *ratio);
        });
    ledger.readConsistently([&] {
        ledger.eachCell({firstDateForRatios(from), ""},
                        [&](const LedgerCell& cell) { ratios.add(cell); });
    });
    ratios.finish();
    return found;
}

}  // namespace sorvane::history
