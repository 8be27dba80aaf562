#include "png_reader.h"

#include <cstdlib>
#include <zlib.h>

namespace {

uint32_t BigEndian32(std::string_view bytes, std::size_t at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24
        | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16
        | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8
        | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3]));
}

uint8_t Paeth(int left, int up, int upLeft)
{
    int estimate = left + up - upLeft;
    int toLeft = std::abs(estimate - left);
    int toUp = std::abs(estimate - up);
    int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft)
        return static_cast<uint8_t>(left);
    return static_cast<uint8_t>(toUp <= toUpLeft ? up : upLeft);
}

} // namespace

std::optional<DecodedPng> ReadPng(std::string_view bytes, std::string& why)
{
    if (!bytes.starts_with("\x89PNG\r\n\x1a\n")) {
        why = "no PNG signature";
        return std::nullopt;
    }
    DecodedPng png;
    std::string compressed;
    bool ended = false;
    std::size_t at = 8;
    while (!ended) {
        if (at + 12 > bytes.size()) {
            why = "a chunk runs past the end";
            return std::nullopt;
        }
        const uint32_t length = BigEndian32(bytes, at);
        if (at + 12 + length > bytes.size()) {
            why = "a chunk runs past the end";
            return std::nullopt;
        }
        std::string_view typeAndData = bytes.substr(at + 4, 4 + length);
        uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(typeAndData.data()),
            static_cast<uInt>(typeAndData.size()));
        if (crc != BigEndian32(bytes, at + 8 + length)) {
            why = "bad CRC on chunk " + std::string(typeAndData.substr(0, 4));
            return std::nullopt;
        }
        std::string_view type = typeAndData.substr(0, 4);
        std::string_view data = typeAndData.substr(4);
        if (type == "IHDR") {
            if (data.size() != 13 || data[8] != 8 || data[9] != 2 || data[10] != 0 || data[11] != 0 || data[12] != 0) {
                why = "not an 8-bit true-colour, non-interlaced header";
                return std::nullopt;
            }
            png.Width = static_cast<int>(BigEndian32(data, 0));
            png.Height = static_cast<int>(BigEndian32(data, 4));
        } else if (type == "IDAT") {
            compressed += data;
        } else if (type == "IEND") {
            ended = true;
        }
        at += 12 + length;
    }
    if (at != bytes.size()) {
        why = "bytes after IEND";
        return std::nullopt;
    }

    const std::size_t rowBytes = static_cast<std::size_t>(png.Width) * 3;
    uLongf size = static_cast<uLongf>((rowBytes + 1) * static_cast<std::size_t>(png.Height));
    std::vector<uint8_t> raw(size + 1);
    uLongf inflated = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &inflated, reinterpret_cast<const Bytef*>(compressed.data()),
            static_cast<uLong>(compressed.size()))
            != Z_OK
        || inflated != size) {
        why = "image data does not inflate to the size the header gives";
        return std::nullopt;
    }

    png.Rgb.assign(rowBytes * static_cast<std::size_t>(png.Height), 0);
    for (int y = 0; y < png.Height; ++y) {
        const uint8_t filter = raw[static_cast<std::size_t>(y) * (rowBytes + 1)];
        const uint8_t* in = raw.data() + static_cast<std::size_t>(y) * (rowBytes + 1) + 1;
        uint8_t* out = png.Rgb.data() + static_cast<std::size_t>(y) * rowBytes;
        const uint8_t* up = y > 0 ? out - rowBytes : nullptr;
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const int left = i >= 3 ? out[i - 3] : 0;
            const int above = up ? up[i] : 0;
            const int aboveLeft = (up && i >= 3) ? up[i - 3] : 0;
            int predicted = 0;
            switch (filter) {
            case 0: break;
            case 1: predicted = left; break;
            case 2: predicted = above; break;
            case 3: predicted = (left + above) / 2; break;
            case 4: predicted = Paeth(left, above, aboveLeft); break;
            default: why = "unknown filter type"; return std::nullopt;
            }
            out[i] = static_cast<uint8_t>(in[i] + predicted);
        }
    }
    return png;
}
