#include "challenge.h"

#include "ascii.h"
#include "bitmap_font.h"
#include "png_writer.h"
#include "result_count.h"

namespace {

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// A small generator of noise for the picture; the same random value gives the same
// picture every time.
class Noise {
public:
    explicit Noise(uint64_t seed) : FState(seed | 1) {}
    uint32_t Next()
    {
        FState ^= FState << 13;
        FState ^= FState >> 7;
        FState ^= FState << 17;
        return static_cast<uint32_t>(FState >> 16);
    }
    int Between(int lowest, int highest) { return lowest + static_cast<int>(Next() % static_cast<uint32_t>(highest - lowest + 1)); }

private:
    uint64_t FState;
};

constexpr int pixelScale = 6; // a font pixel is a square of this many picture pixels
constexpr int characterGap = 7;

} // namespace

std::string ChallengeCharacters(std::string_view random)
{
    uint64_t hash = Fnv1a64("characters:" + std::string(random));
    std::string characters;
    for (std::size_t i = 0; i < challengeLength; ++i) {
        characters += glyphCharacters[hash % glyphCharacters.size()];
        hash /= glyphCharacters.size();
    }
    return characters;
}

bool IsChallengeRandom(std::string_view text)
{
    if (text.size() != randomLength)
        return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

bool AnswerMatches(std::string_view answer, std::string_view characters)
{
    return EqualsIgnoringAsciiCase(answer, characters);
}

bool IsDrawable(std::string_view characters)
{
    for (char c : characters) {
        if (glyphCharacters.find(AsciiUpper(c)) == std::string_view::npos)
            return false;
    }
    return true;
}

std::string ChallengeImagePng(std::string_view characters, std::string_view random)
{
    RgbPicture picture(challengeImageWidth, challengeImageHeight);
    Noise noise(Fnv1a64("picture:" + std::string(random)));

    for (int y = 0; y < picture.Height; ++y) {
        for (int x = 0; x < picture.Width; ++x) {
            auto shade = static_cast<uint8_t>(246 - y / 6);
            picture.Set(x, y, shade, shade, static_cast<uint8_t>(shade - 14));
        }
    }
    for (int speck = 0; speck < 600; ++speck) {
        auto grey = static_cast<uint8_t>(noise.Between(150, 215));
        picture.Set(noise.Between(0, picture.Width - 1), noise.Between(0, picture.Height - 1), grey, grey, grey);
    }

    const int glyphPixels = glyphWidth * pixelScale;
    const int count = static_cast<int>(characters.size());
    const int textWidth = count * glyphPixels + (count > 0 ? (count - 1) * characterGap : 0);
    int left = (picture.Width - textWidth) / 2;
    for (char c : characters) {
        const int top = (picture.Height - glyphHeight * pixelScale) / 2 + noise.Between(-6, 6);
        // Leaning by up to three pixels at the top and bottom, one pixel row at a time.
        const int slant = noise.Between(-1, 1);
        const int middle = top + glyphHeight * pixelScale / 2;
        for (int y = top; y < top + glyphHeight * pixelScale; ++y) {
            const int shift = slant * (middle - y) / 7;
            for (int x = 0; x < glyphPixels; ++x) {
                if (GlyphPixel(AsciiUpper(c), x / pixelScale, (y - top) / pixelScale))
                    picture.Set(left + x + shift, y, 0x22, 0x33, 0x77);
            }
        }
        left += glyphPixels + characterGap;
    }

    // Two thin strokes across the characters, as such pictures have.
    for (int stroke = 0; stroke < 2; ++stroke) {
        int y = noise.Between(15, picture.Height - 15);
        for (int x = 0; x < picture.Width; ++x) {
            if (x % 3 == 0)
                y += noise.Between(-1, 1);
            picture.Set(x, y, 0x99, 0x88, 0x66);
        }
    }
    return EncodePng(picture);
}
