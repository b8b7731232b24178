#include "history/detector_days.h"

#include <algorithm>

#include "history/archive_date.h"
#include "history/count_drift.h"
#include "history/history_report.h"

namespace sorvane::history {

std::vector<DetectorDayPoint> readDetectorDays(LedgerStore& ledger, int16_t det,
                                               const std::string& from, const std::string& to) {
    // The baseline needs only the detector's own days: one indexed read of them, latest first.
    const std::string first = firstDateForRatios(from);
    std::vector<LedgerCell> cells;
    ledger.eachEarlierCell(det, dateOfDay(dayNumber(to) + 1), [&](const LedgerCell& cell) {
        if (cell.date < first) return false;
        cells.push_back(cell);
        return true;
    });
    std::reverse(cells.begin(), cells.end());

    std::vector<DetectorDayPoint> days;
    CountDrift drift;
    for (const LedgerCell& cell : cells) {
        int day = dayNumber(cell.date);
        std::optional<double> baseline = drift.baseline(det, day);
        std::vector<DetectorVolume> volume;
        if (std::optional<double> v = baselineVolume(cell)) volume.push_back({det, *v});
        drift.addDay(day, volume);
        if (cell.date < from) continue;
        days.push_back({cell.date, verdictOf(cell), isCounted(cell) && isBad(cell),
                        isOwedToOutage(cell.attribution), daytimeVolume(cell), baseline});
    }
    return days;
}

}  // namespace sorvane::history
