#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "archive/archive_listing.h"
#include "archive/detector_day.h"
#include "archive/member_inflate.h"

struct zip;

namespace sorvane {

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

// Owns a libzip archive: discards it (nothing is ever written to an archive).
struct ZipCloser {
    void operator()(zip* archive) const;
};
using ZipHandle = std::unique_ptr<zip, ZipCloser>;

// The log line of a member of `det` that is missing: "Det <det> does not exist" CR LF.
std::string missingMemberLine(int32_t det);

// Reads detectors' members through one libzip handle on a listed archive. A libzip archive is
// not shared between threads: each thread reads through a reader of its own, and all the
// readers of an archive share its listing.
//
// A deflated member is read raw, straight from the file (its local header and data in one read),
// and inflated with libdeflate into a buffer of its declared size (at most kMaxInflatedBytes);
// it is taken only when it gives exactly that size and its CRC. libdeflate cannot inflate part
// of a stream, and a day's member is 2880 or 5760 bytes: inflating it whole costs no more than
// the part, and lets the CRC be checked every time.
// Anything else (a stored member, another method, a larger declared size, a damaged stream, a
// wrong CRC) is read through libzip's own streaming read, as far as the bytes needed, so such a
// member reads, or fails with its message, exactly as libzip has it.
class DetectorReader {
  public:
    // Reads through `archive`, opened on the listing's file.
    DetectorReader(std::shared_ptr<const ArchiveListing> listing, ZipHandle archive);
    ~DetectorReader();
    DetectorReader(const DetectorReader&) = delete;
    DetectorReader& operator=(const DetectorReader&) = delete;

    // Another reader of the listed archive, for another thread: nullptr when the file at the
    // listing's path is no longer the one that was listed, or cannot be opened again.
    static std::unique_ptr<DetectorReader> open(std::shared_ptr<const ArchiveListing> listing);

    // Reads the detector's volume and occupancy members: its first member "v30" and its first
    // member "o30" or "c30", wherever they lie in the archive. Throws SorvaneError when a member
    // exists but cannot be read: damaged, its CRC wrong (when it is read whole), or its
    // compressed data larger than a day's member can be; kErrArchiveChanged when it cannot be
    // read because the file is no longer the one listed (shorter than the member, or another).
    DetectorMembers read(int32_t det);

    // The largest declared size that is inflated whole; a larger member is streamed.
    static constexpr uint64_t kMaxInflatedBytes = uint64_t{1} << 20;

  private:
    DetectorMembers readListed(int32_t det);
    std::span<const uint8_t> readMember(const ZipEntry& entry, size_t length);
    // The member's compressed data (in compressed_); none when it cannot all be read.
    std::optional<std::span<const uint8_t>> readRaw(uint64_t index, const MemberExtent& extent);
    std::span<const uint8_t> readStreamed(const ZipEntry& entry, size_t length, bool whole);

    std::shared_ptr<const ArchiveListing> listing_;
    ZipHandle archive_;
    // The listed file opened once more for raw reads (-1 when it could not be, or is no longer
    // the file listed: libzip then reads the raw data too).
    int file_ = -1;
    MemberInflater inflater_;
    // Reused from member to member: the raw data, and the bytes of the last member read.
    std::vector<uint8_t> compressed_;
    std::vector<uint8_t> bytes_;
};

}  // namespace sorvane
