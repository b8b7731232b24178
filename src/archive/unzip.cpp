#include "archive/unzip.h"

#include <unistd.h>
#include <zip.h>

#include <cstdlib>
#include <mutex>
#include <new>

#include "archive/zip_error.h"
#include "common/error.h"
#include "common/log.h"

namespace sorvane {

namespace {

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

// libzip says "Not a zip archive" also when it cannot allocate a directory entry. A file whose
// end record and directory read soundly here is a ZIP archive: then memory ran out.
bool memoryRanOut(const std::string& path, int code) {
    if (code != ZIP_ER_NOZIP) return false;
    try {
        return !readZipExtents(path).members.empty();
    } catch (const SorvaneError&) {
        return false;
    }
}

}  // namespace

void settleLocalTimeZone() {
    static std::once_flag settled;
    std::call_once(settled, [] {
        if (std::getenv("TZ") == nullptr) ::setenv("TZ", ":/etc/localtime", 0);
    });
}

namespace {
// Named while the program starts, before main() and so before any thread of it can read the
// environment; Unzip's constructor names it for a program that links no Unzip statically.
[[maybe_unused]] const bool kZoneSettledAtStart = (settleLocalTimeZone(), true);
}  // namespace

Unzip::Unzip(Log& log) : log_(log) {
    settleLocalTimeZone();
}

Unzip::~Unzip() = default;

void Unzip::zipList() {
    const std::string loaded = listing_ ? listing_->path : std::string();
    // The listing is taken from this file, so other readers are opened only on this file.
    const std::optional<FileIdentity> before = identityOfPath(path_);
    int openError = 0;
    ZipHandle archive(zip_open(path_.c_str(), ZIP_RDONLY, &openError));
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, openError);
        std::string failedPath = path_;
        path_ = loaded;
        if (memoryRanOut(failedPath, openError)) {
            zip_error_fini(&error);
            throw std::bad_alloc();
        }
        std::string impossible = openFailure(failedPath, openError);
        if (!impossible.empty()) {
            zip_error_fini(&error);
            throw SorvaneError(kErrArchiveInconsistent, failedPath + ": " + impossible);
        }
        throwZipError(&error, failedPath + ": ");
    }
    std::shared_ptr<ArchiveListing> listing;
    std::unique_ptr<DetectorReader> reader;
    try {
        try {
            listing = std::make_shared<ArchiveListing>(listArchive(archive.get(), path_));
        } catch (const SorvaneError&) {
            // The directories libzip and the listing read differ when the file was replaced
            // between the two reads: say so rather than blame the archive.
            if (!before || before != identityOfPath(path_)) throw archiveChangedError(path_);
            throw;
        }
        listing->identity = before;
        checkUnchanged(*listing);
        reader = std::make_unique<DetectorReader>(listing, std::move(archive));
    } catch (...) {
        path_ = loaded;
        throw;
    }
    std::lock_guard lock(readMutex_);
    reader_ = std::move(reader);
    listing_ = std::move(listing);
}

std::shared_ptr<const ArchiveListing> Unzip::listing() const {
    std::lock_guard lock(readMutex_);
    return listing_;
}

int Unzip::detCount() const {
    return listing_ ? static_cast<int>(listing_->detList.size()) : 0;
}

int16_t Unzip::detNum(int index) const {
    if (index < 0 || index >= detCount()) {
        throw SorvaneError(kErrInvalidInput,
                           "Detector list position " + std::to_string(index) + " does not exist");
    }
    return listing_->detList[static_cast<size_t>(index)];
}

std::optional<int> Unzip::detPosition(int16_t det) const {
    if (!listing_ || listing_->firstPosition[detectorSlot(det)] < 0) return std::nullopt;
    return listing_->firstPosition[detectorSlot(det)];
}

DetectorMembers Unzip::readDetector(int32_t det) {
    std::lock_guard lock(readMutex_);
    return reader_ ? reader_->read(det) : DetectorMembers{};
}

bool Unzip::extractDet(int32_t det, VolumeBytes& vol, Occupancies& occ) {
    DetectorMembers members = readDetector(det);
    for (int i = 0; i < members.missingCount(); ++i)
        log_.appendLog(missingMemberLine(det));
    if (members.vol) vol = *members.vol;
    if (members.occ) occ = *members.occ;
    return members.found();
}

const std::vector<ZipEntry>& Unzip::zipEntries() const {
    static const std::vector<ZipEntry> none;
    return listing_ ? listing_->entries : none;
}

}  // namespace sorvane
