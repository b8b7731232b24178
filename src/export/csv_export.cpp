#include "export/csv_export.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "archive/detector_day.h"
#include "archive/detectors_in_order.h"
#include "archive/unzip.h"
#include "common/error.h"
#include "common/format.h"
#include "common/intervals.h"
#include "common/log.h"
#include "common/machine_cores.h"
#include "common/numeric.h"
#include "common/text_file.h"

namespace sorvane {

namespace {

// The export's validity rule, stricter than the imputation's: 40 vehicles in 30 seconds is
// already implausible, and so is an occupancy outside 0..100 %.
bool validVolume(uint8_t vol) {
    return vol < 40;
}
bool validOccupancy(float occ) {
    return occ >= 0.0f && occ <= 100.0f;
}

std::vector<int32_t> detectorNumbers(const std::vector<std::string>& ids) {
    std::vector<int32_t> numbers;
    numbers.reserve(ids.size());
    for (const std::string& id : ids) {
        std::optional<int32_t> number = toInt32(id);
        if (!number) {
            throw SorvaneError(kErrInvalidInput,
                               "The detector ID " + id + " lies outside -2147483648..2147483647");
        }
        numbers.push_back(*number);
    }
    return numbers;
}

// The suggested destination of an archive whose name lacks "traffic" is the archive itself,
// which the export would replace.
void checkDestination(const std::string& destination, const std::string& archive) {
    if (destination.empty()) throw SorvaneError(kErrInvalidInput, "No export file name was given.");
    std::error_code ignored;
    if (std::filesystem::equivalent(destination, archive, ignored)) {
        throw SorvaneError(kErrInvalidInput, "The export file " + destination +
                                                 " is the loaded archive; choose another name.");
    }
}

// Every ID's day as the archive reader hands it out. The raw arrays take 5 bytes a slot (1 in
// volume-only mode, which keeps no occupancies). An ID names a row: IDs of one detector share
// its row, and IDs of detectors the archive does not hold share row 0, so a long list costs no
// more memory than the archive's detectors. Slots the export cannot read are invalid (volume
// 255, occupancy -1): with "Set to -1" they give -1, with "Set to 0" nothing, and they count as
// invalid in the log.
struct SlotTable {
    SlotTable(bool volumeOnly, size_t detectors) : volumeOnly(volumeOnly) {
        volumes.reserve(detectors + 1);
        if (!volumeOnly) occupancies.reserve(detectors + 1);
        addRow();
    }

    size_t addRow() {
        volumes.emplace_back().fill(kUnreadVolume);
        if (!volumeOnly) occupancies.emplace_back().fill(kUnreadOccupancy);
        return volumes.size() - 1;
    }

    static constexpr uint8_t kUnreadVolume = 255;
    static constexpr float kUnreadOccupancy = -1.0f;

