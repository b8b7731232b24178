#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_listing.h"
#include "archive/detector_day.h"
#include "archive/detector_reader.h"

namespace sorvane {

class Log;

// libzip converts every member's time with mktime() when it opens an archive, and with TZ unset
// glibc then looks at /etc/localtime again for each member: on a 5000-detector day, 22 ms of the
// 27 ms libzip takes to open it, and every worker of a run opens it again. Naming that same zone
// once (TZ=":/etc/localtime") removes the cost and changes no time. A TZ that is set is left alone.
// It is called as the program starts (before main, while there is one thread) and again by Unzip's
// constructor.
void settleLocalTimeZone();

// The reader of a Traffic archive (a ZIP file holding "<det>.v30" volume members and
// "<det>.o30" / "<det>.c30" occupancy members). It lists the members once and then extracts
// any detector's day into memory on request; nothing is ever written to disk.
//
// Several threads may read detectors through one reader at once (readDetector, extractDet and
// the listing's queries: one read at a time goes through its libzip handle). zipList replaces
// what others read: the window lists an archive in a reader of its own and swaps readers.
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
    // -32768..32767, no member is a detector member or the file changed while it was listed
    // (kErrArchiveChanged); the previously listed archive (and its path) then stays loaded and
    // usable.
    void zipList();

    // Entries of the detector list: detectors in member order, adjacent repeats dropped.
    int detCount() const;
    int16_t detNum(int index) const;

    // The first position of a detector in the detector list, if it is there.
    std::optional<int> detPosition(int16_t det) const;

    // DetectorReader::read through this reader's own libzip handle. Nothing is logged.
    DetectorMembers readDetector(int32_t det);

    // readDetector into the two arrays: true when both members were found. A member that is
    // missing is logged (missingMemberLine) and leaves its array as it was; a detector that is
    // not in the archive leaves both untouched and logs nothing.
    bool extractDet(int32_t det, VolumeBytes& vol, Occupancies& occ);

    const std::vector<ZipEntry>& zipEntries() const;

    // The tables of the listed archive (null before the first listing), which stay valid for
    // their holder whatever is listed later: other threads open their readers on it
    // (DetectorReader::open).
    std::shared_ptr<const ArchiveListing> listing() const;

  private:
    Log& log_;
    std::string path_;
    std::shared_ptr<const ArchiveListing> listing_;
    std::unique_ptr<DetectorReader> reader_;
    mutable std::mutex readMutex_;  // reader_ and the listing it reads
};

}  // namespace sorvane
