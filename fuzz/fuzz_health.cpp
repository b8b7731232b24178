// Bytes as a raw detector day and a set of parameters (layout in health_input.h). The measures
// must stay inside their ranges and the detector's report texts must build.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "health/health_classify.h"
#include "health/health_measures.h"
#include "health/health_outcome_text.h"
#include "health/health_report.h"
#include "health/measures_csv.h"
#include "health_input.h"

namespace {

bool inRange(int value, int low, int high) {
    return low <= value && value <= high;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace sorvane::modBaddet;
    const sorvane::fuzz::HealthInput in = sorvane::fuzz::healthInputOf({data, size});
    const HealthMeasures m = ComputeHealthMeasures(in.vol, in.occ, in.snapshot);
    if (!inRange(m.missingCount, 0, 2880) || !inRange(m.zeroRunCount, 0, 2399) ||
        !inRange(m.lockOnCount, 0, 2880) || !inRange(m.occSpikeCount, 0, 2878) ||
        !inRange(m.volSpikeCount, 0, 2878) || !inRange(m.maxVol5, 0, 1270) ||
        !inRange(m.overcountSlots, 0, 2880) || m.validVolSlots != 2880 - m.missingCount) {
        std::abort();
    }
    if (!(m.corrCoef >= -1.0 && m.corrCoef <= 1.0)) std::abort();
    if (!std::isfinite(m.devIndex) || m.devIndex < 0.0f || !std::isfinite(m.volOnHighOcc) ||
        m.volOnHighOcc < 0.0f) {
        std::abort();
    }
    const double ratio = overcountRatio(m);
    if (!(ratio >= 0.0 && ratio <= 1.0)) std::abort();

    DetectorOutcome outcome = ClassifyDetector(100, m, in.snapshot);
    HealthTally tally;
    AppendToSections(tally, outcome);
    if (DetectorBlock(outcome).empty() || measuresCsvText({outcome}, {}).empty()) std::abort();
    return 0;
}
