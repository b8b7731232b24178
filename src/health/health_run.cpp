#include "health/health_run.h"

#include "archive/detectors_in_order.h"
#include "archive/unzip.h"
#include "common/error.h"
#include "common/log.h"
#include "common/machine_cores.h"
#include "health/health_measures.h"
#include "health/health_outcome_text.h"
#include "health/health_report.h"

namespace sorvane::modBaddet {

namespace {

bool isExcluded(int16_t det, const HealthSnapshot& s) {
    return s.detNoFrom <= det && det <= s.detNoTo;
}

// What testing one detector found: its outcome, the lines its reading logs, and what was read of
// it (both members when it was measured).
struct TestedDetector {
    DetectorOutcome outcome;
    std::string logLines;
    DetectorMembers members;
};

// Tests one detector, reading it with `read`.
TestedDetector testDetector(int16_t det, const DetectorParameters& parameters,
                            const ReadDetector& read) {
    TestedDetector tested;
    if (isExcluded(det, parameters.base())) {
        tested.outcome = ClassifyExcluded(det);
        return tested;
    }
    DetectorMembers& members = tested.members;
    try {
        members = read(det);
        for (int i = 0; i < members.missingCount(); ++i)
            tested.logLines += missingMemberLine(det);
    } catch (const SorvaneError& e) {
        // A damaged member spoils this detector only and the run goes on; a file that changed
        // spoils the whole archive.
        if (e.number() == kErrArchiveChanged) throw;
        tested.logLines =
            "Det " + std::to_string(det) + " cannot be read: " + e.description() + "\r\n";
    }
    if (!members.found()) {
        tested.outcome = ClassifyUnreadable(det);
        return tested;
    }
    const HealthSnapshot& snapshot = parameters.of(det);
    tested.outcome = ClassifyDetector(
        det, ComputeHealthMeasures(*members.vol, *members.occ, snapshot), snapshot);
    return tested;
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
                              const HealthProgress& progress, const DetectorDayObserver& observeDay,
                              int jobs) {
    return RunHealthTest(reader, log, DetectorParameters(snapshot), det, progress, observeDay,
                         jobs);
}

HealthRunResult RunHealthTest(Unzip& reader, Log& log, const DetectorParameters& parameters,
                              int16_t det, const HealthProgress& progress,
                              const DetectorDayObserver& observeDay, int jobs) {
    HealthRunResult result;
    result.allDetectors = det == kAllDetectors;
    result.detCount = reader.detCount();
    const size_t positions = result.allDetectors ? static_cast<size_t>(result.detCount) : 1;
    result.outcomes.reserve(positions);
    // The workers read the listing they start with, whatever the reader lists meanwhile.
    const std::shared_ptr<const ArchiveListing> listing = reader.listing();
    auto numberAt = [&listing, det](size_t position) {
        return det == kAllDetectors ? listing->detList[position] : det;
    };

    auto consume = [&](size_t position, TestedDetector& tested) {
        const DetectorOutcome& outcome = tested.outcome;
        if (!tested.logLines.empty()) log.appendLog(tested.logLines);
        countOutcome(result.tally, outcome);
        if (observeDay && outcome.measures) {
            RawDetectorDay day{*tested.members.vol, *tested.members.occ};
            observeDay(outcome, &day);
        } else if (observeDay) {
            observeDay(outcome, nullptr);
        }
        if (progress) {
            progress(result.allDetectors ? static_cast<int>(position) : det, result.detCount,
                     outcome);
        }
        AppendToSections(result.tally, outcome);
        addListLine(result, outcome);
        result.outcomes.push_back(std::move(tested.outcome));
    };
    const int workers = result.allDetectors ? threadsFor(jobs) : 1;
    readDetectorsInOrder<TestedDetector>(
        reader, workers, positions,
        [&numberAt, &parameters](size_t position, const ReadDetector& read) {
            return testDetector(numberAt(position), parameters, read);
        },
        consume);
    if (result.allDetectors) {
        result.reportFileName = kAllReportFileName;
        result.reportText = AllReportText(result.detCount, result.tally);
    } else {
        result.reportFileName = kSingleReportFileName;
        result.reportText = SingleReportText(result.tally);
    }
    // The block stands apart, after an empty line, as the report's sections do.
    if (std::string block = ParametersBlock(parameters, result.outcomes); !block.empty()) {
        if (!result.reportText.ends_with("\r\n\r\n")) result.reportText += "\r\n";
        result.reportText += block;
    }
    return result;
}

}  // namespace sorvane::modBaddet
