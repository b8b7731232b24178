#include "archive/zip_extents.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>

#include "archive/zip_directory.h"
#include "common/error.h"
#include "common/message_text.h"

namespace sorvane {

namespace {

constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kCentralBytes = 46;
constexpr size_t kLocalBytes = 30;
constexpr uint16_t kZip64ExtraId = 1;
constexpr uint32_t kZip64Marker = 0xFFFFFFFF;

[[noreturn]] void inconsistent(const std::string& what) {
    throw SorvaneError(kErrArchiveInconsistent, what);
}

uint64_t saturatingAdd(uint64_t a, uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

// Where the central directory lies and how many records it holds; with more than one end
// record, other readers may take another directory than this one.
ZipDirectory directoryOf(const PositionalFile& file) {
    const ZipDirectory directory = findDirectory(file);
    if (directory.fault == DirectoryFault::moreThanOneEnd) {
        inconsistent("The archive has more than one end record");
    }
    if (directory.fault == DirectoryFault::noEnd) inconsistent("The archive has no end record");
    // Archives on one disk only: the members on this disk are all of them.
    if (!directory.entryCountsAgree) {
        inconsistent("The archive's end record counts its members in two ways");
    }
    if (directory.fault == DirectoryFault::zip64EndUnreadable) {
        inconsistent("The archive's ZIP64 end record cannot be read");
    }
    if (directory.offset > directory.endOffset ||
        directory.size > directory.endOffset - directory.offset) {
        inconsistent("The archive's directory does not fit the file");
    }
    return directory;
}

// The fields of one central-directory record that say where its member lies.
struct CentralRecord {
    std::string_view name;
    uint64_t compressedSize = 0;
    uint64_t offset = 0;
    size_t length = 0;  // of the whole record
};

std::string memberMessage(std::string_view name, const std::string& what) {
    return "member " + quotedInMessage(name) + ": " + what;
}

// Reads the ZIP64 values that stand for fields holding 0xFFFFFFFF, in the order of the format.
void readZip64Fields(std::string_view extra, uint64_t& uncompressedSize, CentralRecord& record) {
    std::string_view values;
    while (extra.size() >= 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(extra.data());
        const size_t length = littleEndian(p + 2, 2);
        if (littleEndian(p, 2) == kZip64ExtraId) {
            values = extra.substr(4, length);
            break;
        }
        if (length > extra.size() - 4) break;
        extra.remove_prefix(4 + length);
    }
    auto take = [&](uint64_t& field, const char* what) {
        if (field != kZip64Marker) return;
        if (values.size() < 8) {
            inconsistent(memberMessage(
                record.name, std::string(what) + " " + std::to_string(field) + " is not possible"));
        }
        field = littleEndian(reinterpret_cast<const unsigned char*>(values.data()), 8);
        values.remove_prefix(8);
    };
    take(uncompressedSize, "size");
    take(record.compressedSize, "compressed size");
    take(record.offset, "position");
}

CentralRecord readCentralRecord(std::string_view rest) {
    const auto* p = reinterpret_cast<const unsigned char*>(rest.data());
    if (rest.size() < kCentralBytes || littleEndian(p, 4) != kCentralSignature) {
        inconsistent("The archive's directory is damaged");
    }
    const size_t nameLength = littleEndian(p + 28, 2);
    const size_t extraLength = littleEndian(p + 30, 2);
    const size_t commentLength = littleEndian(p + 32, 2);
    CentralRecord record;
    record.length = kCentralBytes + nameLength + extraLength + commentLength;
    if (record.length > rest.size()) inconsistent("The archive's directory is damaged");
    record.name = rest.substr(kCentralBytes, nameLength);
    record.compressedSize = littleEndian(p + 20, 4);
    record.offset = littleEndian(p + 42, 4);
    uint64_t uncompressedSize = littleEndian(p + 24, 4);
    readZip64Fields(rest.substr(kCentralBytes + nameLength, extraLength), uncompressedSize, record);
    return record;
}

// The member's data starts after its local header's name and extra field.
uint64_t dataStart(const PositionalFile& file, uint64_t offset) {
    const std::vector<unsigned char> local = file.read(offset, kLocalBytes);
    uint64_t start = saturatingAdd(offset, kLocalBytes);
    if (local.empty() || littleEndian(local.data(), 4) != kLocalSignature) return start;
    return saturatingAdd(start, littleEndian(&local[26], 2) + littleEndian(&local[28], 2));
}

}  // namespace

ZipExtents readZipExtents(const std::string& path) {
    const PositionalFile file(path);
    if (file.error() != 0) {
        inconsistent(std::string("The archive cannot be read again: ") +
                     std::strerror(file.error()));
    }
    const ZipDirectory directory = directoryOf(file);
    const std::vector<unsigned char> bytes = file.read(directory.offset, directory.size);
    if (bytes.size() != directory.size) inconsistent("The archive's directory cannot be read");
    std::string_view rest(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    ZipExtents extents;
    extents.directoryOffset = directory.offset;
    // Each record takes at least kCentralBytes: a count beyond that is found out in the loop.
    extents.members.reserve(std::min<uint64_t>(directory.entries, bytes.size() / kCentralBytes));
    for (uint64_t i = 0; i < directory.entries; ++i) {
        const CentralRecord record = readCentralRecord(rest);
        rest.remove_prefix(record.length);
        const uint64_t start = dataStart(file, record.offset);
        extents.members.push_back(
            {record.offset, saturatingAdd(start, record.compressedSize), record.compressedSize});
    }
    return extents;
}

std::optional<std::pair<size_t, size_t>> findOverlap(const std::vector<MemberExtent>& members) {
    std::vector<size_t> order(members.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::ranges::sort(order, {}, [&](size_t i) { return members[i].begin; });
    // The member reaching furthest so far: the next one must start at or after its end.
    for (size_t k = 1, furthest = order.empty() ? 0 : order[0]; k < order.size(); ++k) {
        const size_t i = order[k];
        if (members[i].begin < members[furthest].dataEnd) {
            return std::pair{std::min(i, furthest), std::max(i, furthest)};
        }
        if (members[i].dataEnd > members[furthest].dataEnd) furthest = i;
    }
    return std::nullopt;
}

}  // namespace sorvane
