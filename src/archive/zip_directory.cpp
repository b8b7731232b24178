#include "archive/zip_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace sorvane {

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint64_t kEndBytes = 22;
constexpr uint64_t kZip64LocatorBytes = 20;
constexpr uint64_t kZip64EndBytes = 56;
constexpr uint64_t kMaxCommentBytes = 65535;

}  // namespace

uint64_t littleEndian(const unsigned char* p, int width) {
    uint64_t value = 0;
    for (int i = width; i-- > 0;)
        value = value << 8 | p[i];
    return value;
}

PositionalFile::PositionalFile(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        error_ = errno;
        return;
    }
    size_ = static_cast<uint64_t>(st.st_size);
}

PositionalFile::~PositionalFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::vector<unsigned char> PositionalFile::read(uint64_t offset, uint64_t length) const {
    if (offset > size_ || length > size_ - offset) return {};
    std::vector<unsigned char> bytes(length);
    size_t got = 0;
    while (got < length) {
        ssize_t n =
            ::pread(fd_, bytes.data() + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && error_ == 0) error_ = errno;
        if (n <= 0) return {};
        got += static_cast<size_t>(n);
    }
    return bytes;
}

ZipDirectory findDirectory(const PositionalFile& file) {
    ZipDirectory directory;
    const uint64_t tailLength =
        std::min(file.size(), kEndBytes + kMaxCommentBytes + kZip64LocatorBytes);
    const uint64_t tailStart = file.size() - tailLength;
    const std::vector<unsigned char> tail = file.read(tailStart, tailLength);
    std::optional<size_t> end;
    for (size_t i = 0; i + kEndBytes <= tail.size(); ++i) {
        if (littleEndian(&tail[i], 4) != kEndSignature) continue;
        if (i + kEndBytes + littleEndian(&tail[i + 20], 2) > tail.size()) continue;
        if (end) {
            directory.fault = DirectoryFault::moreThanOneEnd;
            return directory;
        }
        end = i;
    }
    if (!end) {
        directory.fault = DirectoryFault::noEnd;
        return directory;
    }
    const unsigned char* record = &tail[*end];
    directory.offset = littleEndian(record + 16, 4);
    directory.size = littleEndian(record + 12, 4);
    directory.entries = littleEndian(record + 10, 2);
    directory.entryCountsAgree = littleEndian(record + 8, 2) == directory.entries;
    directory.endOffset = tailStart + *end;
    directory.endRecordEnd = directory.endOffset + kEndBytes + littleEndian(record + 20, 2);
    if (*end >= kZip64LocatorBytes &&
        littleEndian(record - kZip64LocatorBytes, 4) == kZip64LocatorSignature) {
        const std::vector<unsigned char> zip64End =
            file.read(littleEndian(record - kZip64LocatorBytes + 8, 8), kZip64EndBytes);
        if (zip64End.empty() || littleEndian(zip64End.data(), 4) != kZip64EndSignature) {
            directory.fault = DirectoryFault::zip64EndUnreadable;
            return directory;
        }
        directory.offset = littleEndian(&zip64End[48], 8);
        directory.size = littleEndian(&zip64End[40], 8);
        directory.entries = littleEndian(&zip64End[32], 8);
    }
    return directory;
}

}  // namespace sorvane
