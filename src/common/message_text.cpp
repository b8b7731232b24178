#include "common/message_text.h"

#include <cstdint>
#include <cstdio>

namespace sorvane {

namespace {

constexpr size_t kQuotedEndBytes = (kMaxQuotedBytes - 3) / 2;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Code points that show nothing, or look like a plain blank, in a message box.
bool isInvisible(char32_t c) {
    return (c >= 0x80 && c <= 0xA0) || c == 0xAD || c == 0x34F || c == 0x61C ||
           (c >= 0x115F && c <= 0x1160) || (c >= 0x17B4 && c <= 0x17B5) ||
           (c >= 0x180B && c <= 0x180F) || (c >= 0x2000 && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202F) || (c >= 0x205F && c <= 0x206F) || c == 0x3000 ||
           c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF || c == 0xFFA0 ||
           (c >= 0xFFF0 && c <= 0xFFFB) || (c >= 0xE0000 && c <= 0xE0FFF);
}

// The length of the well-formed UTF-8 sequence at the start of `text` and its code point;
// 0 when the first byte does not start one.
size_t decodeUtf8(std::string_view text, char32_t& c) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = lead < 0x80                    ? 1
                    : lead >= 0xC2 && lead <= 0xDF ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || length > text.size()) return 0;
    c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if (!isContinuation(byte(i))) return 0;
        c = c << 6 | (byte(i) & 0x3F);
    }
    const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    return overlong || surrogate || c > 0x10FFFF ? 0 : length;
}

void appendVisible(std::string& out, std::string_view text) {
    char escape[16];
    while (!text.empty()) {
        char32_t c = 0;
        size_t length = decodeUtf8(text, c);
        if (length == 0 || c < 0x20 || c == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[0]));
            out += escape;
            length = 1;
        } else if (isInvisible(c)) {
            std::snprintf(escape, sizeof escape, "<U+%04X>", static_cast<unsigned>(c));
            out += escape;
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
}

}  // namespace

std::string quotedInMessage(std::string_view text) {
    std::string out;
    if (text.size() <= kMaxQuotedBytes) {
        appendVisible(out, text);
        return out;
    }
    // Cut between characters: a cut moves off continuation bytes (at most three).
    size_t headEnd = kQuotedEndBytes;
    for (int i = 0; i < 3 && isContinuation(static_cast<unsigned char>(text[headEnd])); ++i)
        --headEnd;
    size_t tailStart = text.size() - kQuotedEndBytes;
    for (int i = 0; i < 3 && isContinuation(static_cast<unsigned char>(text[tailStart])); ++i)
        ++tailStart;
    appendVisible(out, text.substr(0, headEnd));
    out += "...";
    appendVisible(out, text.substr(tailStart));
    return out;
}

}  // namespace sorvane
