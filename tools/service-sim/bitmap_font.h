// A 5 x 7 pixel font of the characters a security image may show: capital letters and
// digits that cannot be mistaken for one another (no B/8, I/1/L, O/0/Q, S/5, Z/2, G/6).
#pragma once

#include <string_view>

constexpr int glyphWidth = 5;
constexpr int glyphHeight = 7;

// Every character the font has, in a fixed order.
constexpr std::string_view glyphCharacters = "ACDEFHJKMNPRTUVWXY34679";

// Whether the pixel at column x (0 to 4), row y (0 to 6) of the character's glyph is set.
// A character the font lacks has no pixels.
bool GlyphPixel(char character, int x, int y);
