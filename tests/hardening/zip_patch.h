#pragma once

#include <cstdint>
#include <string>

namespace sorvane::test {

// Byte surgery on a ZIP file held in memory, for archives no writer would produce.
class ZipPatch {
  public:
    explicit ZipPatch(std::string bytes) : bytes_(std::move(bytes)) {}

    const std::string& bytes() const { return bytes_; }

    // Sets the general-purpose flags, uncompressed size or compressed size of member
    // `index` (in directory order) in both its local header and its central directory entry.
    void setFlags(int index, uint16_t flags);
    void setUncompressedSize(int index, uint32_t size);
    void setCompressedSize(int index, uint32_t size);
    // Renames member `index` to a name of the same length.
    void rename(int index, const std::string& name);
    // Points the end record at a central directory that is not there.
    void breakCentralDirectoryOffset();
    // Makes the end record claim more members than the central directory holds.
    void claimEntryCount(uint16_t count);

  private:
    size_t centralEntry(int index) const;
    size_t localHeader(int index) const;
    void put16(size_t at, uint16_t value);
    void put32(size_t at, uint32_t value);
    uint32_t get32(size_t at) const;
    uint16_t get16(size_t at) const;

    std::string bytes_;
};

}  // namespace sorvane::test
