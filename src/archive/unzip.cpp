#include "archive/unzip.h"

#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cstring>

#include "common/error.h"
#include "common/log.h"
#include "common/message_text.h"
#include "common/numeric.h"

namespace sorvane {

namespace {

constexpr int kDetectorRange = 65536;
constexpr int kDetectorOffset = 32768;
// A day's member takes 2880 or 5760 bytes, compressed or not: a member whose compressed data is
// larger is not one, and reading it could cost any amount of work.
constexpr uint64_t kMaxCompressedBytes = uint64_t{1} << 20;

size_t slotOf(int32_t det) {
    return static_cast<size_t>(det + kDetectorOffset);
}

bool isVolumeExt(const std::string& ext) {
    return ext == "v30";
}
bool isOccupancyExt(const std::string& ext) {
    return ext == "o30" || ext == "c30";
}

[[noreturn]] void throwZipError(zip_error_t* error, const std::string& context) {
    int code = zip_error_code_zip(error);
    std::string description = zip_error_strerror(error);
    zip_error_fini(error);
    throw SorvaneError(code, context + description);
}

std::string memberText(const char* rawName) {
    return "\"" + quotedInMessage(rawName == nullptr ? "" : rawName) + "\"";
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

// A file that libzip finds no member in ("No such file") may hold a member that declares a
// size or position only a ZIP64 field could give, without that field: say which.
std::string openFailure(const std::string& path, int code) {
    if (code == ZIP_ER_NOENT && ::access(path.c_str(), R_OK) == 0) {
        try {
            readZipExtents(path);
        } catch (const SorvaneError& e) {
            return e.description();
        }
    }
    return {};
}

}  // namespace

void Unzip::ZipCloser::operator()(zip* archive) const {
    zip_discard(archive);
}

// The tables of one listing, built aside and swapped in only when complete.
struct Unzip::Listing {
    std::vector<ZipEntry> entries;
    std::vector<int16_t> detList;
    std::vector<int32_t> firstPosition = std::vector<int32_t>(kDetectorRange, -1);
    std::vector<int32_t> volumeRow = std::vector<int32_t>(kDetectorRange, -1);
    std::vector<int32_t> occupancyRow = std::vector<int32_t>(kDetectorRange, -1);
    ZipExtents extents;
};

Unzip::Unzip(Log& log) : log_(log) {}
Unzip::~Unzip() = default;

void Unzip::zipList() {
    int openError = 0;
    std::unique_ptr<zip, ZipCloser> archive(zip_open(path_.c_str(), ZIP_RDONLY, &openError));
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, openError);
        std::string loaded = archive_ ? loadedPath_ : std::string();
        std::string failedPath = path_;
        path_ = loaded;
        std::string impossible = openFailure(failedPath, openError);
        if (!impossible.empty()) {
            zip_error_fini(&error);
            throw SorvaneError(kErrArchiveInconsistent, failedPath + ": " + impossible);
        }
        throwZipError(&error, failedPath + ": ");
    }

    Listing listing;
    try {
        listing.extents = checkedExtents(archive.get(), path_);
        zip_int64_t count = zip_get_num_entries(archive.get(), 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            auto index = static_cast<zip_uint64_t>(i);
            const char* rawName = zip_get_name(archive.get(), index, ZIP_FL_ENC_RAW);
            if (rawName == nullptr) throwZipError(zip_get_error(archive.get()), "");
            std::string name = rawName;
            size_t dot = name.find('.');
            if (dot == std::string::npos) {
                throw SorvaneError(
                    kErrMemberWithoutDot,
                    "The archive member " + memberText(rawName) + " has no dot in its name");
            }
            std::string_view numberPart = std::string_view(name).substr(0, dot);
            if (!isNumeric(numberPart)) continue;  // not a detector member
            std::optional<int16_t> det = toInt16(numberPart);
            if (!det) {
                throw SorvaneError(kErrDetectorOutOfRange,
                                   "The detector number of archive member " + memberText(rawName) +
                                       " lies outside -32768..32767");
            }
            std::string_view trimmed = trimBlanks(name);
            std::string ext(trimmed.substr(trimmed.find('.') + 1));
            auto row = static_cast<int32_t>(listing.entries.size());
            // A detector's members are its first "v30" and its first "o30" or "c30" row.
            int32_t* memberRow = isVolumeExt(ext)      ? &listing.volumeRow[slotOf(*det)]
                                 : isOccupancyExt(ext) ? &listing.occupancyRow[slotOf(*det)]
                                                       : nullptr;
            if (memberRow != nullptr && *memberRow < 0) *memberRow = row;
            listing.entries.push_back({*det, index, std::move(ext)});
            // Only adjacent repeats are dropped: a detector whose members are apart is listed
            // again at each new appearance.
            if (listing.detList.empty() ||
                listing.entries[static_cast<size_t>(row) - 1].detNum != *det) {
                if (listing.firstPosition[slotOf(*det)] < 0) {
                    listing.firstPosition[slotOf(*det)] =
                        static_cast<int32_t>(listing.detList.size());
                }
                listing.detList.push_back(*det);
            }
        }
        if (listing.entries.empty()) {
            throw SorvaneError(kErrNoDetectorMember, "The archive holds no detector member");
        }
    } catch (...) {
        path_ = archive_ ? loadedPath_ : std::string();
        throw;
    }

