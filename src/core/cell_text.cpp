#include "core/cell_text.h"

#include <cstdint>
#include <cstring>

namespace {

// Bytes 0x80 to 0x9F; the others stand for the code point of their own number.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the UTF-8 sequence starting at `at`, or 0 when it is not a valid one
// (overlong forms, surrogates and code points above U+10FFFF included).
std::size_t SequenceLength(const unsigned char* at, std::size_t left)
{
    const unsigned char lead = at[0];
    std::size_t length;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            secondLow = 0xA0;
        if (lead == 0xED)
            secondHigh = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            secondLow = 0x90;
        if (lead == 0xF4)
            secondHigh = 0x8F;
    } else {
        return 0;
    }
    if (left < length || at[1] < secondLow || at[1] > secondHigh)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!IsContinuation(at[i]))
            return 0;
    return length;
}

} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
        // Keyword text is mostly ASCII: eight bytes at a time while it is.
        if (left >= 8) {
            uint64_t block;
            std::memcpy(&block, at, 8);
            if ((block & 0x8080808080808080ull) == 0) {
                at += 8;
                left -= 8;
                continue;
            }
        }
        const std::size_t length = SequenceLength(at, left);
        if (length == 0)
            return false;
        at += length;
        left -= length;
    }
    return true;
}

char16_t Windows1252Character(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? Windows1252High[byte - 0x80] : static_cast<char16_t>(byte);
}

std::string_view DisplayedCellBytes(std::string_view bytes, bool utf8, bool& cut)
{
    cut = bytes.size() > MaxDisplayedCellBytes;
    if (!cut)
        return bytes;
    std::size_t end = MaxDisplayedCellBytes;
    if (utf8)
        while (end > 0 && IsContinuation(static_cast<unsigned char>(bytes[end])))
            --end;
    return bytes.substr(0, end);
}
