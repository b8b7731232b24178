#include "archive/archive_listing.h"

#include <sys/stat.h>
#include <zip.h>

#include "archive/zip_error.h"
#include "common/error.h"
#include "common/message_text.h"
#include "common/numeric.h"

namespace sorvane {

namespace {

constexpr int kDetectorRange = 65536;

bool isVolumeExt(const std::string& ext) {
    return ext == "v30";
}
bool isOccupancyExt(const std::string& ext) {
    return ext == "o30" || ext == "c30";
}

std::string memberText(const char* rawName) {
    return "\"" + quotedInMessage(rawName == nullptr ? "" : rawName) + "\"";
}

int64_t nanoseconds(const timespec& time) {
    return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileIdentity identityOf(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)};
}

// Where the members' data lie, checked against the directory that libzip read: the same number
// of members and compressed sizes, and no two members sharing data.
ZipExtents checkedExtents(zip* archive, const std::string& path) {
    ZipExtents extents = readZipExtents(path);
    const auto count = static_cast<uint64_t>(zip_get_num_entries(archive, 0));
    bool same = extents.members.size() == count;
    for (uint64_t i = 0; same && i < count; ++i) {
        zip_stat_t st;
        same = zip_stat_index(archive, i, 0, &st) == 0 && (st.valid & ZIP_STAT_COMP_SIZE) &&
               st.comp_size == extents.members[i].compressedSize;
    }
    if (!same) {
        throw SorvaneError(kErrArchiveInconsistent,
                           "The archive's directory cannot be read unambiguously");
    }
    if (auto overlap = findOverlap(extents.members)) {
        throw SorvaneError(kErrArchiveInconsistent,
                           "The archive members " +
                               memberText(zip_get_name(archive, overlap->first, ZIP_FL_ENC_RAW)) +
                               " and " +
                               memberText(zip_get_name(archive, overlap->second, ZIP_FL_ENC_RAW)) +
                               " share their data: the archive is damaged");
    }
    return extents;
}

}  // namespace

std::optional<FileIdentity> identityOfFile(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return std::nullopt;
    return identityOf(st);
}

std::optional<FileIdentity> identityOfPath(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return identityOf(st);
}

SorvaneError archiveChangedError(const std::string& path) {
    return SorvaneError(kErrArchiveChanged, "The archive " + path + " changed while it was read");
}

void checkUnchanged(const ArchiveListing& listing) {
    if (!listing.identity || identityOfPath(listing.path) != listing.identity)
        throw archiveChangedError(listing.path);
}

ArchiveListing listArchive(zip* archive, const std::string& path) {
    ArchiveListing listing;
    listing.path = path;
    listing.firstPosition.assign(kDetectorRange, -1);
    listing.volumeRow.assign(kDetectorRange, -1);
    listing.occupancyRow.assign(kDetectorRange, -1);
    listing.extents = checkedExtents(archive, path);
    zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        auto index = static_cast<zip_uint64_t>(i);
        const char* rawName = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
        if (rawName == nullptr) throwZipError(zip_get_error(archive), "");
        std::string name = rawName;
        size_t dot = name.find('.');
        if (dot == std::string::npos) {
            throw SorvaneError(kErrMemberWithoutDot, "The archive member " + memberText(rawName) +
                                                         " has no dot in its name");
        }
        std::string_view numberPart = std::string_view(name).substr(0, dot);
        if (!isNumeric(numberPart)) continue;  // not a detector member
        std::optional<int16_t> det = toInt16(numberPart);
        if (!det) {
            throw SorvaneError(kErrDetectorOutOfRange, "The detector number of archive member " +
                                                           memberText(rawName) +
                                                           " lies outside -32768..32767");
        }
        std::string_view trimmed = trimBlanks(name);
        std::string ext(trimmed.substr(trimmed.find('.') + 1));
        auto row = static_cast<int32_t>(listing.entries.size());
        // A detector's members are its first "v30" and its first "o30" or "c30" row.
        int32_t* memberRow = isVolumeExt(ext)      ? &listing.volumeRow[detectorSlot(*det)]
                             : isOccupancyExt(ext) ? &listing.occupancyRow[detectorSlot(*det)]
                                                   : nullptr;
        if (memberRow != nullptr && *memberRow < 0) *memberRow = row;
        listing.entries.push_back({*det, index, std::move(ext)});
        // Only adjacent repeats are dropped: a detector whose members are apart is listed
        // again at each new appearance.
        if (listing.detList.empty() ||
            listing.entries[static_cast<size_t>(row) - 1].detNum != *det) {
            if (listing.firstPosition[detectorSlot(*det)] < 0) {
                listing.firstPosition[detectorSlot(*det)] =
                    static_cast<int32_t>(listing.detList.size());
            }
            listing.detList.push_back(*det);
        }
    }
    if (listing.entries.empty()) {
        throw SorvaneError(kErrNoDetectorMember, "The archive holds no detector member");
    }
    return listing;
}

}  // namespace sorvane
