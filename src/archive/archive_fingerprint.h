#pragma once

#include <cstdint>
#include <string>

namespace sorvane {

// What identifies an archive file cheaply: its size, and the SHA-256 of its central directory
// (from the directory's start to the end of the end record, its comment included). The
// directory holds every member's name, sizes and CRC-32, so it changes whenever the content
// does, and it is a small part of the file.
struct ArchiveFingerprint {
    uint64_t size = 0;
    std::string sha256;  // 64 lower-case hex digits

    bool operator==(const ArchiveFingerprint&) const = default;
};

// Reads the file once through one descriptor. Throws SorvaneError: kErrFileRead when it cannot
// be read, kErrArchiveInconsistent when it has no single end record or its directory does not
// fit the file.
ArchiveFingerprint archiveFingerprint(const std::string& path);

}  // namespace sorvane
