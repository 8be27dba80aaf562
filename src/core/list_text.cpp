#include "core/list_text.h"

#include "core/kei.h"
#include "core/keyword_import.h"
#include "core/list_columns.h"
#include "core/text_utf8.h"

#include <algorithm>

namespace {

// Appends the text, each of `breaks` in it turned into a space.
void AppendFlattened(std::string& out, std::string_view text, std::string_view breaks)
{
    const std::size_t start = out.size();
    out += text;
    std::replace_if(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(),
                    [&](char c) { return breaks.find(c) != std::string_view::npos; }, ' ');
}

void AppendCopiedField(std::string& out, std::string_view bytes, bool first)
{
    if (!first)
        out += '\t';
    AppendFlattened(out, TextAsUtf8(bytes), "\t\r\n");
}

bool HasMoreThanBlanks(std::string_view line)
{
    return line.find_first_not_of(" \t") != std::string_view::npos;
}

} // namespace

std::vector<int> RowsToCopy(const KeywordList& list, std::vector<int> highlighted)
{
    std::erase_if(highlighted, [&](int row) { return row < 0 || row >= list.CountRows(); });
    std::sort(highlighted.begin(), highlighted.end());
    highlighted.erase(std::unique(highlighted.begin(), highlighted.end()), highlighted.end());
    if (!highlighted.empty())
        return highlighted;
    std::vector<int> rows;
    for (int row = 0; row < list.CountRows(); ++row)
        if (list.IsRowTicked(row))
            rows.push_back(row);
    if (!rows.empty())
        return rows;
    rows.resize(static_cast<std::size_t>(list.CountRows()));
    for (int row = 0; row < list.CountRows(); ++row)
        rows[static_cast<std::size_t>(row)] = row;
    return rows;
}

std::string CopiedRowsText(const KeywordList& list, const std::vector<int>& rows, bool keiColumns)
{
    const int engines = keiColumns ? ListColumns::EngineCount(list) : 0;
    std::string text;
    text.reserve((rows.size() + 1) * 48);
    for (int column = 0; column < ListColumns::StoredColumnCount(list); ++column)
        AppendCopiedField(text, ListColumns::StoredColumnCaption(list, column), column == 0);
    for (int engine = 0; engine < engines; ++engine)
        AppendCopiedField(text, ListColumns::KeiCaption(list, engine), false);
    text += '\n';
    for (const int row : rows) {
        AppendCopiedField(text, list.RowCaption(row), true);
        for (int cell = 0; cell < ListColumns::CellCount(list); ++cell)
            AppendCopiedField(text, list.CellText(row, cell), false);
        for (int engine = 0; engine < engines; ++engine)
            AppendCopiedField(text,
                              KeiText(list.CellText(row, KeywordRow::Searches),
                                      list.CellText(row, ListColumns::EngineCell(list, engine))),
                              false);
        text += '\n';
    }
    return text;
}

int PasteKeywords(KeywordList& list, StatusPanels& status, std::string_view text)
{
    std::size_t count = 0;
    ForEachKeywordLine(text, [&](std::string_view line) { count += HasMoreThanBlanks(line) ? 1 : 0; });
    if (count == 0)
        return 0;
    {
        KeywordList::AppendBatch batch(list, count);
        ForEachKeywordLine(text, [&](std::string_view line) {
            if (HasMoreThanBlanks(line))
                list.AppendRow(list.CountRows() + 1, std::string(line), std::string());
        });
    }
    status.ShowRowCountStatus("Total: " + std::to_string(list.CountRows()));
    return static_cast<int>(count);
}

std::string KeywordListText(const KeywordList& list)
{
    std::string text;
    for (int row = 0; row < list.CountRows(); ++row) {
        AppendFlattened(text, TextAsUtf8(list.CellText(row, KeywordRow::Keywords)), "\r\n");
        text += "\r\n";
    }
    return text;
}

std::string WithTxtExtensionWhenNone(const std::string& fileName)
{
    const std::string::size_type slash = fileName.rfind('/');
    const std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const std::string::size_type dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0 && dot + 1 < base.size())
        return fileName;
    return fileName + ".txt";
}

void ExportKeywordList(const KeywordList& list, MessagePrompter& prompter, SaveFileChooser& chooser)
{
    if (list.CountRows() == 0) {
        prompter.ShowMessageDialog("You don't have any data to save.", MessageButtons::Ok);
        return;
    }
    const std::optional<std::string> fileName = chooser.ChooseSaveFile();
    if (!fileName)
        return;
    try {
        WriteFileReplacing(*fileName, KeywordListText(list));
    } catch (const SaveError& error) {
        prompter.ShowMessageDialog(std::string("Could not save the keywords: ") + error.what() + ".",
                                   MessageButtons::Ok);
    }
}
