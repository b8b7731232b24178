#include "hardening/zip_patch.h"

#include <stdexcept>

namespace sorvane::test {

namespace {

constexpr char kCentralSignature[] = "PK\x01\x02";
constexpr char kEndSignature[] = "PK\x05\x06";

}  // namespace

size_t ZipPatch::centralEntry(int index) const {
    size_t at = bytes_.find(kCentralSignature);
    for (int i = 0; i < index && at != std::string::npos; ++i) {
        at = bytes_.find(kCentralSignature, at + 4);
    }
    if (at == std::string::npos) throw std::out_of_range("no such member");
    return at;
}

size_t ZipPatch::localHeader(int index) const {
    return get32(centralEntry(index) + 42);
}

void ZipPatch::setFlags(int index, uint16_t flags) {
    put16(localHeader(index) + 6, flags);
    put16(centralEntry(index) + 8, flags);
}

void ZipPatch::setUncompressedSize(int index, uint32_t size) {
    put32(localHeader(index) + 22, size);
    put32(centralEntry(index) + 24, size);
}

void ZipPatch::setCompressedSize(int index, uint32_t size) {
    put32(localHeader(index) + 18, size);
    put32(centralEntry(index) + 20, size);
}

void ZipPatch::rename(int index, const std::string& name) {
    size_t central = centralEntry(index);
    size_t local = localHeader(index);
    if (get16(central + 28) != name.size()) throw std::invalid_argument("name length differs");
    bytes_.replace(central + 46, name.size(), name);
    bytes_.replace(local + 30, name.size(), name);
}

void ZipPatch::breakCentralDirectoryOffset() {
    put32(bytes_.rfind(kEndSignature) + 16, 0x7FFFFFF0);
}

void ZipPatch::claimEntryCount(uint16_t count) {
    size_t end = bytes_.rfind(kEndSignature);
    put16(end + 8, count);
    put16(end + 10, count);
}

void ZipPatch::put16(size_t at, uint16_t value) {
    bytes_[at] = static_cast<char>(value & 0xFF);
    bytes_[at + 1] = static_cast<char>(value >> 8);
}

void ZipPatch::put32(size_t at, uint32_t value) {
    put16(at, static_cast<uint16_t>(value & 0xFFFF));
    put16(at + 2, static_cast<uint16_t>(value >> 16));
}

uint16_t ZipPatch::get16(size_t at) const {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes_[at]) |
                                 static_cast<uint8_t>(bytes_[at + 1]) << 8);
}

uint32_t ZipPatch::get32(size_t at) const {
    return get16(at) | static_cast<uint32_t>(get16(at + 2)) << 16;
}

}  // namespace sorvane::test
