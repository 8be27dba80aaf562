// Saving the keyword table as a CSV file.
#pragma once

#include "core/csv_dialect.h"
#include "core/keyword_list.h"
#include "core/user_interface.h"

#include <optional>
#include <stdexcept>
#include <string>

// What a results file holds: the dialect, and the KEI columns while they are shown.
struct CsvLayout {
    CsvDialect Dialect;
    bool KeiColumns = false;
};

// Every field in double quotes (a quote inside a field doubled), fields separated by
// the dialect's delimiter, CR LF after every line, a byte-order mark first when the
// dialect asks; first the column captions, then every row in the order shown: its
// number and its cells, bytes as the cells hold them (counts as digits alone with plain
// numbers), then its KEI values when asked.
std::string ResultsCsvText(const KeywordList& list, const CsvLayout& layout = {});

// ".csv" is added unless the name already ends in ".csv" in any letter case.
std::string WithCsvExtension(const std::string& fileName);

// A save that failed; the message is the system's reason.
class SaveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes a temporary file in the target's folder and renames it over the target only
// once it is complete, so a failed save never damages the file it would replace. A
// symbolic link is followed: the file it points at is written and the link stays.
void WriteFileReplacing(const std::string& fileName, const std::string& bytes);

// The save dialog: the confirmed file name (".csv" rule applied), or nothing.
class SaveFileChooser {
public:
    virtual ~SaveFileChooser() = default;
    virtual std::optional<std::string> ChooseSaveFile() = 0;
};

// A save that wrote its file.
struct SavedResults {
    int Rows = 0;
    std::string FileName;
};

// Nothing when the list was empty, the dialog was cancelled or the file could not be
// written (the user has been told why).
std::optional<SavedResults> SaveResults(const KeywordList& list, MessagePrompter& prompter,
                                        SaveFileChooser& chooser,
                                        const CsvLayout& layout = {});
