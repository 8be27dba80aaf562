// Writes true-colour pictures as PNG files: signature, IHDR, one IDAT compressed with
// zlib, IEND, each chunk with its CRC.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbPicture {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels; // Width * Height * 3 bytes, rows top to bottom, red first

    RgbPicture(int width, int height);
    void Set(int x, int y, uint8_t red, uint8_t green, uint8_t blue); // outside: ignored
};

std::string EncodePng(const RgbPicture& picture);
