#include "core/file_system.h"

#include "net/streams.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

std::string ExecutableDirectory()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "./";
    const std::string program(path, static_cast<std::size_t>(length));
    return program.substr(0, program.rfind('/') + 1);
}

bool IsExistingFile(const std::string& fileName)
{
    struct stat info {};
    return !fileName.empty() && ::stat(fileName.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string ReadWholeFile(const std::string& fileName)
{
    FileStream file(fileName, FileStream::Mode::OpenRead);
    std::string text(static_cast<std::size_t>(file.Size()), '\0');
    text.resize(static_cast<std::size_t>(file.Read(text.data(), static_cast<int64_t>(text.size()))));
    return text;
}
