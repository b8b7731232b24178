#include "export/id_list.h"

#include <algorithm>

#include "common/message_text.h"
#include "common/numeric.h"
#include "common/program_texts.h"
#include "common/text_file.h"

namespace sorvane {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Lines split at CR LF, lone LF and lone CR (files from any platform) and joined again with one
// blank; a UTF-8 byte-order mark before the first line is dropped.
std::string joinLines(std::string_view text) {
    if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    std::string joined;
    joined.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            joined.push_back(' ');
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            joined.push_back(text[i]);
        }
    }
    return joined;
}

std::string notANumberMessage(size_t itemNumber, std::string_view entry) {
    return "Input Error at  " + std::to_string(itemNumber) + "-th item : The entry \"" +
           quotedInMessage(entry) + "\" is not a number.";
}

std::string tooManyIdsMessage(size_t idCount) {
    return "The list holds " + std::to_string(idCount) + " IDs, more than the " +
           std::to_string(kMaxIds) + " that one export can take.";
}

}  // namespace

ParsedIds parseIdList(std::string_view textIn) {
    const std::string text = joinLines(textIn);
    // Refused before anything is stored: the list's count is a 16-bit number.
    const size_t entries =
        text.empty() ? 0 : static_cast<size_t>(std::ranges::count(text, ',')) + 1;
    if (entries > kMaxIds) return {{}, tooManyIdsMessage(entries)};
    if (entries == 0) return {{}, std::string(kMsgNoIdData)};
    ParsedIds parsed;
    parsed.ids.reserve(entries);
    size_t start = 0;
    for (size_t itemNumber = 1;; ++itemNumber) {
        size_t comma = text.find(',', start);
        std::string_view entry = std::string_view(text).substr(
            start, comma == std::string::npos ? comma : comma - start);
        std::string_view id = trimBlanks(entry);
        if (!isNumeric(id)) return {{}, notANumberMessage(itemNumber, entry)};
        parsed.ids.emplace_back(id);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return parsed;
}

std::string idListErrorMessage(std::string_view error) {
    return std::string(error) + "\r\n" + std::string(kMsgReenterIds);
}

std::string joinIds(const std::vector<std::string>& ids) {
    std::string text;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i > 0) text += ',';
        text += ids[i];
    }
    return text;
}

std::string ReadTextFile(const std::string& path) {
    return readWholeFile(path);
}

}  // namespace sorvane
