#include "core/results_import.h"

#include "core/csv_dialect.h"
#include "core/keyword_commands.h"
#include "core/list_columns.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int NumberColumn = -1;
constexpr int KeiColumn = -2;
// Digits of a row number: any 32-bit one.
constexpr std::size_t MaxNumberDigits = 10;

// A text from the file as a message may show it: cut short (never inside a UTF-8
// character), control bytes as "?".
std::string Quoted(std::string_view text)
{
    std::size_t shownBytes = std::min(text.size(), MaxQuotedCaptionBytes);
    while (shownBytes > 0 && shownBytes < text.size() && (static_cast<unsigned char>(text[shownBytes]) & 0xC0) == 0x80)
        --shownBytes;
    std::string shown = "\"";
    for (std::size_t i = 0; i < shownBytes; ++i)
        shown += static_cast<unsigned char>(text[i]) < 0x20 ? '?' : text[i];
    if (shownBytes < text.size())
        shown += "...";
    return shown + "\"";
}

bool IsRowNumber(std::string_view text)
{
    if (text.empty() || text.size() > MaxNumberDigits)
        return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value <= INT_MAX;
}

} // namespace

ResultsFormatError::ResultsFormatError(uint64_t line, const std::string& reason)
    : std::runtime_error("line " + std::to_string(line) + ": " + reason), FLine(line)
{
}

ResultsCsvReader::ResultsCsvReader(const KeywordList& list) : FList(list) {}

void ResultsCsvReader::Refuse(const std::string& reason) const
{
    throw ResultsFormatError(FRecordLine, reason);
}

void ResultsCsvReader::Feed(std::string_view bytes)
{
    if (!FStartDone) {
        const std::size_t take = std::min(bytes.size(), Utf8ByteOrderMark.size() - FStart.size());
        FStart.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (FStart.size() < Utf8ByteOrderMark.size())
            return;
        FStartDone = true;
        const std::string start = std::move(FStart);
        if (start != Utf8ByteOrderMark)
            Parse(start);
    }
    Parse(bytes);
}

void ResultsCsvReader::Parse(std::string_view bytes)
{
    for (const char c : bytes) {
        const bool lineBreak = c == '\r' || c == '\n';
        if (!FInRecord && !lineBreak) {
            FInRecord = true;
            FRecordLine = FLine;
            FRecordBytes = 0;
        }
        if (c == '\r' || (c == '\n' && !FPreviousCR))
            ++FLine;
        FPreviousCR = c == '\r';
        if (!FInRecord)
            continue; // an empty line between records
        if (c == '\0')
            Refuse("a NUL byte");
        if (++FRecordBytes > MaxRecordBytes)
            Refuse("a record longer than " + std::to_string(MaxRecordBytes) + " bytes");

        if (FState == State::Quoted) {
            if (c == '"')
                FState = State::QuoteSeen;
            else
                FField += c;
            continue;
        }
        if (FState == State::QuoteSeen && c == '"') {
            FField += '"';
            FState = State::Quoted;
            continue;
        }
        if (!FHeaderRead && FDelimiter == 0 && CsvDelimiters.find(c) != std::string_view::npos)
            FDelimiter = c;
        if (c == FDelimiter && FDelimiter != 0) {
            EndField();
            continue;
        }
        if (lineBreak) {
            EndField();
            EndRecord();
            continue;
        }
        switch (FState) {
        case State::FieldStart:
            if (c == '"') {
                FState = State::Quoted;
            } else {
                FField += c;
                FState = State::Unquoted;
            }
            break;
        case State::Unquoted:
            if (c == '"')
                Refuse("a quote inside a field that does not start with one");
            FField += c;
            break;
        case State::QuoteSeen:
            Refuse("text after the closing quote of a field");
        case State::Quoted:
            break;
        }
    }
}

void ResultsCsvReader::EndField()
{
    if (FHeaderRead && FFields.size() >= FColumnCells.size())
        Refuse("more fields than the header has columns (" + std::to_string(FColumnCells.size()) + ")");
    FFields.push_back(std::move(FField));
    FField.clear();
    FState = State::FieldStart;
}

void ResultsCsvReader::EndRecord()
{
    if (FHeaderRead)
        ReadRow();
    else
        ReadHeader();
    FFields.clear();
    FInRecord = false;
}

