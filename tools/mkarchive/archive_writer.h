#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sorvane::synth {

// One member of an archive to write: its name exactly as stored and its bytes.
struct ArchiveMember {
    std::string name;
    std::vector<uint8_t> bytes;
    bool stored = false;  // written as it is rather than deflated
};

// Writes a ZIP archive holding the members in the given order, deflated unless stored, with a
// fixed modification time so that the same members always give the same bytes. Throws
// SorvaneError.
void writeArchive(const std::string& path, const std::vector<ArchiveMember>& members);

}  // namespace sorvane::synth
