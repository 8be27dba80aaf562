// Open Results: reading back a results file written by Save Results in any dialect.
// The delimiter is found from the header line, a leading byte-order mark is skipped,
// the columns are matched by their captions (in any order; the KEI columns are left to
// be worked out again), and the "No" column gives each row its number. A file that is
// not such a file is refused as a whole, naming its first bad line.
#pragma once

#include "core/keyword_list.h"
#include "core/user_interface.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A row of a saved table is a few hundred bytes; a record a thousand times longer (or
// a quote never closed) is not one, and is not held in memory past this.
constexpr std::size_t MaxRecordBytes = 1 << 20;
// Twice the largest table the tools are built for; at about 250 bytes a row this keeps
// an opened file under half a gigabyte of memory.
constexpr std::size_t MaxOpenedRows = 2'000'000;
// Of a column caption quoted in a message: enough to recognise it.
constexpr std::size_t MaxQuotedCaptionBytes = 40;
// Read at a time: parsed in milliseconds, so the window is pumped well within 250 ms.
constexpr std::size_t ReadPieceBytes = 1 << 20;

// A file that is not a results file: "line N: " and the reason.
class ResultsFormatError : public std::runtime_error {
public:
    ResultsFormatError(uint64_t line, const std::string& reason);
    uint64_t Line() const { return FLine; }

private:
    uint64_t FLine;
};

// A file that could not be read at all; the message is the system's reason.
class ResultsFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OpenedResults {
    std::vector<KeywordRow> Rows;
    bool KeiColumns = false; // the file held KEI columns
};

// Parses a results file fed in pieces of any size; the columns are those of `list`.
class ResultsCsvReader {
public:
    explicit ResultsCsvReader(const KeywordList& list);

    // Raises ResultsFormatError at the first bad line.
    void Feed(std::string_view bytes);
    // The end of the file: the rows read, or ResultsFormatError.
    OpenedResults Finish();

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteSeen };

    void Parse(std::string_view bytes);
    void EndField();
    void EndRecord();
    void ReadHeader();
    void ReadRow();
    [[noreturn]] void Refuse(const std::string& reason) const;

    const KeywordList& FList;
    std::string FStart; // the first bytes, until it is known whether they are a byte-order mark
    bool FStartDone = false;
    State FState = State::FieldStart;
    char FDelimiter = 0; // found in the header line
    bool FPreviousCR = false;
    uint64_t FLine = 1;
    uint64_t FRecordLine = 1;
    bool FInRecord = false;
    std::size_t FRecordBytes = 0;
    std::string FField;
    std::vector<std::string> FFields;
    bool FHeaderRead = false;
    // For each column of the file: the cell it fills, -1 for "No", -2 for a KEI column.
    std::vector<int> FColumnCells;
    OpenedResults FResults;
};

// Reads the file in pieces of ReadPieceBytes; `progress(bytesRead, fileBytes)` runs
// after each and stops the reading when it returns false (then the result is empty).
// Raises ResultsFileError when the file cannot be read, ResultsFormatError when it is
// not a results file.
std::optional<OpenedResults> ReadResultsFile(const std::string& fileName, const KeywordList& list,
                                             const std::function<bool(uint64_t, uint64_t)>& progress);

// The file dialog of Open Results: the chosen existing file, or nothing.
class OpenFileChooser {
public:
    virtual ~OpenFileChooser() = default;
    virtual std::optional<std::string> ChooseOpenFile() = 0;
};

// Chooses a file, reads it and appends its rows with their numbers and counts, then
// shows the row count; a file that is not a results file or cannot be read is refused
// in the message dialog and changes nothing. Returns whether the rows added came with
// KEI columns (the window then shows them).
bool OpenResults(KeywordList& list, MessagePrompter& prompter, StatusPanels& status, OpenFileChooser& chooser,
                 const std::function<bool(uint64_t, uint64_t)>& progress);
