#include "archive/detector_reader.h"

#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <array>
#include <cstddef>

#include "archive/zip_error.h"
#include "common/error.h"

namespace sorvane {

namespace {

// A day's member takes 2880 or 5760 bytes, compressed or not: a member whose compressed data is
// larger is not one, and reading it could cost any amount of work.
constexpr uint64_t kMaxCompressedBytes = uint64_t{1} << 20;

// A member's local header before its name and extra field.
constexpr uint64_t kLocalHeaderBytes = 30;

std::string contextOf(const ZipEntry& entry) {
    return "Member " + std::to_string(entry.detNum) + "." + entry.ext + ": ";
}

}  // namespace

void ZipCloser::operator()(zip* archive) const {
    zip_discard(archive);
}

DetectorReader::DetectorReader(std::shared_ptr<const ArchiveListing> listing, ZipHandle archive)
    : listing_(std::move(listing)), archive_(std::move(archive)) {
    if (!listing_->identity) return;
    file_ = ::open(listing_->path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file_ >= 0 && identityOfFile(file_) != listing_->identity) {
        ::close(file_);  // not the file that was listed: libzip reads it all
        file_ = -1;
    }
}

DetectorReader::~DetectorReader() {
    if (file_ >= 0) ::close(file_);
}

std::unique_ptr<DetectorReader> DetectorReader::open(
    std::shared_ptr<const ArchiveListing> listing) {
    if (!listing || !listing->identity) return nullptr;
    int fd = ::open(listing->path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    // libzip reads the file it is given: the one listed, or none.
    int error = 0;
    ZipHandle archive(identityOfFile(fd) == listing->identity ? zip_fdopen(fd, 0, &error)
                                                              : nullptr);
    if (!archive) {
        ::close(fd);  // zip_fdopen closes it only when it succeeds
        return nullptr;
    }
    if (static_cast<uint64_t>(zip_get_num_entries(archive.get(), 0)) !=
        listing->extents.members.size()) {
        return nullptr;
    }
    return std::make_unique<DetectorReader>(std::move(listing), std::move(archive));
}

DetectorMembers DetectorReader::read(int32_t det) {
    try {
        return readListed(det);
    } catch (const SorvaneError&) {
        // A member that cannot be read of a file that is no longer the one listed says nothing
        // about the archive: the file changed.
        checkUnchanged(*listing_);
        throw;
    }
}

DetectorMembers DetectorReader::readListed(int32_t det) {
    DetectorMembers members;
    const ArchiveListing& listing = *listing_;
    if (det < -kDetectorOffset || det >= kDetectorOffset || listing.firstPosition.empty() ||
        listing.firstPosition[detectorSlot(det)] < 0) {
        return members;
    }
    members.listed = true;
    if (int32_t row = listing.volumeRow[detectorSlot(det)]; row >= 0) {
        std::span<const uint8_t> bytes =
            readMember(listing.entries[static_cast<size_t>(row)], kVolumeMemberBytes);
        VolumeBytes& vol = members.vol.emplace();
        std::copy(bytes.begin(), bytes.end(), vol.begin());
        std::fill(vol.begin() + static_cast<ptrdiff_t>(bytes.size()), vol.end(), kShortVolumeFill);
    }
    if (int32_t row = listing.occupancyRow[detectorSlot(det)]; row >= 0) {
        const ZipEntry& entry = listing.entries[static_cast<size_t>(row)];
        std::span<const uint8_t> bytes = readMember(entry, kOccupancyMemberBytes);
        Occupancies& occ = members.occ.emplace();
        if (bytes.size() == kOccupancyMemberBytes) {
            decodeOccupancyMember(bytes, occupancyDivisor(entry.ext), occ);
        } else {
            // A slot of which only the high byte is there is missing as a whole.
            std::array<uint8_t, kOccupancyMemberBytes> padded;
            const size_t whole = bytes.size() - bytes.size() % 2;
            std::copy_n(bytes.begin(), whole, padded.begin());
            for (size_t i = whole; i < padded.size(); i += 2) {
                padded[i] = kShortOccupancyHigh;
                padded[i + 1] = kShortOccupancyLow;
            }
            decodeOccupancyMember(padded, occupancyDivisor(entry.ext), occ);
        }
    }
    return members;
}

std::string missingMemberLine(int32_t det) {
    return "Det " + std::to_string(det) + " does not exist\r\n";
}

std::span<const uint8_t> DetectorReader::readMember(const ZipEntry& entry, size_t length) {
    const uint64_t index = entry.zipIndex;
    const MemberExtent& extent = listing_->extents.members[index];
    if (extent.compressedSize > kMaxCompressedBytes) {
        throw SorvaneError(kErrMemberUnreadable,
                           contextOf(entry) + "compressed size " +
                               std::to_string(extent.compressedSize) +
                               " is not possible: a day's member takes far less than 1 MB");
    }
    if (extent.dataEnd > listing_->extents.directoryOffset) {
        throw SorvaneError(kErrMemberUnreadable, contextOf(entry) + "compressed size " +
                                                     std::to_string(extent.compressedSize) +
                                                     " is not possible: it reaches past the "
                                                     "archive's members");
    }
    zip_stat_t st;
    if (zip_stat_index(archive_.get(), index, 0, &st) != 0) {
        throwZipError(zip_get_error(archive_.get()), contextOf(entry));
    }
    constexpr zip_uint64_t kNeeded = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC |
                                     ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
    if ((st.valid & kNeeded) == kNeeded && st.comp_method == ZIP_CM_DEFLATE &&
        st.encryption_method == ZIP_EM_NONE && st.size <= kMaxInflatedBytes &&
        st.comp_size == extent.compressedSize) {
        const std::optional<std::span<const uint8_t>> raw = readRaw(index, extent);
        bytes_.resize(st.size);
        if (raw && inflater_.inflateWhole(*raw, st.crc, bytes_)) {
            return std::span<const uint8_t>(bytes_).first(std::min<size_t>(st.size, length));
        }
    }
    // A member no longer than the bytes needed is read to its end, where libzip checks its CRC.
    return readStreamed(entry, length, (st.valid & ZIP_STAT_SIZE) && st.size <= length);
}

std::optional<std::span<const uint8_t>> DetectorReader::readRaw(uint64_t index,
                                                                const MemberExtent& extent) {
    const uint64_t compressedSize = extent.compressedSize;
    if (file_ >= 0) {
        // The local header and the data in one read; the data stands where libzip finds it, after
        // a header that must begin with its signature.
        const uint64_t total = extent.dataEnd - extent.begin;
        compressed_.resize(total);
        size_t got = 0;
        while (got < total) {
            const ssize_t n = ::pread(file_, compressed_.data() + got, total - got,
                                      static_cast<off_t>(extent.begin + got));
            // The listing found every member inside the file: one that ends early means the
            // file was cut since.
            if (n == 0) throw archiveChangedError(listing_->path);
            if (n < 0) break;
            got += static_cast<size_t>(n);
        }
        constexpr uint8_t kLocalSignature[] = {'P', 'K', 3, 4};
        if (got != total || total < kLocalHeaderBytes + compressedSize ||
            !std::equal(std::begin(kLocalSignature), std::end(kLocalSignature),
                        compressed_.begin())) {
            return std::nullopt;
        }
        return std::span<const uint8_t>(compressed_).last(compressedSize);
    }
    zip_file_t* file = zip_fopen_index(archive_.get(), index, ZIP_FL_COMPRESSED);
    if (file == nullptr) return std::nullopt;
    compressed_.resize(compressedSize);
    size_t got = 0;
    while (got < compressedSize) {
        zip_int64_t n = zip_fread(file, compressed_.data() + got, compressedSize - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    zip_fclose(file);
    if (got != compressedSize) return std::nullopt;
    return std::span<const uint8_t>(compressed_);
}

std::span<const uint8_t> DetectorReader::readStreamed(const ZipEntry& entry, size_t length,
                                                      bool whole) {
    zip_file_t* file = zip_fopen_index(archive_.get(), entry.zipIndex, 0);
    if (file == nullptr) throwZipError(zip_get_error(archive_.get()), contextOf(entry));
    bytes_.resize(length + 1);
    const size_t wanted = whole ? length + 1 : length;
    size_t got = 0;
    while (got < wanted) {
        zip_int64_t n = zip_fread(file, bytes_.data() + got, wanted - got);
        if (n < 0) {
            zip_error_t error;
            zip_error_init(&error);
            zip_error_set(&error, zip_error_code_zip(zip_file_get_error(file)),
                          zip_error_code_system(zip_file_get_error(file)));
            zip_fclose(file);
            throwZipError(&error, contextOf(entry));
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    zip_fclose(file);
    return std::span<const uint8_t>(bytes_).first(std::min(got, length));
}

}  // namespace sorvane
