// Byte-wise helpers for 8-bit text: only the ASCII letters have a case.
#pragma once

#include <string>
#include <string_view>

char AsciiLower(char c);
std::string AsciiLowered(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
// Removes spaces and tabs at both ends.
std::string_view TrimBlanks(std::string_view text);
