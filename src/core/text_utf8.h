// A cell's bytes as UTF-8 for what leaves the table as text (the clipboard, a keyword
// file, case folding): read the way the table shows them, valid UTF-8 as it is and
// anything else as Windows-1252.
#pragma once

#include <string>
#include <string_view>

std::string TextAsUtf8(std::string_view bytes);
