#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/detector_day.h"
#include "health/detector_parameters.h"
#include "health/health_classify.h"
#include "health/health_report.h"
#include "health/health_snapshot.h"

namespace sorvane {
class Log;
class Unzip;
}  // namespace sorvane

namespace sorvane::modBaddet {

constexpr int16_t kAllDetectors = -1;

// The result list a detector's line goes to.
enum class ResultList { None, HighlySuspicious, SuspiciousOrMarginal };
ResultList resultListOf(HealthClass healthClass);

// Called after each visited detector with its position, the archive's detector count (a
// single-detector run passes the detector number as the position) and what the test found, on
// the calling thread and in detector order however many workers test. The window hands the
// outcomes to its own thread here; an exception thrown here stops the run (its workers are
// joined first) and leaves RunHealthTest.
using HealthProgress = std::function<void(int position, int count, const DetectorOutcome& outcome)>;

// The raw day a measured detector was judged on, as the archive reader handed it out.
struct RawDetectorDay {
    const VolumeBytes& vol;
    const Occupancies& occ;
};

// Called after each visited detector, before the progress and on the same thread, with its
// outcome and its raw day: null for a detector that was excluded or could not be read. The history
// ledger judges the same day again this way without a second reading.
using DetectorDayObserver =
    std::function<void(const DetectorOutcome& outcome, const RawDetectorDay* day)>;

// Everything a run leaves behind. Writing the report is the caller's step (WriteReport), so a
// report that cannot be written leaves the lists and counts complete.
struct HealthRunResult {
    bool allDetectors = true;
    int detCount = 0;                       // the archive's detectors, excluded ones included
    HealthTally tally;                      // counters and report sections
    std::vector<std::string> highList;      // "List of highly suspicious detectors"
    std::vector<std::string> suspList;      // "List of suspicious/marginal detectors"
    std::vector<DetectorOutcome> outcomes;  // every visited detector, in test order
    std::string reportFileName;             // Diagnostic_Report.txt or report_single.txt
    std::string reportText;
};

// Tests every detector of the listed archive (det = kAllDetectors) or the one detector `det`,
// with the parameters of `snapshot`. Detectors inside the excluded range are skipped; one that
// cannot be extracted is highly suspicious, and a member that is missing or cannot be read is
// logged as well. A window shows highList and suspList in place of its lists after a run over
// all detectors; a single-detector run leaves the window's lists as they were.
//
// A run over all detectors spreads them over `jobs` worker threads (0: one per core), each
// reading through a libzip handle of its own; 1 tests them on the calling thread alone. The
// log, the callbacks and everything the run leaves behind come in detector order, the same
// bytes for any number of jobs. A worker that cannot open the archive again (the file was
// replaced since it was listed) leaves its share to the others, or to the calling thread.
// Throws SorvaneError (kErrArchiveChanged) when the archive's file changed while the run read it
// (cut, rewritten or replaced since it was listed): nothing of such a run may be kept.
HealthRunResult RunHealthTest(Unzip& reader, Log& log, const HealthSnapshot& snapshot, int16_t det,
                              const HealthProgress& progress = {},
                              const DetectorDayObserver& observeDay = {}, int jobs = 1);

// The same with each detector tested with the parameters `parameters` choose for it. When some
// detector was tested with another set than the run's own, the report ends with the block of
// ParametersBlock.
HealthRunResult RunHealthTest(Unzip& reader, Log& log, const DetectorParameters& parameters,
                              int16_t det, const HealthProgress& progress = {},
                              const DetectorDayObserver& observeDay = {}, int jobs = 1);

}  // namespace sorvane::modBaddet
