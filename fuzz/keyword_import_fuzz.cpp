// Keyword list files in any encoding and with any line ends: every line is whole, holds no
// line break or NUL, and the rows land in the list in file order.
#include "fuzz_check.h"

#include "core/keyword_import.h"
#include "core/keyword_list.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t textEnd = std::min(text.find('\0'), text.size());
    std::vector<std::string_view> lines;
    size_t lineBytes = 0;
    ForEachKeywordLine(text, [&](std::string_view line) {
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos);
        FUZZ_CHECK(line.data() >= text.data() && line.data() + line.size() <= text.data() + textEnd);
        FUZZ_CHECK(lines.empty() || line.data() > lines.back().data() + lines.back().size());
        lineBytes += line.size();
        lines.push_back(line);
    });
    FUZZ_CHECK(lineBytes <= textEnd);

    KeywordList list;
    for (const std::string_view line : lines)
        list.AppendRow(list.CountRows() + 1, std::string(line), std::string());
    FUZZ_CHECK(static_cast<size_t>(list.CountRows()) == lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        FUZZ_CHECK(list.CellText(static_cast<int>(i), KeywordRow::Keywords) == lines[i]);
    return 0;
}
