// Bytes as a Traffic archive: list it, then extract every listed detector and a few that
// are not listed. Any SorvaneError is a proper refusal; anything else is a finding.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "archive/unzip.h"
#include "common/error.h"
#include "common/log.h"

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
    sorvane::VolumeBytes vol{};
    sorvane::Occupancies occ{};
    for (int i = 0; i < reader.detCount(); ++i) {
        try {
            reader.extractDet(reader.detNum(i), vol, occ);
        } catch (const sorvane::SorvaneError&) {
        }
    }
    for (int32_t det : {-32769, -32768, 0, 32767, 32768, 100000}) {
        try {
            reader.extractDet(det, vol, occ);
        } catch (const sorvane::SorvaneError&) {
        }
    }
    return 0;
}