void ResultsCsvReader::ReadHeader()
{
    const int engines = ListColumns::EngineCount(FList);
    std::vector<bool> taken(static_cast<std::size_t>(ListColumns::CellCount(FList)), false);
    bool numbered = false;
    for (const std::string& caption : FFields) {
        int cell = -3;
        if (caption == ListColumns::StoredColumnCaption(FList, 0))
            cell = NumberColumn;
        for (int column = 1; column < ListColumns::StoredColumnCount(FList); ++column)
            if (caption == ListColumns::StoredColumnCaption(FList, column))
                cell = column - 1;
        for (int engine = 0; engine < engines; ++engine)
            if (caption == ListColumns::KeiCaption(FList, engine))
                cell = KeiColumn;
        if (cell == -3)
            Refuse("the header names an unknown column " + Quoted(caption));
        if (cell == KeiColumn) {
            FResults.KeiColumns = true;
        } else if (cell == NumberColumn ? numbered : taken[static_cast<std::size_t>(cell)]) {
            Refuse("the header names the column " + Quoted(caption) + " twice");
        } else if (cell == NumberColumn) {
            numbered = true;
        } else {
            taken[static_cast<std::size_t>(cell)] = true;
        }
        FColumnCells.push_back(cell);
    }
    if (!numbered)
        Refuse("the header has no \"" + ListColumns::StoredColumnCaption(FList, 0) + "\" column");
    if (!taken[KeywordRow::Keywords])
        Refuse("the header has no \"" + ListColumns::StoredColumnCaption(FList, 1 + KeywordRow::Keywords) +
               "\" column");
    FHeaderRead = true;
}

void ResultsCsvReader::ReadRow()
{
    if (FFields.size() != FColumnCells.size())
        Refuse(std::to_string(FFields.size()) + " fields where the header has " +
               std::to_string(FColumnCells.size()));
    if (FResults.Rows.size() >= MaxOpenedRows)
        Refuse("more than " + std::to_string(MaxOpenedRows) + " rows");
    KeywordRow row;
    for (std::size_t column = 0; column < FFields.size(); ++column) {
        const int cell = FColumnCells[column];
        if (cell == NumberColumn) {
            if (!IsRowNumber(FFields[column]))
                Refuse(Quoted(FFields[column]) + " is not a row number");
            row.Caption = std::move(FFields[column]);
        } else if (cell != KeiColumn) {
            row.SetCell(cell, std::move(FFields[column]));
        }
    }
    FResults.Rows.push_back(std::move(row));
}

OpenedResults ResultsCsvReader::Finish()
{
    if (!FStartDone) {
        FStartDone = true;
        Parse(std::exchange(FStart, {}));
    }
    if (FState == State::Quoted)
        Refuse("a quote is never closed");
    if (FInRecord) {
        EndField();
        EndRecord();
    }
    if (!FHeaderRead)
        throw ResultsFormatError(1, "no header line");
    return std::move(FResults);
}

namespace {

// Closes the descriptor on every path.
struct FileHandle {
    int Handle = -1;
    ~FileHandle()
    {
        if (Handle >= 0)
            ::close(Handle);
    }
};

[[noreturn]] void RaiseSystemError()
{
    throw ResultsFileError(std::strerror(errno));
}

} // namespace

std::optional<OpenedResults> ReadResultsFile(const std::string& fileName, const KeywordList& list,
                                             const std::function<bool(uint64_t, uint64_t)>& progress)
{
    // Not blocking: a FIFO named by mistake must not hang the window in open().
    FileHandle file{::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.Handle < 0)
        RaiseSystemError();
    struct stat info {};
    if (::fstat(file.Handle, &info) != 0)
        RaiseSystemError();
    if (!S_ISREG(info.st_mode))
        throw ResultsFileError("not a regular file");
    const uint64_t total = static_cast<uint64_t>(info.st_size);

    ResultsCsvReader reader(list);
    std::string piece(ReadPieceBytes, '\0');
    uint64_t done = 0;
    while (true) {
        const ssize_t n = ::read(file.Handle, piece.data(), piece.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            RaiseSystemError();
        if (n == 0)
            break;
        reader.Feed(std::string_view(piece.data(), static_cast<std::size_t>(n)));
        done += static_cast<uint64_t>(n);
        if (!progress(done, total))
            return std::nullopt;
    }
    return reader.Finish();
}

bool OpenResults(KeywordList& list, MessagePrompter& prompter, StatusPanels& status, OpenFileChooser& chooser,
                 const std::function<bool(uint64_t, uint64_t)>& progress)
{
    const std::optional<std::string> fileName = chooser.ChooseOpenFile();
    if (!fileName)
        return false;
    std::optional<OpenedResults> opened;
    try {
        opened = ReadResultsFile(*fileName, list, progress);
    } catch (const ResultsFormatError& error) {
        prompter.ShowMessageDialog(std::string("This is not a results file: ") + error.what() + ".",
                                   MessageButtons::Ok);
        return false;
    } catch (const ResultsFileError& error) {
        prompter.ShowMessageDialog(std::string("Could not open the file: ") + error.what() + ".", MessageButtons::Ok);
        return false;
    }
    if (!opened)
        return false;
    list.AppendRows(std::move(opened->Rows));
    ShowRowCount(list, status);
    return opened->KeiColumns;
}
