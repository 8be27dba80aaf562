#include "request_log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

RequestLog::RequestLog(const std::string& fileName)
    : FHandle(open(fileName.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644))
{
    if (FHandle < 0)
        throw std::runtime_error("cannot open the log file " + fileName + ": " + std::strerror(errno));
}

RequestLog::~RequestLog()
{
    close(FHandle);
}

void RequestLog::Append(std::string_view head)
{
    while (!head.empty()) {
        ssize_t written = write(FHandle, head.data(), head.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return; // a full disk must not stop the service
        head.remove_prefix(static_cast<std::size_t>(written));
    }
}
