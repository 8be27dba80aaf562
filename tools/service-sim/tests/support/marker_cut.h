// The way the program reads a count out of a page, written again here from its rules so
// that the tests check the pages against the reader and not against the page generator:
// first occurrence, ASCII letters compared without case, skip then take.
#pragma once

#include <string>
#include <string_view>

// Cuts the text between the first `start` and the next `end` out of `working`, leaving
// `working` to begin at that `end`; see the rules in the .cpp.
std::string CutBetween(std::string& working, std::string_view start, std::string_view end);

struct CountMarkers {
    std::string_view Skip;
    std::string_view ValueStart;
    std::string_view ValueEnd;
};

// The count markers of the three engines, in the order google, yahoo, msn.
extern const CountMarkers googleMarkers;
extern const CountMarkers yahooMarkers;
extern const CountMarkers msnMarkers;

// Skip to the first Skip, then take what lies between the next ValueStart and ValueEnd.
std::string ReadCount(std::string_view page, const CountMarkers& markers);
