// The security image challenge of the suggestion service: which characters a challenge
// asks for, how an answer is checked, and the picture that shows the characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr std::size_t challengeLength = 5;
// A challenge is named by its random value: this many lower-case hexadecimal digits.
constexpr std::size_t randomLength = 8;

// Five characters of the picture font, chosen by the random value alone, so the picture
// can be served to a client that does not carry the session's cookie.
std::string ChallengeCharacters(std::string_view random);

bool IsChallengeRandom(std::string_view text);

// Letter case does not count; anything else must match exactly.
bool AnswerMatches(std::string_view answer, std::string_view characters);

// Whether every character can be drawn (the picture font has it, letter case aside).
bool IsDrawable(std::string_view characters);

constexpr int challengeImageWidth = 200;
constexpr int challengeImageHeight = 70;

// A PNG of challengeImageWidth x challengeImageHeight showing the characters (upper
// case) in dark blue on a light, speckled background; the speckles, lines and the
// characters' offsets follow from `random`.
std::string ChallengeImagePng(std::string_view characters, std::string_view random);
