#include "history/ledger_copy.h"

#include <algorithm>
#include <iterator>

namespace sorvane::history {

namespace {

std::vector<std::string> heldOf(const std::vector<std::string>& wanted,
                                std::vector<std::string> held) {
    std::sort(held.begin(), held.end());
    std::vector<std::string> both;
    std::set_intersection(wanted.begin(), wanted.end(), held.begin(), held.end(),
                          std::back_inserter(both));
    return both;
}

std::vector<std::string> versionDates(const InventoryVersions& versions) {
    std::vector<std::string> dates;
    for (const InventoryVersion& v : versions.all())
        dates.push_back(v.validFrom);
    std::sort(dates.begin(), dates.end());
    return dates;
}

}  // namespace

CopyPlan planCopy(LedgerStore& from, LedgerStore& to) {
    CopyPlan plan;
    plan.dates = from.dates({});
    plan.heldDates = heldOf(plan.dates, to.dates({}));
    plan.heldVersions =
        heldOf(versionDates(from.inventoryVersions()), versionDates(to.inventoryVersions()));
    return plan;
}

CopyResult copyLedger(LedgerStore& from, LedgerStore& to, const CopyPlan& plan, bool replace) {
    CopyResult result;
    // The inventory first: the days' reports read it by date.
    const InventoryVersions versions = from.inventoryVersions();
    for (const InventoryVersion& v : versions.all()) {
        to.writeInventory(v.validFrom, v.inventory);
        ++result.inventoryVersions;
    }
    to.setReplaceHeldDays(replace);
    for (const std::string& date : plan.dates) {
        std::optional<DayRecord> day = from.dayRecord(date);
        if (!day) continue;  // removed from the source meanwhile
        to.writeDay(*day);
        ++result.days;
    }
    return result;
}

}  // namespace sorvane::history
