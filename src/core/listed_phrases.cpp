#include "core/listed_phrases.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace {

// Unicode's lower-case mapping without touching the program's own locale.
locale_t UnicodeCharacters()
{
    static const locale_t characters = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return characters;
}

// The code point of a well-formed UTF-8 sequence at text[at] and its length, or 0.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& code)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

void AppendUtf8(std::string& text, char32_t code)
{
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string PhraseKey(std::string_view phrase)
{
    std::string key;
    key.reserve(phrase.size());
    bool blank = false;
    for (std::size_t at = 0; at < phrase.size();) {
        const auto c = static_cast<unsigned char>(phrase[at]);
        if (c <= ' ') {
            blank = true;
            ++at;
            continue;
        }
        if (blank && !key.empty())
            key += ' ';
        blank = false;
        if (c < 0x80) {
            key += static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
            ++at;
            continue;
        }
        char32_t code = 0;
        const std::size_t length = DecodeUtf8(phrase, at, code);
        if (length == 0 || UnicodeCharacters() == static_cast<locale_t>(nullptr)) {
            key += static_cast<char>(c);
            ++at;
            continue;
        }
        AppendUtf8(key, static_cast<char32_t>(towlower_l(static_cast<wint_t>(code), UnicodeCharacters())));
        at += length;
    }
    return key;
}