    archive_ = std::move(archive);
    loadedPath_ = path_;
    entries_ = std::move(listing.entries);
    detList_ = std::move(listing.detList);
    firstPosition_ = std::move(listing.firstPosition);
    volumeRow_ = std::move(listing.volumeRow);
    occupancyRow_ = std::move(listing.occupancyRow);
    extents_ = std::move(listing.extents);
}

int16_t Unzip::detNum(int index) const {
    if (index < 0 || index >= detCount()) {
        throw SorvaneError(kErrInvalidInput,
                           "Detector list position " + std::to_string(index) + " does not exist");
    }
    return detList_[static_cast<size_t>(index)];
}

std::optional<int> Unzip::detPosition(int16_t det) const {
    if (firstPosition_.empty() || firstPosition_[slotOf(det)] < 0) return std::nullopt;
    return firstPosition_[slotOf(det)];
}

DetectorMembers Unzip::readDetector(int32_t det) {
    DetectorMembers members;
    if (det < -kDetectorOffset || det >= kDetectorRange - kDetectorOffset ||
        firstPosition_.empty() || firstPosition_[slotOf(det)] < 0) {
        return members;
    }
    members.listed = true;
    if (int32_t row = volumeRow_[slotOf(det)]; row >= 0) {
        std::string name = std::to_string(det) + ".v30";
        std::vector<uint8_t> bytes =
            readMember(entries_[static_cast<size_t>(row)].zipIndex, kVolumeMemberBytes, name);
        bytes.resize(kVolumeMemberBytes, kShortVolumeFill);
        std::memcpy(members.vol.emplace().data(), bytes.data(), kVolumeMemberBytes);
    }
    if (int32_t row = occupancyRow_[slotOf(det)]; row >= 0) {
        const ZipEntry& entry = entries_[static_cast<size_t>(row)];
        std::string name = std::to_string(det) + "." + entry.ext;
        std::vector<uint8_t> bytes = readMember(entry.zipIndex, kOccupancyMemberBytes, name);
        // A slot of which only the high byte is there is missing as a whole.
        bytes.resize(bytes.size() - bytes.size() % 2);
        while (bytes.size() < kOccupancyMemberBytes) {
            bytes.push_back(kShortOccupancyHigh);
            bytes.push_back(kShortOccupancyLow);
        }
        decodeOccupancyMember(bytes, occupancyDivisor(name), members.occ.emplace());
    }
    return members;
}

bool Unzip::extractDet(int32_t det, VolumeBytes& vol, Occupancies& occ) {
    DetectorMembers members = readDetector(det);
    for (int i = 0; i < members.missingCount(); ++i)
        log_.appendLog(missingMemberLine(det));
    if (members.vol) vol = *members.vol;
    if (members.occ) occ = *members.occ;
    return members.found();
}

std::string missingMemberLine(int32_t det) {
    return "Det " + std::to_string(det) + " does not exist\r\n";
}

std::vector<uint8_t> Unzip::readMember(uint64_t index, size_t length, const std::string& name) {
    const std::string context = "Member " + name + ": ";
    const MemberExtent& extent = extents_.members[index];
    if (extent.compressedSize > kMaxCompressedBytes) {
        throw SorvaneError(kErrMemberUnreadable,
                           context + "compressed size " + std::to_string(extent.compressedSize) +
                               " is not possible: a day's member takes far less than 1 MB");
    }
    if (extent.dataEnd > extents_.directoryOffset) {
        throw SorvaneError(kErrMemberUnreadable,
                           context + "compressed size " + std::to_string(extent.compressedSize) +
                               " is not possible: it reaches past the archive's members");
    }
    zip_stat_t st;
    if (zip_stat_index(archive_.get(), index, 0, &st) != 0) {
        throwZipError(zip_get_error(archive_.get()), context);
    }
    // A member no longer than the bytes needed is read to its end, where libzip checks its CRC.
    const bool whole = (st.valid & ZIP_STAT_SIZE) && st.size <= length;
    zip_file_t* file = zip_fopen_index(archive_.get(), index, 0);
    if (file == nullptr) throwZipError(zip_get_error(archive_.get()), context);
    std::vector<uint8_t> bytes(length + 1);
    const size_t wanted = whole ? length + 1 : length;
    size_t got = 0;
    while (got < wanted) {
        zip_int64_t n = zip_fread(file, bytes.data() + got, wanted - got);
        if (n < 0) {
            zip_error_t error;
            zip_error_init(&error);
            zip_error_set(&error, zip_error_code_zip(zip_file_get_error(file)),
                          zip_error_code_system(zip_file_get_error(file)));
            zip_fclose(file);
            throwZipError(&error, context);
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    zip_fclose(file);
    bytes.resize(std::min(got, length));
    return bytes;
}

}  // namespace sorvane
