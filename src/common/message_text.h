#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sorvane {

// The longest text from a file that a message quotes whole, in bytes.
inline constexpr size_t kMaxQuotedBytes = 100;

// Text from a file (an archive member's name, an ID list entry) as a message quotes it: what
// cannot be seen is written visibly, a control character or a byte that is not UTF-8 as
// "\x00", an invisible Unicode character (byte-order mark, zero-width or other format
// character, a blank other than the plain one) as "<U+FEFF>"; a text longer than
// kMaxQuotedBytes keeps its start and its end with "..." between them, so that a message box
// still fits the screen. Plain printable text comes back unchanged.
std::string quotedInMessage(std::string_view text);

}  // namespace sorvane
