#include "core/results_export.h"

#include "core/kei.h"
#include "core/list_columns.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void AppendField(std::string& line, std::string_view field, bool first, char delimiter)
{
    if (!first)
        line += delimiter;
    line += '"';
    for (char c : field) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

std::string SystemReason()
{
    return std::strerror(errno);
}

// Closes the descriptor and removes the temporary file unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target)
    {
        const std::string::size_type slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
        const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
        for (int attempt = 0; attempt < 100 && FHandle < 0; ++attempt) {
            FName = folder + "." + base + ".saving-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
            FHandle = ::open(FName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (FHandle < 0 && errno != EEXIST)
                break;
        }
        if (FHandle < 0)
            throw SaveError(SystemReason());
    }

    ~TemporaryFile()
    {
        if (FHandle >= 0)
            ::close(FHandle);
        if (!FRenamed)
            ::unlink(FName.c_str());
    }

    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void Write(const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(FHandle, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw SaveError(n < 0 ? SystemReason() : std::string("No space left on device"));
            done += static_cast<std::size_t>(n);
        }
    }

    void KeepModeOf(const std::string& target)
    {
        struct stat info {};
        if (::stat(target.c_str(), &info) == 0)
            ::fchmod(FHandle, info.st_mode & 07777);
    }

    void RenameTo(const std::string& target)
    {
        if (::fsync(FHandle) != 0 || ::close(FHandle) != 0) {
            FHandle = -1;
            throw SaveError(SystemReason());
        }
        FHandle = -1;
        if (::rename(FName.c_str(), target.c_str()) != 0)
            throw SaveError(SystemReason());
        FRenamed = true;
    }

private:
    std::string FName;
    int FHandle = -1;
    bool FRenamed = false;
};

} // namespace

std::string ResultsCsvText(const KeywordList& list, const CsvLayout& layout)
{
    const char delimiter = layout.Dialect.Delimiter;
    const int columns = ListColumns::StoredColumnCount(list);
    const int engines = layout.KeiColumns ? ListColumns::EngineCount(list) : 0;
    std::string text;
    text.reserve(static_cast<std::size_t>(list.CountRows() + 1) * 64);
    if (layout.Dialect.ByteOrderMark)
        text += Utf8ByteOrderMark;
    for (int column = 0; column < columns; ++column)
        AppendField(text, ListColumns::StoredColumnCaption(list, column), column == 0, delimiter);
    for (int engine = 0; engine < engines; ++engine)
        AppendField(text, ListColumns::KeiCaption(list, engine), false, delimiter);
    text += "\r\n";
    for (int row = 0; row < list.CountRows(); ++row) {
        AppendField(text, list.RowCaption(row), true, delimiter);
        for (int cell = 0; cell < ListColumns::CellCount(list); ++cell) {
            const std::string& value = list.CellText(row, cell);
            const bool count = cell != KeywordRow::Keywords;
            AppendField(text, count && layout.Dialect.PlainNumbers ? PlainNumber(value) : value, false, delimiter);
        }
        for (int engine = 0; engine < engines; ++engine)
            AppendField(text,
                        KeiText(list.CellText(row, KeywordRow::Searches),
                                list.CellText(row, ListColumns::EngineCell(list, engine))),
                        false, delimiter);
        text += "\r\n";
    }
    return text;
}

std::string WithCsvExtension(const std::string& fileName)
{
    const std::string::size_type slash = fileName.rfind('/');
    const std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const std::string::size_type dot = base.rfind('.');
    if (dot != std::string::npos && strcasecmp(base.c_str() + dot, ".csv") == 0)
        return fileName;
    return fileName + ".csv";
}

// Links followed before a save gives up: the system's own limit for one path name.
constexpr int MaxLinksFollowed = 40;

std::string LinkTarget(const std::string& fileName)
{
    std::string target = fileName;
    for (int followed = 0; followed <= MaxLinksFollowed; ++followed) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return target;
        std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1, '\0');
        const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length < 0)
            throw SaveError(SystemReason());
        link.resize(static_cast<std::size_t>(length));
        // A relative target is relative to the folder that holds the link.
        const std::string::size_type slash = target.rfind('/');
        target = link.front() == '/' || slash == std::string::npos ? link : target.substr(0, slash + 1) + link;
    }
    errno = ELOOP;
    throw SaveError(SystemReason());
}

void WriteFileReplacing(const std::string& fileName, const std::string& bytes)
{
    // Renaming over a symbolic link would replace the link; the file it points at is the
    // one to write, in that file's own folder. A link to no file yet creates that file.
    const std::string target = LinkTarget(fileName);
    TemporaryFile temporary(target);
    temporary.Write(bytes);
    temporary.KeepModeOf(target);
    temporary.RenameTo(target);
}

std::optional<SavedResults> SaveResults(const KeywordList& list, MessagePrompter& prompter,
                                        SaveFileChooser& chooser,
                                        const CsvLayout& layout)
{
    if (list.CountRows() == 0) {
        prompter.ShowMessageDialog("You don't have any data to save.", MessageButtons::Ok);
        return std::nullopt;
    }
    const std::optional<std::string> fileName = chooser.ChooseSaveFile();
    if (!fileName)
        return std::nullopt;
    try {
        WriteFileReplacing(*fileName, ResultsCsvText(list, layout));
    } catch (const SaveError& error) {
        prompter.ShowMessageDialog(std::string("Could not save the results: ") + error.what() + ".",
                                   MessageButtons::Ok);
        return std::nullopt;
    }
    return SavedResults{list.CountRows(), *fileName};
}
