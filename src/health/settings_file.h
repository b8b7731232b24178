#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorvane::modUtility {

constexpr std::string_view kSettingsFileName = "ParamSettings.ini";
constexpr size_t kMaxSettingLength = 511;

// The settings file in the program folder.
std::string SettingsFilePath(const std::string& programFolder);

// One key and the value to write under it.
using SettingsEntry = std::pair<std::string_view, std::string_view>;

// A section of an INI file: its name as written, and its key lines in file order.
struct SettingsSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
};

// An INI file. Section and key names compare without regard to letter case; the first matching
// section and key count. Lines may end in CR LF, LF or CR; the text may be UTF-8 (with or
// without a byte-order mark) or UTF-16 with a byte-order mark, and is written back so. Each
// call reads the file once, in time and memory of about its size.
class SettingsFile {
  public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // Whether anything is at the path: a folder, a device or a link to nothing counts, and so
    // does a path whose folder may not be searched. Such a file is reported when it cannot be
    // read; only a file that is not there may be taken as an empty one.
    bool isThere() const;

    // The values of `keys` in `section`, each without surrounding blanks and cut to 511
    // characters, empty for a key that is not there; nullopt when the section is not there.
    // Throws SorvaneError naming the file and the reason when it cannot be read (a missing file
    // included).
    std::optional<std::vector<std::string>> ReadSettings(std::span<const std::string_view> keys,
                                                         std::string_view section) const;

    // Every section whose name begins with `prefix` (any letter case), in file order, with its
    // key lines: each key and its value read as ReadSettings reads one. Throws SorvaneError
    // naming the file and the reason when it cannot be read.
    std::vector<SettingsSection> ReadSectionsStartingWith(std::string_view prefix) const;

    // One key's value; empty when the file, the section or the key is missing (or the file
    // cannot be read).
    std::string ReadSetting(std::string_view key, std::string_view section) const;

    // Writes each entry in turn as WriteSetting does, reading and writing the file once. The
    // entries' keys are distinct.
    void WriteSettings(std::span<const SettingsEntry> entries, std::string_view section) const;

    // Replaces the key's value in place, or appends the key to its section, the section to the
    // file, or creates the file. Every other line stays as it was; new lines end in CR LF.
    // The value is written exactly as given. Throws SorvaneError naming the file and the reason
    // when the file cannot be read or written.
    void WriteSetting(std::string_view key, std::string_view value, std::string_view section) const;

  private:
    std::string path_;
};

}  // namespace sorvane::modUtility
