#include "health/settings_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "common/error.h"
#include "common/text_file.h"

namespace sorvane::modUtility {

namespace {

// One line of the file: its text and the line end that followed it ("\r\n", "\n" or none).
struct Line {
    std::string_view text;
    std::string_view end;
};

std::vector<Line> splitLines(std::string_view content) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t nl = content.find('\n', pos);
        if (nl == std::string_view::npos) {
            lines.push_back({content.substr(pos), {}});
            break;
        }
        size_t textEnd = nl > pos && content[nl - 1] == '\r' ? nl - 1 : nl;
        lines.push_back(
            {content.substr(pos, textEnd - pos), content.substr(textEnd, nl + 1 - textEnd)});
        pos = nl + 1;
    }
    return lines;
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

// Where a key stands in the file: the section header's line, the key's line and the last
// non-empty line of the section (all optional).
struct Position {
    std::optional<size_t> section;
    std::optional<size_t> key;
    size_t lastContent = 0;
};

Position locate(const std::vector<Line>& lines, std::string_view key, std::string_view section) {
    Position where;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto name = sectionOf(lines[i].text)) {
            if (inSection) break;  // the first matching section ends here
            inSection = equalNoCase(*name, section);
            if (inSection) {
                where.section = i;
                where.lastContent = i;
            }
            continue;
        }
        if (!inSection) continue;
        if (!trim(lines[i].text).empty()) where.lastContent = i;
        auto kv = keyOf(lines[i].text);
        if (kv && equalNoCase(kv->key, key)) {
            where.key = i;
            break;
        }
    }
    return where;
}

std::optional<std::string> readIfExists(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return readWholeFile(path);
}

}  // namespace

std::string SettingsFilePath(const std::string& programFolder) {
    if (programFolder.empty()) return std::string(kSettingsFileName);
    return programFolder + "/" + std::string(kSettingsFileName);
}

std::string SettingsFile::ReadSetting(std::string_view key, std::string_view section) const {
    std::optional<std::string> content;
    try {
        content = readIfExists(path_);
    } catch (const SorvaneError&) {
        return {};  // an unreadable file reads like a missing one
    }
    if (!content) return {};
    std::vector<Line> lines = splitLines(*content);
    Position where = locate(lines, key, section);
    if (!where.key) return {};
    std::string_view value = keyOf(lines[*where.key].text)->value;
    value = value.substr(0, kMaxSettingLength);
    return std::string(value.substr(0, value.find('\0')));  // text ends at a NUL
}

void SettingsFile::WriteSetting(std::string_view key, std::string_view value,
                                std::string_view section) const {
    std::string content = readIfExists(path_).value_or(std::string());
    std::vector<Line> lines = splitLines(content);
    Position where = locate(lines, key, section);
    std::string keyLine = std::string(key) + "=" + std::string(value);

    std::string out;
    out.reserve(content.size() + keyLine.size() + section.size() + 8);
    auto appendLine = [&out](const Line& line) {
        out.append(line.text);
        out.append(line.end);
    };
    if (where.key) {
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i == *where.key) {
                out.append(keyLine);
                out.append(lines[i].end.empty() ? "\r\n" : lines[i].end);
            } else {
                appendLine(lines[i]);
            }
        }
    } else if (where.section) {
        for (size_t i = 0; i < lines.size(); ++i) {
            appendLine(lines[i]);
            if (i == where.lastContent) {
                if (lines[i].end.empty()) out.append("\r\n");
                out.append(keyLine + "\r\n");
            }
        }
    } else {
        out = content;
        if (!out.empty() && out.back() != '\n') out.append("\r\n");
        out.append("[" + std::string(section) + "]\r\n" + keyLine + "\r\n");
    }
    writeWholeFile(path_, out);
}

}  // namespace sorvane::modUtility
