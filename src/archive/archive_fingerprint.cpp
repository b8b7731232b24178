#include "archive/archive_fingerprint.h"

#include <fcntl.h>
#include <nettle/sha2.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "common/error.h"

namespace sorvane {

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint64_t kEndBytes = 22;
constexpr uint64_t kZip64LocatorBytes = 20;
constexpr uint64_t kZip64EndBytes = 56;
constexpr uint64_t kMaxCommentBytes = 65535;

uint64_t littleEndian(const unsigned char* p, int width) {
    uint64_t value = 0;
    for (int i = width; i-- > 0;)
        value = value << 8 | p[i];
    return value;
}

[[noreturn]] void inconsistent(const std::string& path, const std::string& what) {
    throw SorvaneError(kErrArchiveInconsistent, "The archive " + path + " " + what);
}

class OpenFile {
  public:
    explicit OpenFile(const std::string& path)
        : path_(path), fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0) failed();
        size_ = static_cast<uint64_t>(st.st_size);
    }
    ~OpenFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    uint64_t size() const { return size_; }

    // The `length` bytes at `offset`; empty when the file does not hold them all.
    std::vector<unsigned char> read(uint64_t offset, uint64_t length) const {
        if (offset > size_ || length > size_ - offset) return {};
        std::vector<unsigned char> bytes(length);
        size_t got = 0;
        while (got < length) {
            ssize_t n =
                ::pread(fd_, bytes.data() + got, length - got, static_cast<off_t>(offset + got));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) failed();
            if (n == 0) return {};
            got += static_cast<size_t>(n);
        }
        return bytes;
    }

  private:
    [[noreturn]] void failed() const {
        throw SorvaneError(kErrFileRead,
                           "The archive " + path_ + " cannot be read: " + std::strerror(errno));
    }

    std::string path_;
    int fd_;
    uint64_t size_ = 0;
};

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
    OpenFile file(path);
    // The end record, as a ZIP reader finds it: the one in the last 64 KB whose comment fits.
    const uint64_t tailLength =
        std::min(file.size(), kEndBytes + kMaxCommentBytes + kZip64LocatorBytes);
    const uint64_t tailStart = file.size() - tailLength;
    const std::vector<unsigned char> tail = file.read(tailStart, tailLength);
    std::optional<size_t> end;
    for (size_t i = 0; i + kEndBytes <= tail.size(); ++i) {
        if (littleEndian(&tail[i], 4) != kEndSignature) continue;
        if (i + kEndBytes + littleEndian(&tail[i + 20], 2) > tail.size()) continue;
        if (end) inconsistent(path, "has more than one end record");
        end = i;
    }
    if (!end) inconsistent(path, "has no end record");
    const unsigned char* record = &tail[*end];
    const uint64_t endOffset = tailStart + *end;
    const uint64_t endRecordEnd = endOffset + kEndBytes + littleEndian(record + 20, 2);
    uint64_t start = littleEndian(record + 16, 4);
    if (*end >= kZip64LocatorBytes &&
        littleEndian(record - kZip64LocatorBytes, 4) == kZip64LocatorSignature) {
        const std::vector<unsigned char> zip64End =
            file.read(littleEndian(record - kZip64LocatorBytes + 8, 8), kZip64EndBytes);
        if (zip64End.empty() || littleEndian(zip64End.data(), 4) != kZip64EndSignature)
            inconsistent(path, "has a ZIP64 end record that cannot be read");
        start = littleEndian(&zip64End[48], 8);
    }
    if (start > endOffset) inconsistent(path, "has a directory that does not fit the file");
    const std::vector<unsigned char> directory = file.read(start, endRecordEnd - start);
    if (directory.size() != endRecordEnd - start)
        inconsistent(path, "has a directory that does not fit the file");

    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, directory.size(), directory.data());
    unsigned char digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, SHA256_DIGEST_SIZE, digest);
    return {file.size(), hex(digest, SHA256_DIGEST_SIZE)};
}

}  // namespace sorvane
