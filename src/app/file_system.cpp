#include "app/file_system.h"

#include "net/streams.h"

#include <sys/stat.h>

bool IsExistingFile(const std::string& fileName)
{
    struct stat info {};
    return !fileName.empty() && ::stat(fileName.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string ReadWholeFile(const std::string& fileName)
{
    TFileStream file(fileName, TFileStream::Mode::OpenRead);
    std::string text(static_cast<std::size_t>(file.Size()), '\0');
    text.resize(static_cast<std::size_t>(file.Read(text.data(), static_cast<int64_t>(text.size()))));
    return text;
}
