#include "png_writer.h"

#include <stdexcept>
#include <string_view>
#include <zlib.h>

RgbPicture::RgbPicture(int width, int height)
    : Width(width)
    , Height(height)
    , Pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 0)
{
}

void RgbPicture::Set(int x, int y, uint8_t red, uint8_t green, uint8_t blue)
{
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return;
    std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)) * 3;
    Pixels[at] = red;
    Pixels[at + 1] = green;
    Pixels[at + 2] = blue;
}

static void AppendBigEndian32(std::string& out, uint32_t value)
{
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

// Length, type, data, and the CRC of type and data.
static void AppendChunk(std::string& out, std::string_view type, std::string_view data)
{
    AppendBigEndian32(out, static_cast<uint32_t>(data.size()));
    std::string typed(type);
    typed += data;
    out += typed;
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
    AppendBigEndian32(out, static_cast<uint32_t>(crc));
}

std::string EncodePng(const RgbPicture& picture)
{
    std::string header;
    AppendBigEndian32(header, static_cast<uint32_t>(picture.Width));
    AppendBigEndian32(header, static_cast<uint32_t>(picture.Height));
    header += static_cast<char>(8); // bits per sample
    header += static_cast<char>(2); // true colour
    header += static_cast<char>(0); // deflate
    header += static_cast<char>(0); // adaptive filtering
    header += static_cast<char>(0); // not interlaced

    // Every scanline starts with its filter type; 0 keeps the bytes as they are.
    const std::size_t rowBytes = static_cast<std::size_t>(picture.Width) * 3;
    std::string scanlines;
    scanlines.reserve((rowBytes + 1) * static_cast<std::size_t>(picture.Height));
    for (int y = 0; y < picture.Height; ++y) {
        scanlines += '\0';
        const auto* row = picture.Pixels.data() + static_cast<std::size_t>(y) * rowBytes;
        scanlines.append(reinterpret_cast<const char*>(row), rowBytes);
    }
    uLongf compressedSize = compressBound(static_cast<uLong>(scanlines.size()));
    std::string compressed(compressedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &compressedSize,
            reinterpret_cast<const Bytef*>(scanlines.data()), static_cast<uLong>(scanlines.size()), Z_BEST_COMPRESSION)
        != Z_OK)
        throw std::runtime_error("cannot compress the picture");
    compressed.resize(compressedSize);

    std::string png = "\x89PNG\r\n\x1a\n";
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", compressed);
    AppendChunk(png, "IEND", {});
    return png;
}
