#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sorvane {

// Where one member of a ZIP file lies: from its local header to the end of its compressed data.
struct MemberExtent {
    uint64_t begin = 0;
    uint64_t dataEnd = 0;
    uint64_t compressedSize = 0;
};

// The members of a ZIP file in central-directory order, and where that directory starts.
struct ZipExtents {
    std::vector<MemberExtent> members;
    uint64_t directoryOffset = 0;
};

// Reads the end record, the central directory and each member's local header of the ZIP file
// at `path` as a ZIP reader finds them: the end record in the file's last 64 KB (with the ZIP64
// end record when its locator stands before it). A local header that cannot be read counts as
// one without a name or extra field. Throws SorvaneError (kErrArchiveInconsistent) saying what
// is wrong: more than one end record could be meant (then it is not certain which directory
// another reader takes), the directory does not fit the file, or a member declares a size or
// position that is not possible (the ZIP64 value it stands for is not given).
ZipExtents readZipExtents(const std::string& path);

// The first two members, as directory indexes, whose extents overlap, if any.
std::optional<std::pair<size_t, size_t>> findOverlap(const std::vector<MemberExtent>& members);

}  // namespace sorvane
