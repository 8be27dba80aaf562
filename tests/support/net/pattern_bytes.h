// Bodies of a given size whose bytes show where they were cut: the letters a to z over
// and over, so a lost, doubled or shifted piece changes the text.
#pragma once

#include <cstddef>
#include <string>

inline std::string PatternBytes(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + i % 26);
    return bytes;
}
