#include "history/report_text.h"

#include <array>

#include "common/format.h"
#include "history/count_drift.h"
#include "history/inventory_versions.h"

namespace sorvane::history {

namespace {

constexpr int kSecondsPerSlot = 30;

std::string orDash(const std::string& date) {
    return date.empty() ? "-" : date;
}

std::string ratioText(const std::optional<double>& ratio) {
    return ratio ? formatNumber(*ratio, NumberPattern::ThreeDecimals) : "";
}

std::string repairLine(const DetectorSummary& s) {
    return std::to_string(s.det) + ", " + std::string(detectorLabelName(s.label)) + ", " +
           std::to_string(s.streak) + ", " + std::to_string(s.badDays) + "/" +
           std::to_string(s.days) + ", " + std::to_string(s.recentSwitches) + ", " +
           std::string(modBaddet::decisionStepName(s.lastStep)) + ", " + ratioText(s.lastRatio);
}

}  // namespace

std::string slotTimes(int firstSlot, int lastSlot) {
    return formatTimeOfDay(firstSlot * kSecondsPerSlot) + "-" +
           formatTimeOfDay(lastSlot * kSecondsPerSlot);
}

std::string outageTimes(const FeedOutage& outage) {
    return slotTimes(outage.firstSlot, outage.lastSlot) + " (" +
           formatNumber(outage.share * 100.0, NumberPattern::OneDecimal) + " %)";
}

std::string reportText(const HistoryReport& report) {
    std::array<int, kDetectorLabelCount> perLabel{};
    for (const DetectorSummary& s : report.detectors)
        ++perLabel[static_cast<size_t>(s.label)];
    std::string out =
        "Window: " + orDash(report.window.from) + " to " + orDash(report.window.to) + "\n";
    out += "Days: " + std::to_string(report.dates.size()) + "\n";
    out += "Detectors: " + std::to_string(report.detectors.size()) + "\n";
    for (int i = 0; i < kDetectorLabelCount; ++i) {
        // Without an inventory no lane is checked against its station: the lines stay as before.
        if (static_cast<DetectorLabel>(i) == DetectorLabel::LaneShare && !report.hasInventory)
            continue;
        out += std::string(detectorLabelName(static_cast<DetectorLabel>(i))) + ": " +
               std::to_string(perLabel[static_cast<size_t>(i)]) + "\n";
    }
    out += "Missing dates: " + std::to_string(report.missingDates) + "\n";
    if (report.otherParameterDays > 0) {
        out += "Days with other parameters: " + std::to_string(report.otherParameterDays) +
               " (history days lists them)\n";
    }
    if (report.hasInventory) {
        out += "Abandoned (not in the repair list): " + std::to_string(report.abandoned) + "\n";
        out += "Not in the inventory: " + std::to_string(report.notInInventory) + "\n";
        out += "In the inventory, never in an archive: " + std::to_string(report.neverInArchive) +
               "\n";
    }
    out += "Repair list:\n";
    out += "det, label, streak, bad_days/days, recent_switches, last_step, last_ratio\n";
    for (const DetectorSummary& s : report.repairList)
        out += repairLine(s) + "\n";
    out += "Feed outages:\n";
    for (const DatedOutage& o : report.outages)
        out += o.date + " " + outageTimes(o.outage) + "\n";
    return out;
}

std::string reportCsvHeader() {
    return "det,days,bad_days,productivity,switches,streak,longest_bad_run,first_bad,last_bad,"
           "last_step,label,bad_runs,repaired_runs,mean_repair_days,last_change,recent_switches,"
           "drift_days,last_ratio,station,lane,lane_type,corridor,share_days,last_share_delta\r\n";
}

std::string reportCsvRow(const HistoryReport& report, const DetectorSummary& s) {
    return std::to_string(s.det) + "," + std::to_string(s.days) + "," + std::to_string(s.badDays) +
           "," + formatNumber(s.productivity(), NumberPattern::ThreeDecimals) + "," +
           std::to_string(s.switches) + "," + std::to_string(s.streak) + "," +
           std::to_string(s.longestBadRun) + "," + s.firstBad + "," + s.lastBad + "," +
           std::string(modBaddet::decisionStepName(s.lastStep)) + "," +
           std::string(detectorLabelName(s.label)) + "," + std::to_string(s.badRuns) + "," +
           std::to_string(s.repairedRuns) + "," +
           (s.meanRepairDays ? formatNumber(*s.meanRepairDays, NumberPattern::OneDecimal) : "") +
           "," + s.lastChange + "," + std::to_string(s.recentSwitches) + "," +
           std::to_string(s.driftDays) + "," + ratioText(s.lastRatio) + "," +
           networkColumns(report.inventory(), s.det) + "," +
           (report.hasInventory ? std::to_string(s.shareDays) : "") + "," +
           ratioText(s.lastShareDelta) + "\r\n";
}

std::string reportCsv(const HistoryReport& report) {
    std::string out = reportCsvHeader();
    for (const DetectorSummary& s : report.detectors)
        out += reportCsvRow(report, s);
    return out;
}

std::string detectorDaysText(const std::vector<DetectorDayRecord>& records,
                             const std::map<std::string, double>& ratios) {
    std::string out;
    for (const DetectorDayRecord& r : records) {
        auto ratio = ratios.find(r.date);
        std::string drift;
        if (ratio != ratios.end() && isDriftRatio(ratio->second))
            drift = ratio->second < kDriftLow ? "low" : "high";
        out += r.date + ", " + std::string(modBaddet::healthClassLabel(r.healthClass)) + ", " +
               std::string(modBaddet::decisionStepName(r.step)) + ", " +
               std::string(attributionName(r.attribution)) + ", " +
               std::string(r.status ? dailyStatusName(*r.status) : "") + ", " + r.listLine + ", " +
               (ratio == ratios.end() ? ""
                                      : formatNumber(ratio->second, NumberPattern::ThreeDecimals)) +
               ", " + drift + "\n";
    }
    return out;
}

}  // namespace sorvane::history
