#include "archive/day_loader.h"

#include "archive/impute.h"
#include "archive/unzip.h"

namespace sorvane {

bool loadDetectorDay(Unzip& reader, int32_t det, DetectorDay& rawDay, DetectorDay& imputedDay) {
    VolumeBytes vol{};
    Occupancies occ{};
    if (!reader.extractDet(det, vol, occ)) return false;
    rawDay = rawDayFrom(vol, occ);
    modImpute::imputeDay(rawDay, imputedDay);
    return true;
}

}  // namespace sorvane
