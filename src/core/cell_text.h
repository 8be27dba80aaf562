// How the 8-bit texts of the table are read for the screen and for collation. A cell
// keeps the exact bytes it arrived as; only what is shown of it is decoded: as UTF-8
// when the bytes are valid UTF-8, otherwise as Windows-1252, the encoding of the keyword
// files this tool's users keep (every byte is then one character).
#pragma once

#include <cstddef>
#include <string_view>

// More than the widest screen shows of a cell in one line. Laying out more on every
// repaint froze the window (an 8 MB keyword line took seconds per repaint).
constexpr std::size_t MaxDisplayedCellBytes = 2048;

bool IsValidUtf8(std::string_view bytes);

// The character a Windows-1252 byte stands for. The five bytes the code page leaves
// undefined stand for the control characters of the same number.
char16_t Windows1252Character(unsigned char byte);

// The bytes of the cell that are shown: all of them up to MaxDisplayedCellBytes,
// otherwise the longest prefix within the limit that ends on a character boundary
// (utf8: the cell is valid UTF-8). `cut` tells whether bytes were left out.
std::string_view DisplayedCellBytes(std::string_view bytes, bool utf8, bool& cut);
