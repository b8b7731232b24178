#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

inline constexpr std::string_view kMsgNoIdData = "No data available.";

// The most IDs one list may hold: the parser counts them in a 16-bit number.
inline constexpr size_t kMaxIds = 32767;

// A parsed ID list: the IDs in order, or the message that refuses the list.
struct ParsedIds {
    std::vector<std::string> ids;
    std::string error;  // empty when the list is accepted

    bool accepted() const { return error.empty(); }
};

// Parses a detector ID list: IDs separated by commas, a line break (CR LF, LF or CR) counting as
// a blank. An ID is the entry as typed without its surrounding blanks (007 stays 007). The
// first entry that is not a number refuses the list, its message showing the entry's invisible
// characters; an empty text, and one of more than kMaxIds entries, are refused as well. A UTF-8
// byte-order mark at the start is dropped.
ParsedIds parseIdList(std::string_view text);

// The message box text of a refused list: the parser's message and the re-enter line
// (kMsgReenterIds).
std::string idListErrorMessage(std::string_view error);

// The IDs as the ID box shows a loaded list: "100,200,300".
std::string joinIds(const std::vector<std::string>& ids);

// The whole text of a detector-list file; throws SorvaneError naming the file and the reason.
std::string ReadTextFile(const std::string& path);

}  // namespace sorvane
