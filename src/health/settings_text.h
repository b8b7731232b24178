#pragma once

#include <string>
#include <string_view>

namespace sorvane::modUtility {

// How a settings file's bytes hold its text. Windows editors write UTF-8 with a byte-order mark
// or UTF-16 (with one) as readily as plain single-byte text.
enum class TextEncoding { Plain, Utf8Bom, Utf16Le, Utf16Be };

// A settings file's text as UTF-8 (or its single-byte text unchanged), with what is needed to
// write it back in the file's own encoding.
struct SettingsText {
    std::string text;
    TextEncoding encoding = TextEncoding::Plain;
    std::string tail;  // a last byte of a UTF-16 file that makes no whole unit
};

// The text of a settings file's bytes: after a UTF-8 byte-order mark, or UTF-16 after its
// byte-order mark (a surrogate without its partner is kept as a code point of its own, so that
// writing the text back gives the same bytes).
SettingsText decodeSettingsText(std::string bytes);

// The bytes of `text` in the encoding (and with the tail) of `original`.
std::string encodeSettingsText(std::string_view text, const SettingsText& original);

}  // namespace sorvane::modUtility
