#include "core/text_utf8.h"

#include "core/cell_text.h"

namespace {

void AppendUtf8(std::string& out, char16_t character)
{
    if (character < 0x80) {
        out += static_cast<char>(character);
    } else if (character < 0x800) {
        out += static_cast<char>(0xC0 | (character >> 6));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (character >> 12));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    }
}

} // namespace

std::string TextAsUtf8(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char byte : bytes)
        AppendUtf8(out, Windows1252Character(static_cast<unsigned char>(byte)));
    return out;
}
