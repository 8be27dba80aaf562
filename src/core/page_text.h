// A downloaded page as the readers see it.
#pragma once

#include <string>
#include <string_view>

// The body cut at its first NUL byte, every line end (CR LF, lone CR, lone LF) made
// CR LF, and CR LF after the last line too; an empty body gives the empty text. No
// other byte is changed.
std::string ToPageText(std::string_view body);
