#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/zip_extents.h"
#include "common/error.h"

struct zip;

namespace sorvane {

// One row of the member table: a member whose name begins with a detector number.
struct ZipEntry {
    int16_t detNum = 0;
    uint64_t zipIndex = 0;  // the member's index in the ZIP directory
    std::string ext;        // text after the first dot of the trimmed name: "v30", "o30", ...
};

// Which file a path led to, and whether it has changed since: its device, inode, size and
// modification and change times.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modified = 0;  // nanoseconds since the epoch
    int64_t changed = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

std::optional<FileIdentity> identityOfFile(int fd);
std::optional<FileIdentity> identityOfPath(const std::string& path);

// The error of an archive whose file is no longer the one that was listed (kErrArchiveChanged).
SorvaneError archiveChangedError(const std::string& path);

// The tables of a listed archive. Built once by listArchive and never changed afterwards, so
// every reader of the archive, on any thread, shares them.
struct ArchiveListing {
    std::string path;
    // The file that was listed.
    std::optional<FileIdentity> identity;
    std::vector<ZipEntry> entries;
    ZipExtents extents;
    // Detectors in member order, adjacent repeats dropped.
    std::vector<int16_t> detList;
    // Per detector number + 32768, -1 when absent: its first position in the detector list,
    // and the member-table rows of its volume and occupancy members.
    std::vector<int32_t> firstPosition;
    std::vector<int32_t> volumeRow;
    std::vector<int32_t> occupancyRow;
};

inline constexpr int kDetectorOffset = 32768;

// The slot of a detector number in the per-detector tables.
inline size_t detectorSlot(int32_t det) {
    return static_cast<size_t>(det + kDetectorOffset);
}

// Throws archiveChangedError when the file at the listing's path is no longer the file that
// was listed: another file, or the same one written since (its size or times differ). A run
// calls it once its reading is done and before it writes anything, so that a day cut or
// rewritten while it was read is never taken for a real one.
void checkUnchanged(const ArchiveListing& listing);

// Lists the archive that libzip opened from `path`. Throws SorvaneError when its members' data
// overlap (or it is not certain where they lie), a member name has no dot, a detector number
// lies outside -32768..32767 or no member is a detector member.
ArchiveListing listArchive(zip* archive, const std::string& path);

}  // namespace sorvane
