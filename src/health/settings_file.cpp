#include "health/settings_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "common/error.h"
#include "common/text_file.h"
#include "health/settings_text.h"

namespace sorvane::modUtility {

namespace {

// A line of the file: where its text starts, the text, and the line end that follows it
// ("\r\n", "\n", "\r" or none at the end of the file).
struct Line {
    size_t begin = 0;
    std::string_view text;
    std::string_view end;

    size_t textEnd() const { return begin + text.size(); }
    size_t afterEnd() const { return textEnd() + end.size(); }
};

// Calls visit(line) for each line that is not empty, in file order, until it returns false.
// Empty lines mean nothing in an INI file: a run of line ends is passed over at once, and no
// table of lines is built.
template <typename Visit>
void forEachLine(std::string_view content, Visit visit) {
    for (size_t pos = 0; (pos = content.find_first_not_of("\r\n", pos)) != std::string::npos;) {
        size_t brk = std::min(content.find_first_of("\r\n", pos), content.size());
        size_t endLength = brk == content.size() ? 0 : content.substr(brk, 2) == "\r\n" ? 2 : 1;
        Line line{pos, content.substr(pos, brk - pos), content.substr(brk, endLength)};
        if (!visit(line)) return;
        pos = line.afterEnd();
    }
}

std::string_view trim(std::string_view s) {
    size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

// The section named by a header line "[name]", if the line is one.
std::optional<std::string_view> sectionOf(std::string_view line) {
    std::string_view t = trim(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(t.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyOf(std::string_view line) {
    std::string_view t = trim(line);
    if (t.empty() || t.front() == ';') return std::nullopt;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{trim(t.substr(0, eq)), trim(t.substr(eq + 1))};
}

// Where the keys stand in the first matching section: the section's last non-empty line (its
// header when it has no other) and each key's first line (all optional).
struct SectionScan {
    std::optional<Line> lastContent;
    std::vector<std::optional<Line>> keyLines;
};

template <typename Keys, typename KeyOf>
SectionScan scanSection(std::string_view content, const Keys& keys, KeyOf keyAt,
                        std::string_view section) {
    SectionScan scan;
    scan.keyLines.resize(keys.size());
    forEachLine(content, [&](const Line& line) {
        if (auto name = sectionOf(line.text)) {
            if (scan.lastContent) return false;  // the first matching section ends here
            if (equalNoCase(*name, section)) scan.lastContent = line;
            return true;
        }
        if (!scan.lastContent) return true;
        if (!trim(line.text).empty()) scan.lastContent = line;
        if (auto kv = keyOf(line.text)) {
            for (size_t k = 0; k < keys.size(); ++k) {
                if (!scan.keyLines[k] && equalNoCase(kv->key, keyAt(keys[k]))) {
                    scan.keyLines[k] = line;
                }
            }
        }
        return true;
    });
    return scan;
}

std::optional<std::string> readIfExists(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return readWholeFile(path);
}

// The file's text with the entries written into `section`, as a row of single writes would:
// key lines replaced where they stand, missing keys after the section's last non-empty line,
// or the section at the end of the file.
std::string withEntries(std::string_view content, std::span<const SettingsEntry> entries,
                        std::string_view section) {
    SectionScan scan = scanSection(
        content, entries, [](const SettingsEntry& e) { return e.first; }, section);
    std::string out;
    out.reserve(content.size() + section.size() + 4 + 64 * entries.size());
    auto appendKeyLine = [&](size_t k) {
        out.append(entries[k].first);
        out.append("=");
        out.append(entries[k].second);
    };
    auto appendMissing = [&] {
        for (size_t k = 0; k < entries.size(); ++k) {
            if (scan.keyLines[k]) continue;
            appendKeyLine(k);
            out.append("\r\n");
        }
    };
    if (!scan.lastContent) {
        out.append(content);
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append("\r\n");
        out.append("[" + std::string(section) + "]\r\n");
        appendMissing();
        return out;
    }
    // The key lines in file order, each with its entry; all lie before the insertion point.
    std::vector<std::pair<size_t, size_t>> replaced;
    for (size_t k = 0; k < entries.size(); ++k) {
        if (scan.keyLines[k]) replaced.emplace_back(scan.keyLines[k]->begin, k);
    }
    std::ranges::sort(replaced);
    size_t copied = 0;
    for (auto [begin, k] : replaced) {
        const Line& line = *scan.keyLines[k];
        out.append(content.substr(copied, begin - copied));
        appendKeyLine(k);
        if (line.end.empty()) out.append("\r\n");
        copied = line.textEnd();
    }
    const size_t insertAt = scan.lastContent->afterEnd();
    out.append(content.substr(copied, insertAt - copied));
    if (scan.lastContent->end.empty() && copied < insertAt) out.append("\r\n");
    appendMissing();
    out.append(content.substr(insertAt));
    return out;
}

}  // namespace

std::string SettingsFilePath(const std::string& programFolder) {
    if (programFolder.empty()) return std::string(kSettingsFileName);
    return programFolder + "/" + std::string(kSettingsFileName);
}

bool SettingsFile::isThere() const {
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0) return true;
    return errno != ENOENT && errno != ENOTDIR;
}

std::optional<std::vector<std::string>> SettingsFile::ReadSettings(
    std::span<const std::string_view> keys, std::string_view section) const {
    const SettingsText file = decodeSettingsText(readWholeFile(path_));
    SectionScan scan = scanSection(
        file.text, keys, [](std::string_view key) { return key; }, section);
    if (!scan.lastContent) return std::nullopt;
    std::vector<std::string> values;
    for (const std::optional<Line>& line : scan.keyLines) {
        std::string_view value = line ? keyOf(line->text)->value : std::string_view();
        value = value.substr(0, kMaxSettingLength);
        values.emplace_back(value.substr(0, value.find('\0')));  // text ends at a NUL
    }
    return values;
}

std::vector<SettingsSection> SettingsFile::ReadSectionsStartingWith(std::string_view prefix) const {
    const SettingsText file = decodeSettingsText(readWholeFile(path_));
    std::vector<SettingsSection> sections;
    bool inMatch = false;
    forEachLine(file.text, [&](const Line& line) {
        if (auto name = sectionOf(line.text)) {
            inMatch = name->size() >= prefix.size() &&
                      equalNoCase(name->substr(0, prefix.size()), prefix);
            if (inMatch) sections.push_back({std::string(*name), {}});
        } else if (auto kv = keyOf(line.text); kv && inMatch) {
            std::string_view value = kv->value.substr(0, kMaxSettingLength);
            sections.back().entries.emplace_back(kv->key, value.substr(0, value.find('\0')));
        }
        return true;
    });
    return sections;
}

std::string SettingsFile::ReadSetting(std::string_view key, std::string_view section) const {
    try {
        auto values = ReadSettings(std::span(&key, 1), section);
        return values ? values->front() : std::string();
    } catch (const SorvaneError&) {
        return {};  // a missing or unreadable file reads like an empty one
    }
}

void SettingsFile::WriteSettings(std::span<const SettingsEntry> entries,
                                 std::string_view section) const {
    const SettingsText file = decodeSettingsText(readIfExists(path_).value_or(std::string()));
    writeWholeFile(path_, encodeSettingsText(withEntries(file.text, entries, section), file));
}

void SettingsFile::WriteSetting(std::string_view key, std::string_view value,
                                std::string_view section) const {
    const SettingsEntry entry{key, value};
    WriteSettings(std::span(&entry, 1), section);
}

}  // namespace sorvane::modUtility
