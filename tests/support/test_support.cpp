#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sorvane::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sorvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // A test may have made the folder read-only; give it back before removing it.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<uint8_t> volumeBytes(uint8_t value, size_t length) {
    return std::vector<uint8_t>(length, value);
}

std::vector<uint8_t> occupancyBytes(int16_t raw, size_t length) {
    std::vector<uint8_t> bytes(length);
    auto value = static_cast<uint16_t>(raw);
    for (size_t i = 0; i < length; ++i) {
        bytes[i] =
            i % 2 == 0 ? static_cast<uint8_t>(value >> 8) : static_cast<uint8_t>(value & 0xFF);
    }
    return bytes;
}

std::string makeArchive(const TempDir& dir, const std::string& name,
                        const std::vector<synth::ArchiveMember>& members) {
    std::string path = dir.file(name);
    synth::writeArchive(path, members);
    return path;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace sorvane::test
