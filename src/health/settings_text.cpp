#include "health/settings_text.h"

#include <cstdint>

namespace sorvane::modUtility {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void appendUtf8(std::string& out, char32_t c) {
    auto byte = [&out](char32_t value) { out.push_back(static_cast<char>(value)); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | c >> 6);
        byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | c >> 12);
        byte(0x80 | (c >> 6 & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | c >> 18);
        byte(0x80 | (c >> 12 & 0x3F));
        byte(0x80 | (c >> 6 & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}

// The code point of the UTF-8 sequence at `text[i]`, surrogates included, and moves past it; a
// byte that starts no sequence stands for itself.
char32_t nextCodePoint(std::string_view text, size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead >= 0xF8   ? 1
                          : lead >= 0xF0 ? 4
                          : lead >= 0xE0 ? 3
                          : lead >= 0xC0 ? 2
                                         : 1;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
        if ((next & 0xC0) != 0x80) {
            c = 0x110000;  // not a sequence
            break;
        }
        c = c << 6 | (next & 0x3F);
    }
    if (c > 0x10FFFF) {
        ++i;
        return lead;
    }
    i += length;
    return c;
}

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string text;
    text.reserve(bytes.size());
    auto unitAt = [&](size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? first << 8 | second : second << 8 | first;
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t unit = unitAt(i);
        if (isHighSurrogate(unit) && i + 3 < bytes.size() && isLowSurrogate(unitAt(i + 2))) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00);
            i += 2;
        }
        appendUtf8(text, unit);
    }
    return text;
}

std::string encodeUtf16(std::string_view text, bool bigEndian) {
    std::string bytes(bigEndian ? kUtf16BeBom : kUtf16LeBom);
    bytes.reserve(2 * text.size() + 2);
    auto unit = [&](char32_t u) {
        const auto high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    };
    for (size_t i = 0; i < text.size();) {
        char32_t c = nextCodePoint(text, i);
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return bytes;
}

}  // namespace

SettingsText decodeSettingsText(std::string bytes) {
    SettingsText decoded;
    std::string_view view(bytes);
    if (view.starts_with(kUtf16LeBom) || view.starts_with(kUtf16BeBom)) {
        const bool bigEndian = view.starts_with(kUtf16BeBom);
        view.remove_prefix(2);
        decoded.encoding = bigEndian ? TextEncoding::Utf16Be : TextEncoding::Utf16Le;
        decoded.tail = std::string(view.substr(view.size() - view.size() % 2));
        decoded.text = decodeUtf16(view, bigEndian);
        return decoded;
    }
    if (view.starts_with(kUtf8Bom)) {
        decoded.encoding = TextEncoding::Utf8Bom;
        bytes.erase(0, kUtf8Bom.size());
    }
    decoded.text = std::move(bytes);
    return decoded;
}

std::string encodeSettingsText(std::string_view text, const SettingsText& original) {
    switch (original.encoding) {
        case TextEncoding::Utf16Le:
        case TextEncoding::Utf16Be:
            return encodeUtf16(text, original.encoding == TextEncoding::Utf16Be) + original.tail;
        case TextEncoding::Utf8Bom:
            return std::string(kUtf8Bom) + std::string(text);
        case TextEncoding::Plain:
            break;
    }
    return std::string(text);
}

}  // namespace sorvane::modUtility
