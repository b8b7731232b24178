#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "archive/interval_data.h"

namespace sorvane {

class Log;
class Unzip;

// The settings of the "Export " tab that one export reads.
struct ExportSettings {
    int intervalPosition = 0;  // position in the interval table; outside it means "30 sec"
    MissingOption missing = MissingOption::SetToZero;
    bool volumeOnly = false;
    std::string destination;
    // Threads that read the detectors and make the lines (0: one per core; 1: the calling
    // thread alone). The file is the same for any number.
    int jobs = 0;
};

// Writes the volume (and, unless volume-only, the occupancy) of the detectors `ids` to one CSV
// file, one line per interval of the day. Slots are judged by the export's own rule (volume
// 0..39, occupancy 0..100); invalid slots add nothing, and with SetToNegative an interval
// holding one becomes -1. A detector the export cannot read (not in the archive, or lacking the
// member the mode needs) has only invalid slots. Missing detectors and the invalid-slot counts
// are logged. The file appears complete or not at all. Throws SorvaneError when an ID does not
// fit a 32-bit number, the destination is missing or is the archive itself, a member cannot be
// read or the destination cannot be written.
void ExportCsv(const std::vector<std::string>& ids, Unzip& reader, const ExportSettings& settings,
               Log& log);

// The export button's work once its inputs are checked and the IDs parsed: logs the archive,
// runs ExportCsv and logs where the file went.
void exportDetectors(const std::string& archivePath, const std::vector<std::string>& ids,
                     Unzip& reader, const ExportSettings& settings, Log& log);

}  // namespace sorvane
