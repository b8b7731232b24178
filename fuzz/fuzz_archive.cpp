// Bytes as a Traffic archive: list it, then load every listed detector as the view does
// (extraction, cleaning, a plot aggregation and its lines) and extract a few numbers that are
// not listed. Any SorvaneError is a proper refusal; anything else is a finding.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "archive/day_loader.h"
#include "archive/interval_data.h"
#include "archive/unzip.h"
#include "common/error.h"
#include "common/intervals.h"
#include "common/log.h"
#include "plot/detector_view.h"

namespace {

void viewDetector(sorvane::Unzip& reader, int32_t det, int position) {
    sorvane::DetectorDay rawDay{};
    sorvane::DetectorDay imputedDay{};
    if (!sorvane::loadDetectorDay(reader, det, rawDay, imputedDay)) return;
    const sorvane::IntervalSpec& period = sorvane::intervalAt(position % 10);
    auto missing = position % 2 == 0 ? sorvane::MissingOption::SetToZero
                                     : sorvane::MissingOption::SetToNegative;
    sorvane::IntervalData data = sorvane::aggregateDay(imputedDay, period, missing);
    if (sorvane::intervalLines(data).size() != static_cast<size_t>(period.intervalsPerDay)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/sorvane-fuzz-archive-" + std::to_string(::getpid());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    sorvane::Log log;
    sorvane::Unzip reader(log);
    reader.ZipFileName(path);
    try {
        reader.zipList();
    } catch (const sorvane::SorvaneError&) {
        return 0;
    }
    if (reader.detCount() < 1) std::abort();  // a listing without a detector is refused
    for (int i = 0; i < reader.detCount(); ++i) {
        try {
            viewDetector(reader, reader.detNum(i), i);
        } catch (const sorvane::SorvaneError&) {
        }
    }
    sorvane::VolumeBytes vol{};
    sorvane::Occupancies occ{};
    for (int32_t det : {-32769, -32768, 0, 32767, 32768, 100000}) {
        try {
            reader.extractDet(det, vol, occ);
        } catch (const sorvane::SorvaneError&) {
        }
    }
    return 0;
}
