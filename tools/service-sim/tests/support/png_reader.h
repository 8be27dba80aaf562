// Reads a PNG the way an image viewer must: signature, every chunk's CRC, the header,
// the inflated and unfiltered scanlines. Only the 8-bit true-colour kind is accepted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct DecodedPng {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Rgb; // Width * Height * 3

    const uint8_t* Pixel(int x, int y) const { return Rgb.data() + (static_cast<std::size_t>(y) * Width + x) * 3; }
};

// Empty, with the reason in `why`, when the bytes are not such a PNG.
std::optional<DecodedPng> ReadPng(std::string_view bytes, std::string& why);
