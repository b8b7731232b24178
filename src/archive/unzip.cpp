#include "archive/unzip.h"

#include <zip.h>

#include <cstring>

#include "common/error.h"
#include "common/log.h"
#include "common/numeric.h"

namespace sorvane {

namespace {

constexpr int kDetectorRange = 65536;
constexpr int kDetectorOffset = 32768;
constexpr size_t kLookupWindow = 4;

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

}  // namespace

void Unzip::ZipCloser::operator()(zip* archive) const {
    zip_discard(archive);
}

// The tables of one listing, built aside and swapped in only when complete.
struct Unzip::Listing {
    std::vector<ZipEntry> entries;
    std::vector<int16_t> detList;
    std::vector<int32_t> firstRow = std::vector<int32_t>(kDetectorRange, -1);
    std::vector<int32_t> firstPosition = std::vector<int32_t>(kDetectorRange, -1);
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
        throwZipError(&error, failedPath + ": ");
    }

    Listing listing;
    try {
        zip_int64_t count = zip_get_num_entries(archive.get(), 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            auto index = static_cast<zip_uint64_t>(i);
            const char* rawName = zip_get_name(archive.get(), index, ZIP_FL_ENC_RAW);
            if (rawName == nullptr) throwZipError(zip_get_error(archive.get()), "");
            std::string name = rawName;
            size_t dot = name.find('.');
            if (dot == std::string::npos) {
                throw SorvaneError(kErrMemberWithoutDot,
                                   "The archive member \"" + name + "\" has no dot in its name");
            }
            std::string_view numberPart = std::string_view(name).substr(0, dot);
            if (!isNumeric(numberPart)) continue;  // not a detector member
            std::optional<int16_t> det = toInt16(numberPart);
            if (!det) {
                throw SorvaneError(kErrDetectorOutOfRange,
                                   "The detector number of archive member \"" + name +
                                       "\" lies outside -32768..32767");
            }
            std::string_view trimmed = trimBlanks(name);
            std::string ext(trimmed.substr(trimmed.find('.') + 1));
            auto row = static_cast<int32_t>(listing.entries.size());
            listing.entries.push_back({*det, index, std::move(ext)});
            if (listing.firstRow[slotOf(*det)] < 0) listing.firstRow[slotOf(*det)] = row;
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
    firstRow_ = std::move(listing.firstRow);
    firstPosition_ = std::move(listing.firstPosition);
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

std::optional<size_t> Unzip::findRow(int32_t det, bool (*wanted)(const std::string&)) const {
    size_t first = static_cast<size_t>(firstRow_[slotOf(det)]);
    size_t end = std::min(entries_.size(), first + kLookupWindow);
    for (size_t row = first; row < end; ++row) {
        // Rows of another detector are never taken for this one.
        if (entries_[row].detNum == det && wanted(entries_[row].ext)) return row;
    }
    return std::nullopt;
}

bool Unzip::extractDet(int32_t det, VolumeBytes& vol, Occupancies& occ) {
    if (det < -kDetectorOffset || det >= kDetectorRange - kDetectorOffset || firstRow_.empty() ||
        firstRow_[slotOf(det)] < 0) {
        return false;
    }
    bool found = true;
    auto logMissing = [&] { log_.appendLog("Det " + std::to_string(det) + " does not exist\r\n"); };

    if (auto row = findRow(det, isVolumeExt)) {
        std::string name = std::to_string(det) + ".v30";
        std::vector<uint8_t> bytes = readMember(entries_[*row].zipIndex, kVolumeMemberBytes, name);
        bytes.resize(kVolumeMemberBytes, kShortVolumeFill);
        std::memcpy(vol.data(), bytes.data(), kVolumeMemberBytes);
    } else {
        found = false;
        logMissing();
    }

    if (auto row = findRow(det, isOccupancyExt)) {
        std::string name = std::to_string(det) + "." + entries_[*row].ext;
        std::vector<uint8_t> bytes =
            readMember(entries_[*row].zipIndex, kOccupancyMemberBytes, name);
        // A slot of which only the high byte is there is missing as a whole.
        bytes.resize(bytes.size() - bytes.size() % 2);
        while (bytes.size() < kOccupancyMemberBytes) {
            bytes.push_back(kShortOccupancyHigh);
            bytes.push_back(kShortOccupancyLow);
        }
        decodeOccupancyMember(bytes, occupancyDivisor(name), occ);
    } else {
        found = false;
        logMissing();
    }
    return found;
}

std::vector<uint8_t> Unzip::readMember(uint64_t index, size_t length, const std::string& name) {
    zip_file_t* file = zip_fopen_index(archive_.get(), index, 0);
    if (file == nullptr) throwZipError(zip_get_error(archive_.get()), "Member " + name + ": ");
    std::vector<uint8_t> bytes(length);
    size_t got = 0;
    while (got < length) {
        zip_int64_t n = zip_fread(file, bytes.data() + got, length - got);
        if (n < 0) {
            zip_error_t error;
            zip_error_init(&error);
            zip_error_set(&error, zip_error_code_zip(zip_file_get_error(file)),
                          zip_error_code_system(zip_file_get_error(file)));
            zip_fclose(file);
            throwZipError(&error, "Member " + name + ": ");
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    zip_fclose(file);
    bytes.resize(got);
    return bytes;
}

}  // namespace sorvane
