#include "core/keyword_import.h"

#include "core/file_system.h"

#include <algorithm>

void ForEachKeywordLine(std::string_view text, const std::function<void(std::string_view)>& onLine)
{
    const std::size_t end = std::min(text.find('\0'), text.size());
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < end) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        onLine(text.substr(start, i - start));
        i += (c == '\r' && i + 1 < end && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < end)
        onLine(text.substr(start, end - start));
}

void ImportKeywordFile(KeywordList& list, StatusPanels& status, const std::string& fileName)
{
    if (!IsExistingFile(fileName))
        return;
    const std::string text = ReadWholeFile(fileName);

    std::size_t lineCount = 0;
    ForEachKeywordLine(text, [&](std::string_view) { ++lineCount; });

    KeywordList::AppendBatch batch(list, lineCount);
    ForEachKeywordLine(text, [&](std::string_view line) {
        list.AppendRow(list.CountRows() + 1, std::string(line), std::string());
        status.ShowRowCountStatus("Total: " + std::to_string(list.CountRows()));
    });
}