    bool volumeOnly;
    std::vector<size_t> rowOfId;
    std::vector<VolumeBytes> volumes;
    std::vector<Occupancies> occupancies;
};

bool archiveHolds(const Unzip& reader, int32_t det) {
    auto det16 = static_cast<int16_t>(det);
    return det16 == det && reader.detPosition(det16).has_value();
}

// The distinct detectors of the list that the archive holds: the rows the table needs.
size_t heldDetectors(const std::vector<int32_t>& numbers, const Unzip& reader) {
    std::unordered_set<int32_t> held;
    for (int32_t det : numbers) {
        if (archiveHolds(reader, det)) held.insert(det);
    }
    return held.size();
}

// What reading one detector found, kept to log it again where the list repeats the detector.
struct Reading {
    size_t row;
    int missingMembers;
    bool found;
};

// The lines the archive reader logs for the detector's missing members, then the export's own
// line when the detector cannot be exported whole.
void logReading(int32_t det, const Reading& reading, Log& log) {
    for (int i = 0; i < reading.missingMembers; ++i)
        log.appendLog(missingMemberLine(det));
    if (!reading.found)
        log.appendLog("Detector file " + std::to_string(det) + " does not exits!!!");
}

// Each detector reads into a row of its own, so a missing member never passes on another
// detector's values. Volume-only mode keeps the volumes whenever the volume member is there;
// the other mode keeps a detector only when both members are. A detector is read at its first
// place in the list, on `workers` threads; the table and the log are filled in list order.
SlotTable readSlotTable(const std::vector<int32_t>& numbers, Unzip& reader, bool volumeOnly,
                        int workers, Log& log) {
    SlotTable table(volumeOnly, heldDetectors(numbers, reader));
    table.rowOfId.reserve(numbers.size());
    std::unordered_map<int32_t, Reading> readings;
    std::vector<bool> firstPlace(numbers.size());
    {
        std::unordered_set<int32_t> seen;
        for (size_t i = 0; i < numbers.size(); ++i)
            firstPlace[i] = seen.insert(numbers[i]).second;
    }
    auto read = [&](size_t i, const ReadDetector& readDetector) {
        return firstPlace[i] ? readDetector(numbers[i]) : DetectorMembers{};
    };
    auto fill = [&](size_t i, DetectorMembers& members) {
        const int32_t det = numbers[i];
        if (firstPlace[i]) {
            Reading reading{members.listed ? table.addRow() : 0, members.missingCount(),
                            members.found()};
            if (members.vol && (volumeOnly || members.found()))
                table.volumes[reading.row] = *members.vol;
            if (!volumeOnly && members.found()) table.occupancies[reading.row] = *members.occ;
            readings.emplace(det, reading);
        }
        const Reading& reading = readings.at(det);
        logReading(det, reading, log);
        table.rowOfId.push_back(reading.row);
    };
    readDetectorsInOrder<DetectorMembers>(reader, workers, numbers.size(), read, fill);
    return table;
}

void logInvalidCounts(const std::vector<std::string>& ids, const SlotTable& table, Log& log) {
    std::vector<std::ptrdiff_t> invalidOfRow;
    for (const VolumeBytes& vol : table.volumes) {
        invalidOfRow.push_back(
            std::count_if(vol.begin(), vol.end(), [](uint8_t v) { return !validVolume(v); }));
    }
    log.appendLog("Number of 30sec slots that had invalid or missing data: ");
    for (size_t i = 0; i < ids.size(); ++i) {
        log.appendLog(ids[i] + " :  " + std::to_string(invalidOfRow[table.rowOfId[i]]) +
                      " out of 2880");
    }
}

// One interval of one detector: the sum of the valid volumes and the mean of the valid
// occupancies (0 when none; no occupancies in volume-only mode), each -1 with SetToNegative
// when any of its slots is invalid.
DetSlot aggregateInterval(const uint8_t* vol, const float* occ, int count, MissingOption missing) {
    int volume = 0;  // at most 120 slots of at most 39
    bool volumeInvalid = false;
    float occupancySum = 0.0f;
    int validOccupancies = 0;
    bool occupancyInvalid = false;
    for (int s = 0; s < count; ++s) {
        if (validVolume(vol[s]))
            volume += vol[s];
        else
            volumeInvalid = true;
        if (occ == nullptr) continue;
        if (validOccupancy(occ[s])) {
            occupancySum += occ[s];
            ++validOccupancies;
        } else {
            occupancyInvalid = true;
        }
    }
    DetSlot value;
    value.vol = static_cast<int16_t>(volume);
    value.occ = occupancySum / static_cast<float>(validOccupancies == 0 ? 1 : validOccupancies);
    if (missing == MissingOption::SetToNegative) {
        if (volumeInvalid) value.vol = -1;
        if (occupancyInvalid) value.occ = -1.0f;
    }
    return value;
}

char* writeText(char* out, std::string_view text) {
    return std::copy(text.begin(), text.end(), out);
}

char* writeWhole(char* out, int value) {
    return std::to_chars(out, out + 12, value).ptr;
}

// Room for the start time and the line end, and for the longest group of one ID: an
// occupancy, a volume of at most 6 characters and the separators.
constexpr size_t kTimeChars = 16;
constexpr size_t kGroupChars = kUpToTwoFloatChars + 16;

std::string headerLine(const std::vector<std::string>& ids, bool volumeOnly) {
    std::string line = "Time(hh:m:ss),";
    for (const std::string& id : ids) {
        if (!volumeOnly) line += id + ".occ, ";
        line += id + ".vol, ";
    }
    return line + "\r\n";
}

// One data line in `buffer`, which has room for kTimeChars and kGroupChars per ID: the start
// time and every ID's group. In volume-only mode the last volume is a number field: a blank
// for the sign unless negative, and a blank after it.
std::string_view buildDataLine(std::vector<char>& buffer, int interval, const IntervalSpec& period,
                               const SlotTable& table, const ExportSettings& settings) {
    char* out = buffer.data();
    out = writeText(out, formatTimeOfDay(interval * period.secondsPerInterval));
    out = writeText(out, ", ");
    const size_t firstSlot = static_cast<size_t>(interval * period.slotsPerInterval);
    const size_t idCount = table.rowOfId.size();
    for (size_t i = 0; i < idCount; ++i) {
        const bool last = i + 1 == idCount;
        const size_t row = table.rowOfId[i];
        const float* occ =
            settings.volumeOnly ? nullptr : table.occupancies[row].data() + firstSlot;
        DetSlot value = aggregateInterval(table.volumes[row].data() + firstSlot, occ,
                                          period.slotsPerInterval, settings.missing);
        if (settings.volumeOnly) {
            if (last && value.vol >= 0) *out++ = ' ';
            out = writeWhole(out, value.vol);
            out = writeText(out, last ? " " : ", ");
        } else {
            out = writeUpToTwo(out, value.occ);
            out = writeText(out, ", ");
            out = writeWhole(out, value.vol);
            if (!last) out = writeText(out, ", ");
        }
    }
    out = writeText(out, "\r\n");
    return {buffer.data(), static_cast<size_t>(out - buffer.data())};
}

}  // namespace

void ExportCsv(const std::vector<std::string>& ids, Unzip& reader, const ExportSettings& settings,
               Log& log) {
    const std::vector<int32_t> numbers = detectorNumbers(ids);
    checkDestination(settings.destination, reader.fileName());
    // Opened first so that an unwritable destination fails before the archive is read.
    AtomicFileWriter writer(settings.destination);

    const int workers = threadsFor(settings.jobs);
    const SlotTable table = readSlotTable(numbers, reader, settings.volumeOnly, workers, log);
    logInvalidCounts(ids, table, log);
    const IntervalSpec& period = intervalAt(settings.intervalPosition);
    log.appendLog("Time Interval:  " + std::to_string(period.secondsPerInterval) + " Seconds\r\n");

    writer.write(headerLine(ids, settings.volumeOnly));
    const size_t lineRoom = kTimeChars + ids.size() * kGroupChars;
    const auto intervals = static_cast<size_t>(period.intervalsPerDay);
    if (workers <= 1) {
        std::vector<char> buffer(lineRoom);
        for (size_t k = 0; k < intervals; ++k)
            writer.write(buildDataLine(buffer, static_cast<int>(k), period, table, settings));
    } else {
        // The lines are made on the workers, each in a buffer of its own, and written in order.
        auto lineMaker = [&]() -> ItemMaker<std::string> {
            auto buffer = std::make_shared<std::vector<char>>(lineRoom);
            return [buffer, &period, &table, &settings](size_t k) {
                return std::string(
                    buildDataLine(*buffer, static_cast<int>(k), period, table, settings));
            };
        };
        runInOrder<std::string>(intervals, workers, kItemsAheadPerWorker * workers, lineMaker,
                                lineMaker(),
                                [&writer](size_t, std::string& line) { writer.write(line); });
    }
    writer.commit();
}

void exportDetectors(const std::string& archivePath, const std::vector<std::string>& ids,
                     Unzip& reader, const ExportSettings& settings, Log& log) {
    log.appendLog("Traffic file: " + archivePath);
    ExportCsv(ids, reader, settings, log);
    log.appendLog(
        "The requested detector data was successfully extracted and converted to csv.\r\n"
        "The csv file can be found in " +
        settings.destination);
}

}  // namespace sorvane
