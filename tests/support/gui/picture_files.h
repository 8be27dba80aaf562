// Picture files made in the test: a GIF of several frames (written here, as Qt has no
// GIF writer) and pictures of the other formats through Qt's own writers.
#pragma once

#include <string>

// A GIF of the given size and frame count, 20 ms a frame, without a loop count of its
// own (a plain player shows it once). Each frame is one colour, different per frame.
std::string GifBytes(int width, int height, int frames);

// A one-colour picture in a format Qt writes ("jpeg", "bmp", "ico", "png").
std::string PictureBytes(int width, int height, const char* format);
