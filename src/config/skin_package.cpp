#include "config/skin_package.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

std::uint32_t ReadLittleEndian32(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return value;
}

void AppendLittleEndian32(std::string& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        std::uint32_t smallest = 0;
        if (lead < 0x80) {
            ++at;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, code = lead & 0x1F, smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F, smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code = lead & 0x07, smallest = 0x10000;
        } else {
            return false;
        }
        if (text.size() - at < length)
            return false;
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        at += length;
    }
    return true;
}

std::string Inflated(std::string_view packed)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        throw SkinPackageError("the skin data cannot be decompressed (zlib could not start)");
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());

    std::string sheet;
    constexpr std::size_t Piece = 64 * 1024;
    int status = Z_OK;
    while (status == Z_OK) {
        // One byte past the limit is enough to know the skin is too large.
        const std::size_t room = std::min(Piece, MaxSkinSize + 1 - sheet.size());
        const std::size_t before = sheet.size();
        sheet.resize(before + room);
        stream.next_out = reinterpret_cast<Bytef*>(sheet.data() + before);
        stream.avail_out = static_cast<uInt>(room);
        status = inflate(&stream, Z_NO_FLUSH);
        sheet.resize(before + room - stream.avail_out);
        if (sheet.size() > MaxSkinSize) {
            inflateEnd(&stream);
            throw SkinPackageError("the skin is larger than " + std::to_string(MaxSkinSize / (1024 * 1024)) +
                                   " MiB");
        }
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            break;
    }
    const std::string reason = stream.msg ? stream.msg : "";
    inflateEnd(&stream);
    if (status == Z_STREAM_END)
        return sheet;
    if (status == Z_BUF_ERROR || status == Z_OK)
        throw SkinPackageError("the skin data ends before its compressed stream does");
    throw SkinPackageError("the skin data does not decompress" + (reason.empty() ? "" : " (" + reason + ")"));
}

} // namespace

std::size_t MaxPackedSkinSize()
{
    static const std::size_t bound = compressBound(static_cast<uLong>(MaxSkinSize));
    return bound;
}

std::optional<std::string> UnpackSkin(std::string_view package)
{
    if (package.size() < SkinHeaderSize)
        throw SkinPackageError("the package holds " + std::to_string(package.size()) +
                               " bytes, fewer than its 8-byte header");
    const auto format = static_cast<std::int32_t>(ReadLittleEndian32(package.substr(0, 4)));
    if (format > NewestSkinFormat)
        return std::nullopt;
    const std::size_t count = ReadLittleEndian32(package.substr(4, 4));
    if (count > MaxPackedSkinSize())
        throw SkinPackageError("the package announces " + std::to_string(count) +
                               " bytes of skin data, more than a skin of at most " +
                               std::to_string(MaxSkinSize / (1024 * 1024)) + " MiB needs");
    const std::string_view data = package.substr(SkinHeaderSize);
    if (data.size() < count)
        throw SkinPackageError("the package announces " + std::to_string(count) + " bytes of skin data but holds " +
                               std::to_string(data.size()));

    std::string sheet = Inflated(data.substr(0, count));
    if (!IsUtf8(sheet))
        throw SkinPackageError("the skin is not UTF-8 text");
    if (sheet.starts_with("\xEF\xBB\xBF"))
        sheet.erase(0, 3);
    return sheet;
}

std::optional<std::string> ReadSkinPackageFile(const std::string& fileName)
{
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw SkinPackageError("Cannot open the skin " + fileName + ": " + std::strerror(errno) + ".");
    // The header, then no more than the byte count asks for, read as it arrives: a file
    // larger than its package costs nothing.
    std::string package;
    std::size_t wanted = SkinHeaderSize;
    char piece[64 * 1024];
    while (package.size() < wanted && file) {
        file.read(piece, static_cast<std::streamsize>(std::min(sizeof piece, wanted - package.size())));
        package.append(piece, static_cast<std::size_t>(file.gcount()));
        if (wanted == SkinHeaderSize && package.size() == SkinHeaderSize) {
            const std::size_t count = ReadLittleEndian32(std::string_view(package).substr(4, 4));
            // A newer format or an oversized count is settled by the header alone.
            if (static_cast<std::int32_t>(ReadLittleEndian32(package)) <= NewestSkinFormat &&
                count <= MaxPackedSkinSize())
                wanted += count;
        }
    }
    if (file.bad())
        throw SkinPackageError("Cannot read the skin " + fileName + ".");
    try {
        return UnpackSkin(package);
    } catch (const SkinPackageError& error) {
        throw SkinPackageError("Cannot load the skin " + fileName + ": " + error.what() + ".");
    }
}

std::string PackSkin(std::string_view styleSheet)
{
    if (styleSheet.size() > MaxSkinSize)
        throw SkinPackageError("the skin is larger than " + std::to_string(MaxSkinSize / (1024 * 1024)) + " MiB");
    uLongf packedSize = compressBound(static_cast<uLong>(styleSheet.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(styleSheet.data()), static_cast<uLong>(styleSheet.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw SkinPackageError("the skin cannot be compressed");
    packed.resize(packedSize);

    std::string package;
    AppendLittleEndian32(package, static_cast<std::uint32_t>(NewestSkinFormat));
    AppendLittleEndian32(package, static_cast<std::uint32_t>(packed.size()));
    return package + packed;
}
