#include "bitmap_font.h"
#include "challenge.h"
#include "png_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

bool IsInk(const uint8_t* pixel)
{
    return pixel[0] == 0x22 && pixel[1] == 0x33 && pixel[2] == 0x77;
}

int GlyphPixelCount(char c)
{
    int count = 0;
    for (int y = 0; y < glyphHeight; ++y)
        for (int x = 0; x < glyphWidth; ++x)
            count += GlyphPixel(c, x, y) ? 1 : 0;
    return count;
}

TEST(ChallengeTest, CharactersFollowFromTheRandomValueAlone)
{
    std::set<std::string> seen;
    for (const char* random : { "00000000", "9e3779b1", "5bd1e995", "deadbeef", "0000000a" }) {
        const std::string characters = ChallengeCharacters(random);
        EXPECT_EQ(characters, ChallengeCharacters(random)) << random;
        EXPECT_EQ(characters.size(), challengeLength) << random;
        EXPECT_TRUE(IsDrawable(characters)) << characters;
        seen.insert(characters);
    }
    EXPECT_EQ(seen.size(), 5u) << "different challenges should ask for different characters";
}

TEST(ChallengeTest, RandomValuesAreEightLowerCaseHexDigits)
{
    EXPECT_TRUE(IsChallengeRandom("0123abcd"));
    for (const char* bad : { "", "0123abc", "0123abcde", "0123ABCD", "0123abcg", "../../x" })
        EXPECT_FALSE(IsChallengeRandom(bad)) << bad;
}

TEST(ChallengeTest, AnAnswerMatchesWithoutRegardToLetterCaseOnly)
{
    struct Case {
        const char* Answer;
        bool Matches;
    };
    const Case cases[] = {
        { "KX7MA", true }, { "kx7ma", true }, { "Kx7mA", true },
        { "KX7M", false }, { "KX7MAA", false }, { " KX7MA", false }, { "KX7 MA", false }, { "", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(AnswerMatches(c.Answer, "KX7MA"), c.Matches) << "[" << c.Answer << "]";
}

TEST(ChallengeTest, TheFontDrawsEveryCharacterItOffersAndNothingElse)
{
    for (char c : glyphCharacters)
        EXPECT_GT(GlyphPixelCount(c), 8) << c;
    for (char c : std::string_view("BIOSZ0128 "))
        EXPECT_EQ(GlyphPixelCount(c), 0) << c;
    EXPECT_TRUE(IsDrawable("acdef"));
    EXPECT_FALSE(IsDrawable("ABCDE")); // B looks like 8
}

TEST(ChallengeTest, ThePictureIsAValidPngShowingTheCharactersWhole)
{
    for (const char* characters : { "KX7MA", "TTTTT", "JWY39" }) {
        const std::string bytes = ChallengeImagePng(characters, "9e3779b1");
        std::string why;
        std::optional<DecodedPng> png = ReadPng(bytes, why);
        ASSERT_TRUE(png) << why;
        EXPECT_EQ(png->Width, challengeImageWidth);
        EXPECT_EQ(png->Height, challengeImageHeight);

        // Every font pixel is a 6 x 6 square of ink; the two strokes drawn over the
        // characters may cover some of it, at most one pixel per column each.
        int expectedInk = 0;
        for (char c : std::string_view(characters))
            expectedInk += GlyphPixelCount(c) * 36;
        int ink = 0;
        std::vector<bool> inkInColumn(static_cast<std::size_t>(png->Width), false);
        for (int y = 0; y < png->Height; ++y) {
            for (int x = 0; x < png->Width; ++x) {
                if (IsInk(png->Pixel(x, y))) {
                    ++ink;
                    inkInColumn[static_cast<std::size_t>(x)] = true;
                }
            }
        }
        EXPECT_LE(ink, expectedInk) << characters;
        EXPECT_GE(ink, expectedInk - 2 * png->Width) << characters;

        // Five glyphs side by side, none of them cut off at an edge.
        int first = png->Width;
        int last = -1;
        for (int x = 0; x < png->Width; ++x) {
            if (inkInColumn[static_cast<std::size_t>(x)]) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
        EXPECT_GE(last - first, 5 * glyphWidth * 5) << characters;
        EXPECT_GE(first, 3) << characters;
        EXPECT_LE(last, png->Width - 4) << characters;
        for (int x = 0; x < png->Width; ++x) {
            for (int y : { 0, 1, 2, png->Height - 3, png->Height - 2, png->Height - 1 })
                EXPECT_FALSE(IsInk(png->Pixel(x, y))) << characters << " at " << x << "," << y;
        }
    }
}

TEST(ChallengeTest, TheSamePictureForTheSameChallengeAndAnotherForOtherCharacters)
{
    EXPECT_EQ(ChallengeImagePng("KX7MA", "9e3779b1"), ChallengeImagePng("KX7MA", "9e3779b1"));
    EXPECT_NE(ChallengeImagePng("KX7MA", "9e3779b1"), ChallengeImagePng("KX7MH", "9e3779b1"));
    EXPECT_EQ(ChallengeImagePng("kx7ma", "9e3779b1"), ChallengeImagePng("KX7MA", "9e3779b1"));
}

}
