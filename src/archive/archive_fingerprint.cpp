#include "archive/archive_fingerprint.h"

#include <nettle/sha2.h>

#include <cstring>
#include <vector>

#include "archive/zip_directory.h"
#include "common/error.h"

namespace sorvane {

namespace {

[[noreturn]] void inconsistent(const std::string& path, const std::string& what) {
    throw SorvaneError(kErrArchiveInconsistent, "The archive " + path + " " + what);
}

// A read that failed, rather than bytes the file does not hold, is a read error.
void throwIfReadFailed(const PositionalFile& file, const std::string& path) {
    if (file.error() == 0) return;
    throw SorvaneError(kErrFileRead,
                       "The archive " + path + " cannot be read: " + std::strerror(file.error()));
}

std::string hex(const unsigned char* bytes, size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

}  // namespace

ArchiveFingerprint archiveFingerprint(const std::string& path) {
    const PositionalFile file(path);
    throwIfReadFailed(file, path);
    const ZipDirectory found = findDirectory(file);
    throwIfReadFailed(file, path);
    switch (found.fault) {
        case DirectoryFault::moreThanOneEnd:
            inconsistent(path, "has more than one end record");
        case DirectoryFault::noEnd:
            inconsistent(path, "has no end record");
        case DirectoryFault::zip64EndUnreadable:
            inconsistent(path, "has a ZIP64 end record that cannot be read");
        case DirectoryFault::none:
            break;
    }
    if (found.offset > found.endOffset) {
        inconsistent(path, "has a directory that does not fit the file");
    }
    const std::vector<unsigned char> directory =
        file.read(found.offset, found.endRecordEnd - found.offset);
    throwIfReadFailed(file, path);
    if (directory.size() != found.endRecordEnd - found.offset)
        inconsistent(path, "has a directory that does not fit the file");

    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, directory.size(), directory.data());
    unsigned char digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, SHA256_DIGEST_SIZE, digest);
    return {file.size(), hex(digest, SHA256_DIGEST_SIZE)};
}

}  // namespace sorvane
