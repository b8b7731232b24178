// Bytes as a settings file, then reads and writes of keys taken from the input. A write must
// change only its key's line: every other key reads back as before.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/error.h"
#include "health/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // In memory where the system offers it: every write of the file is flushed to disk.
    static const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    static const std::string path = folder + "/sorvane-fuzz-settings-" + std::to_string(::getpid());
    // First byte: length of a key name taken from the end of the input.
    size_t keyLength = std::min<size_t>(data[0] % 16, size - 1);
    std::string content(reinterpret_cast<const char*>(data + 1), size - 1 - keyLength);
    std::string key(reinterpret_cast<const char*>(data + size - keyLength), keyLength);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);

    sorvane::modUtility::SettingsFile settings(path);
    const char* others[] = {"OccSpikeTh", "DetNoTo", "x"};
    std::string before[3];
    for (int i = 0; i < 3; ++i)
        before[i] = settings.ReadSetting(others[i], "Param");
    if (settings.ReadSetting(key, "Param").size() > sorvane::modUtility::kMaxSettingLength)
        std::abort();
    // Keys that cannot be written as a key line are the caller's affair, not the file's; the
    // program's keys are printable ASCII, which reads back the same from a UTF-16 file too.
    bool printable =
        std::all_of(key.begin(), key.end(), [](char c) { return c >= ' ' && c < 127; });
    if (!printable || key.find_first_of("=[;") != std::string::npos || key.empty() ||
        key.front() == ' ' || key.back() == ' ') {
        return 0;
    }
    try {
        settings.WriteSetting(key, "42", "Param");
    } catch (const sorvane::SorvaneError&) {
        return 0;
    }
    if (settings.ReadSetting(key, "Param") != "42") std::abort();
    for (int i = 0; i < 3; ++i) {
        bool sameKey =
            std::equal(key.begin(), key.end(), others[i], others[i] + std::strlen(others[i]),
                       [](char a, char b) { return std::tolower(a) == std::tolower(b); });
        if (!sameKey && settings.ReadSetting(others[i], "Param") != before[i]) std::abort();
    }
    return 0;
}
