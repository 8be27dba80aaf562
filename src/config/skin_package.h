// The skin package "dbskin.dat": a 32-bit little-endian signed format number, a 32-bit
// little-endian byte count, then that many bytes of zlib data that inflate to the skin,
// a Qt style sheet in UTF-8. The built-in skin is kept in the same form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// The newest package format this program reads; packages of a later format are left
// alone, so an older program keeps the skin it has instead of misreading a newer one.
constexpr std::int32_t NewestSkinFormat = 3;

// Format number and byte count.
constexpr std::size_t SkinHeaderSize = 8;

// A style sheet is a few dozen kilobytes; a package that inflates past this is damaged
// or hostile, and refusing it keeps memory bounded.
constexpr std::size_t MaxSkinSize = 16 * 1024 * 1024;

// The most compressed bytes a skin within MaxSkinSize can need (zlib's bound for it);
// a larger byte count is refused before anything is read or inflated.
std::size_t MaxPackedSkinSize();

// A package that cannot be read: its message says why.
class SkinPackageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The style sheet held by the package bytes, or nothing when the package is of a newer
// format. Raises SkinPackageError for a short, damaged or too large package and for a
// style sheet that is not UTF-8; a leading UTF-8 byte-order mark is dropped.
std::optional<std::string> UnpackSkin(std::string_view package);

// The same for a package file; an error names the file.
std::optional<std::string> ReadSkinPackageFile(const std::string& fileName);

// The package of a style sheet, in the newest format.
std::string PackSkin(std::string_view styleSheet);
