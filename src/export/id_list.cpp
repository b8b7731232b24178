#include "export/id_list.h"

#include "common/numeric.h"
#include "common/text_file.h"

namespace sorvane {

namespace {

// Lines split at CR LF and joined again with one blank; a lone CR or LF stays in the text.
std::string joinCrLfLines(std::string_view text) {
    std::string joined;
    joined.reserve(text.size());
    size_t start = 0;
    for (size_t pos; (pos = text.find("\r\n", start)) != std::string_view::npos; start = pos + 2) {
        joined.append(text.substr(start, pos - start));
        joined.push_back(' ');
    }
    joined.append(text.substr(start));
    return joined;
}

std::string notANumberMessage(size_t itemNumber, std::string_view entry) {
    return "Input Error at  " + std::to_string(itemNumber) + "-th item : The entry \"" +
           std::string(entry) + "\" is not a number.";
}

}  // namespace

std::vector<std::string> C_csvRead::GetArr(std::string_view StrText) {
    const std::string text = joinCrLfLines(StrText);
    std::vector<std::string> ids;
    if (!text.empty()) {
        size_t start = 0;
        for (size_t itemNumber = 1;; ++itemNumber) {
            size_t comma = text.find(',', start);
            std::string_view entry = std::string_view(text).substr(
                start, comma == std::string::npos ? comma : comma - start);
            std::string_view id = trimBlanks(entry);
            if (!isNumeric(id)) {
                inputError_ = true;
                errorMsg_ = notANumberMessage(itemNumber, entry);
                return {};
            }
            ids.emplace_back(id);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    if (ids.empty()) {
        inputError_ = true;
        errorMsg_ = kMsgNoIdData;
        return {};
    }
    lastIndex_ = static_cast<int>(ids.size()) - 1;
    return ids;
}

std::string idListErrorMessage(const C_csvRead& parser) {
    return parser.ErrorMsg() + "\r\n" + std::string(kMsgReenterIds);
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
