#include "history/history_report.h"

#include <algorithm>
#include <array>

namespace sorvane::history {

namespace {

using modBaddet::HealthClass;

bool isCounted(const LedgerCell& cell) {
    return cell.healthClass != HealthClass::Excluded && cell.attribution != Attribution::FeedOutage;
}

bool isBad(const LedgerCell& cell) {
    return cell.healthClass == HealthClass::High || cell.healthClass == HealthClass::Susp;
}

void count(DetectorSummary& s, const LedgerCell& cell) {
    bool bad = isBad(cell);
    bool wasBad = s.streak > 0;
    if (s.days > 0 && bad != wasBad) ++s.switches;
    ++s.days;
    s.lastStep = cell.step;
    if (!bad) {
        s.streak = 0;
        return;
    }
    ++s.badDays;
    ++s.streak;
    s.longestBadRun = std::max(s.longestBadRun, s.streak);
    if (s.firstBad.empty()) s.firstBad = cell.date;
    s.lastBad = cell.date;
}

DetectorLabel labelOf(const DetectorSummary& s, const LabelThresholds& t) {
    if (s.streak >= t.chronicDays) return DetectorLabel::Chronic;
    if (s.switches >= t.flapSwitches) return DetectorLabel::Flapping;
    if (s.streak >= 1) return DetectorLabel::New;
    if (s.badDays > 0) return DetectorLabel::Recovered;
    return DetectorLabel::Healthy;
}

// Repair order: label, then the label's own measure (most first), then the detector.
bool repairsFirst(const DetectorSummary& a, const DetectorSummary& b) {
    auto key = [](const DetectorSummary& s) {
        int measure = s.label == DetectorLabel::Chronic    ? s.streak
                      : s.label == DetectorLabel::Flapping ? s.switches
                                                           : 0;
        return std::array<int, 3>{static_cast<int>(s.label), -measure, s.det};
    };
    return key(a) < key(b);
}

}  // namespace

std::string_view detectorLabelName(DetectorLabel label) {
    static constexpr std::array<std::string_view, kDetectorLabelCount> kNames = {
        "chronic", "flapping", "new", "recovered", "healthy"};
    return kNames[static_cast<size_t>(label)];
}

SummaryBuilder::SummaryBuilder() : indexOf_(65536, -1) {}

void SummaryBuilder::add(const LedgerCell& cell) {
    if (!isCounted(cell)) return;
    int32_t& index = indexOf_[static_cast<size_t>(cell.det + 32768)];
    if (index < 0) {
        index = static_cast<int32_t>(found_.size());
        found_.push_back({});
        found_.back().det = cell.det;
    }
    count(found_[static_cast<size_t>(index)], cell);
}

void SummaryBuilder::finish(const LabelThresholds& thresholds, HistoryReport& report) {
    report.detectors.clear();
    for (int32_t index : indexOf_) {  // ascending detector numbers
        if (index < 0) continue;
        DetectorSummary& s = found_[static_cast<size_t>(index)];
        s.label = labelOf(s, thresholds);
        report.detectors.push_back(std::move(s));
    }
    report.repairList.clear();
    for (const DetectorSummary& s : report.detectors) {
        if (s.label == DetectorLabel::Chronic || s.label == DetectorLabel::Flapping ||
            s.label == DetectorLabel::New) {
            report.repairList.push_back(s);
        }
    }
    std::stable_sort(report.repairList.begin(), report.repairList.end(), repairsFirst);
}

void summarize(const std::vector<LedgerCell>& cells, const LabelThresholds& thresholds,
               HistoryReport& report) {
    SummaryBuilder builder;
    for (const LedgerCell& cell : cells)
        builder.add(cell);
    builder.finish(thresholds, report);
}

HistoryReport readReport(LedgerStore& ledger, const DateWindow& window,
                         const LabelThresholds& thresholds, CellReader* also) {
    HistoryReport report;
    SummaryBuilder builder;
    ledger.readConsistently([&] {
        report.dates = ledger.dates(window);
        if (also) also->dates(report.dates);
        ledger.eachCell(window, [&](const LedgerCell& cell) {
            builder.add(cell);
            if (also) also->cell(cell);
        });
        report.outages = ledger.outages(window);
    });
    report.window = window;
    if (!report.dates.empty()) {
        if (report.window.from.empty()) report.window.from = report.dates.front();
        if (report.window.to.empty()) report.window.to = report.dates.back();
    }
    builder.finish(thresholds, report);
    return report;
}

}  // namespace sorvane::history
