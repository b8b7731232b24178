#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/detector_day.h"
#include "archive/zip_extents.h"

struct zip;

namespace sorvane {

class Log;

// One row of the member table: a member whose name begins with a detector number.
struct ZipEntry {
    int16_t detNum = 0;
    uint64_t zipIndex = 0;  // the member's index in the ZIP directory
    std::string ext;        // text after the first dot of the trimmed name: "v30", "o30", ...
};

// What the archive holds of one detector: the arrays of the members that are there. A detector
// that is not in the archive is not listed and has neither.
struct DetectorMembers {
    bool listed = false;
    std::optional<VolumeBytes> vol;
    std::optional<Occupancies> occ;

    // Both members are there: extractDet's result.
    bool found() const { return vol && occ; }
    // The members of a listed detector that are missing (0 to 2); each is one line of the log.
    int missingCount() const { return listed ? int{!vol} + int{!occ} : 0; }
};

// The log line of a member of `det` that is missing: "Det <det> does not exist" CR LF.
std::string missingMemberLine(int32_t det);

// The reader of a Traffic archive (a ZIP file holding "<det>.v30" volume members and
// "<det>.o30" / "<det>.c30" occupancy members). It lists the members once and then extracts
// any detector's day into memory on request; nothing is ever written to disk.
class Unzip {
  public:
    explicit Unzip(Log& log);
    ~Unzip();
    Unzip(const Unzip&) = delete;
    Unzip& operator=(const Unzip&) = delete;

    // Stores the path of the archive that the next zipList() opens.
    void ZipFileName(const std::string& path) { path_ = path; }
    const std::string& fileName() const { return path_; }

    // Lists the archive and rebuilds the member table and the detector list. Throws
    // SorvaneError when the archive cannot be read, its members' data overlap (or it is not
    // certain where they lie), a member name has no dot, a detector number lies outside
    // -32768..32767 or no member is a detector member; the previously listed archive (and its
    // path) then stays loaded and usable.
    void zipList();

    // Entries of the detector list: detectors in member order, adjacent repeats dropped.
    int detCount() const { return static_cast<int>(detList_.size()); }
    int16_t detNum(int index) const;

    // The first position of a detector in the detector list, if it is there.
    std::optional<int> detPosition(int16_t det) const;

    // Reads the detector's volume and occupancy members: its first member "v30" and its first
    // member "o30" or "c30", wherever they lie in the archive. Nothing is logged. Throws
    // SorvaneError when a member exists but cannot be read: damaged, its CRC wrong (when it is
    // read whole), or its compressed data larger than a day's member can be.
    DetectorMembers readDetector(int32_t det);

    // readDetector into the two arrays: true when both members were found. A member that is
    // missing is logged (missingMemberLine) and leaves its array as it was; a detector that is
    // not in the archive leaves both untouched and logs nothing.
    bool extractDet(int32_t det, VolumeBytes& vol, Occupancies& occ);

    const std::vector<ZipEntry>& zipEntries() const { return entries_; }

  private:
    struct Listing;
    struct ZipCloser {
        void operator()(zip* archive) const;
    };

    std::vector<uint8_t> readMember(uint64_t index, size_t length, const std::string& name);

    Log& log_;
    std::string path_;
    std::string loadedPath_;  // the archive whose tables are loaded
    std::unique_ptr<zip, ZipCloser> archive_;
    std::vector<ZipEntry> entries_;
    ZipExtents extents_;
    std::vector<int16_t> detList_;
    // Per detector number + 32768, -1 when absent: its first position in the detector list,
    // and the member-table rows of its volume and occupancy members.
    std::vector<int32_t> firstPosition_;
    std::vector<int32_t> volumeRow_;
    std::vector<int32_t> occupancyRow_;
};

}  // namespace sorvane
