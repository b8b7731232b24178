#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sorvane {

// A file read at given positions through one descriptor. It never throws: each caller words
// its own message from error().
class PositionalFile {
  public:
    explicit PositionalFile(const std::string& path);
    ~PositionalFile();
    PositionalFile(const PositionalFile&) = delete;
    PositionalFile& operator=(const PositionalFile&) = delete;

    // The errno of the first failure to open, stat or read the file; 0 while there is none.
    int error() const { return error_; }
    uint64_t size() const { return size_; }

    // The `length` bytes at `offset`; empty when the file does not hold them all or a read
    // fails (then error() says why).
    std::vector<unsigned char> read(uint64_t offset, uint64_t length) const;

  private:
    int fd_;
    mutable int error_ = 0;
    uint64_t size_ = 0;
};

enum class DirectoryFault { none, moreThanOneEnd, noEnd, zip64EndUnreadable };

// Where a ZIP file's central directory lies, as its end record says.
struct ZipDirectory {
    DirectoryFault fault = DirectoryFault::none;  // when not none, only what came before is set
    uint64_t offset = 0;
    uint64_t size = 0;
    uint64_t entries = 0;
    bool entryCountsAgree = true;  // the end record's count on this disk equals its total
    uint64_t endOffset = 0;        // where the end record starts
    uint64_t endRecordEnd = 0;     // where it ends, its comment included
};

// The one end record of the file's last 64 KB whose comment fits the file (with more than one,
// other readers may take another directory), and the ZIP64 end record when its locator stands
// before it. Whether the directory fits the file is the caller's to check.
ZipDirectory findDirectory(const PositionalFile& file);

// The `width` bytes at `p` as a little-endian number.
uint64_t littleEndian(const unsigned char* p, int width);

}  // namespace sorvane
