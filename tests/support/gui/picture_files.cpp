#include "support/gui/picture_files.h"

#include <QBuffer>
#include <QImage>

namespace {

void Append16(std::string& bytes, int value)
{
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>((value >> 8) & 0xFF));
}

// Image data as 8-bit LZW codes that never build on each other: with a minimum code
// size of 7 every code is a byte, and a clear code well before the table would need
// 9-bit codes keeps it so.
std::string UncompressedLzw(int pixels, int colour)
{
    constexpr int ClearCode = 128;
    constexpr int EndCode = 129;
    constexpr int CodesPerClear = 100;
    std::string codes;
    for (int i = 0; i < pixels; ++i) {
        if (i % CodesPerClear == 0)
            codes.push_back(static_cast<char>(ClearCode));
        codes.push_back(static_cast<char>(colour));
    }
    codes.push_back(static_cast<char>(EndCode));

    std::string blocks;
    for (std::size_t at = 0; at < codes.size(); at += 255) {
        const std::string block = codes.substr(at, 255);
        blocks.push_back(static_cast<char>(block.size()));
        blocks += block;
    }
    blocks.push_back('\0');
    return blocks;
}

} // namespace

std::string GifBytes(int width, int height, int frames)
{
    std::string gif = "GIF89a";
    Append16(gif, width);
    Append16(gif, height);
    gif.push_back(static_cast<char>(0xF6)); // global colour table of 128 entries
    gif.push_back('\0');
    gif.push_back('\0');
    for (int entry = 0; entry < 128; ++entry) {
        gif.push_back(static_cast<char>(entry * 2));
        gif.push_back(static_cast<char>(255 - entry * 2));
        gif.push_back(static_cast<char>(entry * 37 % 256));
    }
    for (int frame = 0; frame < frames; ++frame) {
        gif += "\x21\xF9\x04";
        gif.push_back(0x04); // keep the frame under the next one
        Append16(gif, 2);    // hundredths of a second
        gif.push_back('\0');
        gif.push_back('\0');
        gif.push_back(0x2C);
        Append16(gif, 0);
        Append16(gif, 0);
        Append16(gif, width);
        Append16(gif, height);
        gif.push_back('\0');
        gif.push_back(7); // minimum code size
        gif += UncompressedLzw(width * height, 10 + 20 * frame % 100);
    }
    gif.push_back(0x3B);
    return gif;
}

std::string PictureBytes(int width, int height, const char* format)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(200, 60, 30));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes.toStdString();
}
