// Results files of any shape: reading never crashes; a file read in pieces reads as it
// does whole, refusals included; and every file that is read saves and reads back to
// the same rows.
#include "fuzz_check.h"

#include "core/results_export.h"
#include "core/results_import.h"

#include <optional>
#include <string>
#include <string_view>

namespace {

struct Outcome {
    std::optional<OpenedResults> Opened;
    std::string Refusal;
};

Outcome Read(std::string_view bytes, std::size_t piece)
{
    const KeywordList columns;
    ResultsCsvReader reader(columns);
    Outcome outcome;
    try {
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            reader.Feed(bytes.substr(at, piece));
        outcome.Opened = reader.Finish();
    } catch (const ResultsFormatError& error) {
        outcome.Refusal = error.what();
    }
    return outcome;
}

bool SameRows(const std::vector<KeywordRow>& a, const std::vector<KeywordRow>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t row = 0; row < a.size(); ++row)
        if (a[row].Caption != b[row].Caption || a[row].Cells != b[row].Cells)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte sets the piece size the second read uses.
    const std::size_t piece = 1 + data[0] % 17;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    const Outcome whole = Read(bytes, bytes.size() + 1);
    const Outcome pieces = Read(bytes, piece);
    FUZZ_CHECK(whole.Refusal == pieces.Refusal);
    FUZZ_CHECK(whole.Opened.has_value() == pieces.Opened.has_value());
    if (!whole.Opened)
        return 0;
    FUZZ_CHECK(SameRows(whole.Opened->Rows, pieces.Opened->Rows));

    for (const char delimiter : CsvDelimiters) {
        KeywordList list;
        list.AppendRows(whole.Opened->Rows);
        const std::string saved = ResultsCsvText(list, {{delimiter, delimiter == ';', false}});
        const Outcome again = Read(saved, saved.size() + 1);
        FUZZ_CHECK(again.Opened.has_value());
        FUZZ_CHECK(SameRows(again.Opened->Rows, whole.Opened->Rows));
    }
    return 0;
}
