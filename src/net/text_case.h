// Small helpers for 8-bit text: ASCII-only case folding, hexadecimal digits, trimming
// of blanks and control characters (every byte of code 32 or less), and the bytes that
// may not stand inside a header line.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

inline bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

inline char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

inline std::string UpperAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = UpperAscii(c);
    return upper;
}

// 0 to 15 for a hexadecimal digit of either case; -1 for any other byte.
inline int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

inline bool SameTextAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    }
    return true;
}

inline std::string_view TrimLeftView(std::string_view text)
{
    size_t first = 0;
    while (first < text.size() && IsBlankOrControl(text[first]))
        ++first;
    return text.substr(first);
}

inline std::string_view TrimRightView(std::string_view text)
{
    size_t end = text.size();
    while (end > 0 && IsBlankOrControl(text[end - 1]))
        --end;
    return text.substr(0, end);
}

inline std::string_view TrimView(std::string_view text)
{
    return TrimRightView(TrimLeftView(text));
}

inline std::string Trim(std::string_view text)
{
    return std::string(TrimView(text));
}

// Any byte below 0x20 but the tab, or DEL: what may not stand inside a header line,
// since a CR or LF would end the line early and let the rest pass for a line of its own.
inline bool HoldsControlCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t') || byte == 0x7F;
    });
}
