#include "health/settings_file.h"

#include <sys/stat.h>

#include <algorithm>

#include "common/error.h"
#include "common/text_file.h"
#include "health/settings_text.h"

namespace sorvane::modUtility {

namespace {

// One line of the file: its text and the line end that followed it ("\r\n", "\n", "\r" or
// none).
struct Line {
    std::string_view text;
    std::string_view end;
};

// Walks the lines of a text one at a time: a file of line ends costs no table of lines.
class LineReader {
  public:
    explicit LineReader(std::string_view content) : rest_(content) {}

    std::optional<Line> next() {
        if (rest_.empty()) return std::nullopt;
        size_t brk = rest_.find_first_of("\r\n");
        if (brk == std::string_view::npos) brk = rest_.size();
        size_t endLength = brk == rest_.size() ? 0 : rest_.substr(brk, 2) == "\r\n" ? 2 : 1;
        Line line{rest_.substr(0, brk), rest_.substr(brk, endLength)};
        rest_.remove_prefix(brk + endLength);
        return line;
    }

  private:
    std::string_view rest_;
};

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

// Where the keys stand in the first matching section, by line number: the section header's
// line, its last non-empty line, and each key's first line and value (all optional).
struct SectionScan {
    std::optional<size_t> header;
    size_t lastContent = 0;
    std::vector<std::optional<size_t>> keyLines;
    std::vector<std::string_view> values;
};

template <typename Keys, typename KeyOf>
SectionScan scanSection(std::string_view content, const Keys& keys, KeyOf keyAt,
                        std::string_view section) {
    SectionScan scan;
    scan.keyLines.resize(keys.size());
    scan.values.resize(keys.size());
    LineReader lines(content);
    for (size_t i = 0; auto line = lines.next(); ++i) {
        if (auto name = sectionOf(line->text)) {
            if (scan.header) break;  // the first matching section ends here
            if (equalNoCase(*name, section)) scan.header = scan.lastContent = i;
            continue;
        }
        if (!scan.header) continue;
        if (!trim(line->text).empty()) scan.lastContent = i;
        auto kv = keyOf(line->text);
        if (!kv) continue;
        for (size_t k = 0; k < keys.size(); ++k) {
            if (!scan.keyLines[k] && equalNoCase(kv->key, keyAt(keys[k]))) {
                scan.keyLines[k] = i;
                scan.values[k] = kv->value;
            }
        }
    }
    return scan;
}

std::optional<std::string> readIfExists(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return readWholeFile(path);
}

// The file's text with the entries written into `section`, as a row of single writes would.
std::string withEntries(std::string_view content, std::span<const SettingsEntry> entries,
                        std::string_view section) {
    SectionScan scan = scanSection(
        content, entries, [](const SettingsEntry& e) { return e.first; }, section);
    auto keyLine = [&](size_t k) {
        return std::string(entries[k].first) + "=" + std::string(entries[k].second);
    };
    std::string out;
    out.reserve(content.size() + section.size() + 4 + 64 * entries.size());
    auto appendMissing = [&] {
        for (size_t k = 0; k < entries.size(); ++k) {
            if (!scan.keyLines[k]) out += keyLine(k) + "\r\n";
        }
    };
    if (!scan.header) {
        out.append(content);
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append("\r\n");
        out.append("[" + std::string(section) + "]\r\n");
        appendMissing();
        return out;
    }
    // The key lines in file order, each with its entry.
    std::vector<std::pair<size_t, size_t>> replaced;
    for (size_t k = 0; k < entries.size(); ++k) {
        if (scan.keyLines[k]) replaced.emplace_back(*scan.keyLines[k], k);
    }
    std::ranges::sort(replaced);
    auto next = replaced.begin();
    LineReader lines(content);
    for (size_t i = 0; auto line = lines.next(); ++i) {
        std::string_view end = line->end;
        if (next != replaced.end() && next->first == i) {
            out += keyLine(next++->second);
            if (end.empty()) end = "\r\n";
        } else {
            out.append(line->text);
        }
        out.append(end);
        if (i == scan.lastContent) {
            if (end.empty()) out.append("\r\n");
            appendMissing();
        }
    }
    return out;
}

}  // namespace

std::string SettingsFilePath(const std::string& programFolder) {
    if (programFolder.empty()) return std::string(kSettingsFileName);
    return programFolder + "/" + std::string(kSettingsFileName);
}

std::optional<std::vector<std::string>> SettingsFile::ReadSettings(
    std::span<const std::string_view> keys, std::string_view section) const {
    const SettingsText file = decodeSettingsText(readWholeFile(path_));
    SectionScan scan = scanSection(
        file.text, keys, [](std::string_view key) { return key; }, section);
    if (!scan.header) return std::nullopt;
    std::vector<std::string> values;
    for (std::string_view value : scan.values) {
        value = value.substr(0, kMaxSettingLength);
        values.emplace_back(value.substr(0, value.find('\0')));  // text ends at a NUL
    }
    return values;
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
