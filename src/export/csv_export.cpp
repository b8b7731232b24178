#include "export/csv_export.h"

#include <charconv>
#include <cstdint>

#include "archive/detector_day.h"
#include "archive/unzip.h"
#include "common/error.h"
#include "common/format.h"
#include "common/intervals.h"
#include "common/log.h"
#include "common/numeric.h"
#include "common/text_file.h"

namespace sorvane {

namespace {

// The export's validity rule, stricter than the imputation's: 40 vehicles in 30 seconds is
// already implausible, and so is an occupancy outside 0..100 %.
bool validVolume(int16_t vol) {
    return vol >= 0 && vol < 40;
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
                               "The detector ID " + id + " is too large for a detector number");
        }
        numbers.push_back(*number);
    }
    return numbers;
}

// Every ID's 2880 slots as the archive holds them; a detector the archive lacks stays zero.
// Volume-only mode takes the volumes whenever the volume member is there.
std::vector<DetSlot> readSlotTable(const std::vector<int32_t>& numbers, Unzip& reader,
                                   bool volumeOnly, Log& log) {
    std::vector<DetSlot> table(numbers.size() * kSlotsPerDay);
    for (size_t i = 0; i < numbers.size(); ++i) {
        // Fresh arrays for every detector: a missing member must not pass on the previous
        // detector's values.
        VolumeBytes vol{};
        Occupancies occ{};
        bool found = reader.extractDet(numbers[i], vol, occ);
        if (!found) {
            log.appendLog("Detector file " + std::to_string(numbers[i]) + " does not exits!!!");
        }
        DetSlot* slots = table.data() + i * kSlotsPerDay;
        for (size_t s = 0; s < kSlotsPerDay; ++s) {
            if (found || volumeOnly) slots[s].vol = vol[s];
            if (found && !volumeOnly) slots[s].occ = occ[s];
        }
    }
    return table;
}

void logInvalidCounts(const std::vector<std::string>& ids, const std::vector<DetSlot>& table,
                      Log& log) {
    log.appendLog("Number of 30sec slots that had invalid or missing data: ");
    for (size_t i = 0; i < ids.size(); ++i) {
        int invalid = 0;
        for (size_t s = 0; s < kSlotsPerDay; ++s) {
            if (!validVolume(table[i * kSlotsPerDay + s].vol)) ++invalid;
        }
        log.appendLog(ids[i] + " :  " + std::to_string(invalid) + " out of 2880");
    }
}

// One interval of one detector: the sum of the valid volumes and the mean of the valid
// occupancies (0 when none), each -1 with SetToNegative when any of its slots is invalid.
DetSlot aggregateInterval(const DetSlot* slots, int count, bool volumeOnly, MissingOption missing) {
    int volume = 0;  // at most 120 slots of at most 39
    bool volumeInvalid = false;
    float occupancySum = 0.0f;
    int validOccupancies = 0;
    bool occupancyInvalid = false;
    for (int s = 0; s < count; ++s) {
        if (validVolume(slots[s].vol))
            volume += slots[s].vol;
        else
            volumeInvalid = true;
        if (volumeOnly) continue;
        if (validOccupancy(slots[s].occ)) {
            occupancySum += slots[s].occ;
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

void appendWhole(std::string& line, int value) {
    char digits[12];
    line.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

std::string headerLine(const std::vector<std::string>& ids, bool volumeOnly) {
    std::string line = "Time(hh:m:ss),";
    for (const std::string& id : ids) {
        if (!volumeOnly) line += id + ".occ, ";
        line += id + ".vol, ";
    }
    return line + "\r\n";
}

// One data line: the start time and every ID's group. In volume-only mode the last volume is
// a number field: a blank for the sign unless negative, and a blank after it.
void buildDataLine(std::string& line, int interval, const IntervalSpec& spec,
                   const std::vector<DetSlot>& table, size_t idCount,
                   const ExportSettings& settings) {
    line.clear();  // keeps the capacity of the previous line
    line += formatTimeOfDay(interval * spec.secondsPerInterval);
    line += ", ";
    const size_t firstSlot = static_cast<size_t>(interval * spec.slotsPerInterval);
    for (size_t i = 0; i < idCount; ++i) {
        const bool last = i + 1 == idCount;
        DetSlot value =
            aggregateInterval(table.data() + i * kSlotsPerDay + firstSlot, spec.slotsPerInterval,
                              settings.volumeOnly, settings.missing);
        if (settings.volumeOnly) {
            if (last && value.vol >= 0) line += ' ';
            appendWhole(line, value.vol);
            line += last ? " " : ", ";
        } else {
            appendUpToTwo(line, value.occ);
            line += ", ";
            appendWhole(line, value.vol);
            if (!last) line += ", ";
        }
    }
    line += "\r\n";
}

}  // namespace

void ExportCsv(const std::vector<std::string>& ids, Unzip& reader, const ExportSettings& settings,
               Log& log) {
    const std::vector<int32_t> numbers = detectorNumbers(ids);
    // Opened first so that an unwritable destination fails before the archive is read.
    AtomicFileWriter writer(settings.destination);

    const std::vector<DetSlot> table = readSlotTable(numbers, reader, settings.volumeOnly, log);
    logInvalidCounts(ids, table, log);
    const IntervalSpec& spec = intervalAt(settings.intervalPosition);
    log.appendLog("Time Interval:  " + std::to_string(spec.secondsPerInterval) + " Seconds\r\n");

    writer.write(headerLine(ids, settings.volumeOnly));
    std::string line;
    for (int k = 0; k < spec.intervalsPerDay; ++k) {
        buildDataLine(line, k, spec, table, ids.size(), settings);
        writer.write(line);
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

std::string exportSavedMessage(const std::string& destination) {
    return "The extracted csv file was saved in " + destination + "\r\n";
}

}  // namespace sorvane
