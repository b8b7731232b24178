#pragma once

#include <string>
#include <string_view>

namespace sorvane::modUtility {

constexpr std::string_view kSettingsFileName = "ParamSettings.ini";
constexpr size_t kMaxSettingLength = 511;

// The settings file in the program folder.
std::string SettingsFilePath(const std::string& programFolder);

// An INI file read and written one key at a time. Section and key names compare without regard
// to letter case; the first matching section and key count.
class SettingsFile {
  public:
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // The key's value without surrounding blanks, cut to 511 characters; empty when the file,
    // the section or the key is missing (or the file cannot be read).
    std::string ReadSetting(std::string_view key, std::string_view section) const;

    // Replaces the key's value in place, or appends the key to its section, the section to the
    // file, or creates the file. Every other line stays as it was; new lines end in CR LF.
    // The value is written exactly as given. Throws SorvaneError naming the file and the reason
    // when the file cannot be written.
    void WriteSetting(std::string_view key, std::string_view value, std::string_view section) const;

  private:
    std::string path_;
};

}  // namespace sorvane::modUtility
