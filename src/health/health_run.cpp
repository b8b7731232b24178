#include "health/health_run.h"

#include "archive/unzip.h"
#include "common/error.h"
#include "common/log.h"
#include "health/health_measures.h"
#include "health/health_outcome_text.h"
#include "health/health_report.h"

namespace sorvane::modBaddet {

namespace {

bool isExcluded(int16_t det, const HealthSnapshot& s) {
    return s.detNoFrom <= det && det <= s.detNoTo;
}

// Tests one detector; a measured one leaves its raw day in `vol` and `occ`.
DetectorOutcome testDetector(Unzip& reader, Log& log, const HealthSnapshot& snapshot, int16_t det,
                             VolumeBytes& vol, Occupancies& occ) {
    if (isExcluded(det, snapshot)) return ClassifyExcluded(det);
    vol = {};
    occ = {};
    bool found = false;
    try {
        found = reader.extractDet(det, vol, occ);
    } catch (const SorvaneError& e) {
        // A damaged member spoils this detector only; the run goes on.
        log.appendLog("Det " + std::to_string(det) + " cannot be read: " + e.description() +
                      "\r\n");
    }
    if (!found) return ClassifyUnreadable(det);
    return ClassifyDetector(det, ComputeHealthMeasures(vol, occ, snapshot), snapshot);
}

void addListLine(HealthRunResult& result, const DetectorOutcome& outcome) {
    switch (resultListOf(outcome.healthClass())) {
        case ResultList::HighlySuspicious:
            result.highList.push_back(ListLine(outcome));
            break;
        case ResultList::SuspiciousOrMarginal:
            result.suspList.push_back(ListLine(outcome));
            break;
        case ResultList::None:
            break;
    }
}

}  // namespace

ResultList resultListOf(HealthClass healthClass) {
    switch (healthClass) {
        case HealthClass::High:
            return ResultList::HighlySuspicious;
        case HealthClass::Susp:
        case HealthClass::Marg:
            return ResultList::SuspiciousOrMarginal;
        case HealthClass::Hlth:
        case HealthClass::Excluded:
            break;
    }
    return ResultList::None;
}

HealthRunResult RunHealthTest(Unzip& reader, Log& log, const HealthSnapshot& snapshot, int16_t det,
                              const HealthProgress& progress,
                              const DetectorDayObserver& observeDay) {
    HealthRunResult result;
    result.allDetectors = det == kAllDetectors;
    result.detCount = reader.detCount();
    int positions = result.allDetectors ? result.detCount : 1;
    result.outcomes.reserve(static_cast<size_t>(positions));
    VolumeBytes vol;
    Occupancies occ;
    for (int i = 0; i < positions; ++i) {
        int16_t number = result.allDetectors ? reader.detNum(i) : det;
        DetectorOutcome outcome = testDetector(reader, log, snapshot, number, vol, occ);
        countOutcome(result.tally, outcome);
        if (observeDay) {
            RawDetectorDay day{vol, occ};
            observeDay(outcome, outcome.measures ? &day : nullptr);
        }
        if (progress) progress(result.allDetectors ? i : number, result.detCount, outcome);
        AppendToSections(result.tally, outcome);
        addListLine(result, outcome);
        result.outcomes.push_back(std::move(outcome));
    }
    if (result.allDetectors) {
        result.reportFileName = kAllReportFileName;
        result.reportText = AllReportText(result.detCount, result.tally);
    } else {
        result.reportFileName = kSingleReportFileName;
        result.reportText = SingleReportText(result.tally);
    }
    return result;
}

}  // namespace sorvane::modBaddet
