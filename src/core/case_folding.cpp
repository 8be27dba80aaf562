#include "core/case_folding.h"

#include "core/text_utf8.h"

#include <algorithm>

std::string FoldedText(std::string_view bytes, const CaseFolder& folder)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    if (!ascii)
        return folder.FoldCase(TextAsUtf8(bytes));
    std::string folded(bytes);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}
