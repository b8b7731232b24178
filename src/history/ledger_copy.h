#pragma once

#include <string>
#include <vector>

#include "history/ledger_store.h"

namespace sorvane::history {

// What a copy from one ledger to another holds for the target.
struct CopyPlan {
    std::vector<std::string> dates;         // the source's days, in date order
    std::vector<std::string> heldDates;     // of them, the days the target holds already
    std::vector<std::string> heldVersions;  // inventory versions' dates the target holds already
};

CopyPlan planCopy(LedgerStore& from, LedgerStore& to);

struct CopyResult {
    int days = 0;
    int inventoryVersions = 0;
};

// Copies every day (its detectors and outages) and every inventory version from one ledger to the
// other, a day at a time, each in one transaction of the target: a failure leaves the days copied
// before it. Versions the target holds are replaced whole, and days too with `replace`; without
// it a day the target gained since the plan is refused (refusing the plan's held dates is the
// caller's part). Throws SorvaneError.
CopyResult copyLedger(LedgerStore& from, LedgerStore& to, const CopyPlan& plan, bool replace);

}  // namespace sorvane::history
