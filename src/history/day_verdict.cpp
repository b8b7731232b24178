#include "history/day_verdict.h"

#include <algorithm>

#include "history/history_report.h"
#include "history/inventory_versions.h"
#include "history/report_text.h"

namespace sorvane::history {

namespace {

using modBaddet::HealthClass;

std::string sinceOf(LedgerStore& ledger, const LedgerCell& today) {
    std::string runStart;
    ledger.eachEarlierCell(today.det, today.date, [&](const LedgerCell& cell) {
        if (!isCounted(cell)) return true;
        if (!isBad(cell)) return false;
        runStart = cell.date;
        return true;
    });
    return runStart.empty() ? "new today" : runStart;
}

std::string rowText(const LedgerCell& cell) {
    return std::to_string(cell.det) + ", " +
           std::string(modBaddet::healthClassLabel(cell.healthClass)) + ", " +
           std::string(modBaddet::decisionStepName(cell.step));
}

}  // namespace

std::optional<DayVerdict> readDayVerdict(LedgerStore& ledger, const std::string& date) {
    std::optional<DayVerdict> verdict;
    ledger.readConsistently([&] {
        std::vector<LedgerDay> days = ledger.days({date, date});
        if (days.empty()) return;
        verdict.emplace();
        verdict->day = days.front();
        verdict->tally = ledger.dayTallies({date, date})[date];
        for (const DatedOutage& o : ledger.outages({date, date}))
            verdict->outages.push_back(o.outage);
        const InventoryVersions versions = ledger.inventoryVersions();
        if (const Inventory* inventory = versions.inForce(date)) verdict->network = *inventory;
        for (const DatedUnitOutage& o : ledger.unitOutages({date, date}))
            verdict->unitOutages.push_back(o.outage);
        for (const LedgerCell& cell : ledger.cells({date, date})) {
            if (cell.attribution == Attribution::Detector) {
                verdict->own.push_back({cell, sinceOf(ledger, cell)});
            } else if (cell.attribution == Attribution::FeedOutage) {
                verdict->owed.push_back({cell, ""});
            } else if (isOwedToOutage(cell.attribution)) {
                verdict->owedToUnits.push_back({cell, ""});
            }
        }
    });
    return verdict;
}

std::string dayVerdictText(const DayVerdict& v) {
    std::string out = "Date: " + v.day.date + "\n";
    out += "Archive: " + v.day.archive + "\n";
    out += "Tested at: " + v.day.testedAt + "\n";
    out += "Detectors: " + std::to_string(v.day.detectors) + "\n";
    for (HealthClass c : {HealthClass::High, HealthClass::Susp, HealthClass::Marg,
                          HealthClass::Hlth, HealthClass::Excluded}) {
        out += std::string(modBaddet::healthClassLabel(c)) + ": " + std::to_string(v.tally.of(c)) +
               "\n";
    }
    out += "Feed outages:\n";
    for (const FeedOutage& o : v.outages)
        out += outageTimes(o) + "\n";
    // Without an inventory the day reads as it did before there were unit outages.
    const bool network = v.network.has_value() || !v.unitOutages.empty() || !v.owedToUnits.empty();
    if (network) {
        out += "Station and controller outages:\n";
        for (const UnitOutage& o : v.unitOutages) {
            out += std::string(unitKindName(o.kind)) + " " + o.unit + " " +
                   slotTimes(o.firstSlot, o.lastSlot) + "\n";
        }
    }
    out += "Owed to feed outages: " + std::to_string(v.owed.size()) + "\n";
    if (network) {
        out += "Owed to station and controller outages: " + std::to_string(v.owedToUnits.size()) +
               "\n";
    }
    out += "Owed to the detectors: " + std::to_string(v.own.size()) + "\n";
    out += "The detectors' own verdicts:\ndet, class, step, since\n";
    for (const DayVerdict::Row& r : v.own)
        out += rowText(r.cell) + ", " + r.since + "\n";
    out += "Verdicts owed to feed outages:\ndet, class, step\n";
    for (const DayVerdict::Row& r : v.owed)
        out += rowText(r.cell) + "\n";
    if (network) {
        out += "Verdicts owed to station and controller outages:\ndet, class, step, attribution\n";
        for (const DayVerdict::Row& r : v.owedToUnits)
            out += rowText(r.cell) + ", " + std::string(attributionName(r.cell.attribution)) + "\n";
    }
    return out;
}

std::string dayVerdictCsv(const DayVerdict& v) {
    std::vector<const DayVerdict::Row*> rows;
    for (const auto* part : {&v.own, &v.owed, &v.owedToUnits}) {
        for (const DayVerdict::Row& r : *part)
            rows.push_back(&r);
    }
    std::sort(rows.begin(), rows.end(), [](const DayVerdict::Row* a, const DayVerdict::Row* b) {
        return a->cell.det < b->cell.det;
    });
    const Inventory* inventory = v.network ? &*v.network : nullptr;
    std::string out = "det,class,step,attribution,since,status,station,lane,lane_type,corridor\r\n";
    for (const DayVerdict::Row* r : rows) {
        const LedgerCell& c = r->cell;
        out += std::to_string(c.det) + "," +
               std::string(modBaddet::healthClassLabel(c.healthClass)) + "," +
               std::string(modBaddet::decisionStepName(c.step)) + "," +
               std::string(attributionName(c.attribution)) + "," + r->since + "," +
               std::string(c.status ? dailyStatusName(*c.status) : "") + "," +
               networkColumns(inventory, c.det) + "\r\n";
    }
    return out;
}

}  // namespace sorvane::history
