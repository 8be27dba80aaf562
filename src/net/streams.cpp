#include "net/streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

MemoryStream::MemoryStream(std::string_view data)
{
    Write(data.data(), static_cast<int64_t>(data.size()));
    FPosition = 0;
}

void MemoryStream::Reserve(int64_t size)
{
    if (size <= FCapacity)
        return;
    const int64_t capacity = std::max(size, 2 * FCapacity);
    char* const memory = static_cast<char*>(std::realloc(FMemory.get(), static_cast<size_t>(capacity)));
    if (memory == nullptr)
        throw std::bad_alloc();
    [[maybe_unused]] char* const moved = FMemory.release();
    FMemory.reset(memory);
    FCapacity = capacity;
}

int64_t MemoryStream::Read(void* buffer, int64_t count)
{
    const int64_t available = std::max<int64_t>(0, FSize - FPosition);
    const int64_t n = std::clamp<int64_t>(count, 0, available);
    if (n > 0)
        std::memcpy(buffer, FMemory.get() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t MemoryStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    if (FPosition > FSize)
        SetSize(FPosition);
    Reserve(FPosition + count);
    std::memcpy(FMemory.get() + FPosition, buffer, static_cast<size_t>(count));
    FPosition += count;
    FSize = std::max(FSize, FPosition);
    FPeakSize = std::max(FPeakSize, FSize);
    return count;
}

void MemoryStream::SetPosition(int64_t position)
{
    FPosition = std::max<int64_t>(0, position);
}

void MemoryStream::SetSize(int64_t size)
{
    size = std::max<int64_t>(0, size);
    if (size > FSize) {
        Reserve(size);
        std::memset(FMemory.get() + FSize, 0, static_cast<size_t>(size - FSize));
    }
    FSize = size;
    FPosition = std::min(FPosition, FSize);
    FPeakSize = std::max(FPeakSize, FSize);
}

FileStream::FileStream(const std::string& fileName, Mode mode) : FFileName(fileName)
{
    if (mode != Mode::OpenRead) {
        const int emptied = mode == Mode::CreateEmpty ? O_TRUNC : 0;
        FHandle = ::open(fileName.c_str(), O_RDWR | O_CREAT | emptied | O_CLOEXEC, 0666);
        if (FHandle < 0)
            Fail("Cannot create file");
    } else {
        FHandle = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
        if (FHandle < 0)
            Fail("Cannot open file");
    }
}

FileStream::~FileStream()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

void FileStream::Fail(const char* what) const
{
    throw EFileStreamError(std::string(what) + " \"" + FFileName + "\". " + std::strerror(errno));
}

int64_t FileStream::Read(void* buffer, int64_t count)
{
    int64_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n = ::pread(FHandle, out + done, static_cast<size_t>(count - done), FPosition + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("Cannot read file");
        }
        if (n == 0)
            break;
        done += n;
    }
    FPosition += done;
    return done;
}

int64_t FileStream::Write(const void* buffer, int64_t count)
{
    int64_t done = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (done < count) {
        const ssize_t n = ::pwrite(FHandle, in + done, static_cast<size_t>(count - done), FPosition + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("Cannot write file");
        }
        done += n;
    }
    FPosition += done;
    return done;
}

void FileStream::SetPosition(int64_t position)
{
    FPosition = std::max<int64_t>(0, position);
}

int64_t FileStream::Size() const
{
    struct stat info {};
    if (::fstat(FHandle, &info) != 0)
        Fail("Cannot read the size of file");
    return info.st_size;
}

void FileStream::SetSize(int64_t size)
{
    if (::ftruncate(FHandle, std::max<int64_t>(0, size)) != 0)
        Fail("Cannot set the size of file");
    FPosition = std::min(FPosition, Size());
}
