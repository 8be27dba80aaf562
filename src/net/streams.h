// Byte streams the HTTP client reads request bodies from and writes response bodies
// into: an in-memory stream and a file stream, both with a position and a size that
// can be set, so a body of known length can be given its final size before it arrives.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

class Stream {
public:
    virtual ~Stream() = default;

    // Moves up to count bytes from the current position; returns the number moved.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;

    virtual int64_t Position() const = 0;
    virtual void SetPosition(int64_t position) = 0;
    virtual int64_t Size() const = 0;
    // Grows (with zero bytes) or cuts the stream; the position is kept unless it would
    // lie beyond the new end.
    virtual void SetSize(int64_t size) = 0;
};

// Its bytes grow with realloc, which moves a large block by remapping its pages instead
// of copying them, so a body of unknown length costs no more than one of known length.
class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::string_view data);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Position() const override { return FPosition; }
    void SetPosition(int64_t position) override;
    int64_t Size() const override { return FSize; }
    void SetSize(int64_t size) override;

    std::string_view Data() const { return {FMemory.get(), static_cast<size_t>(FSize)}; }
    // The largest size it has had: what a writer made it hold at most.
    int64_t PeakSize() const { return FPeakSize; }

private:
    struct Free {
        void operator()(char* memory) const { std::free(memory); }
    };

    // Room for at least size bytes.
    void Reserve(int64_t size);

    std::unique_ptr<char, Free> FMemory;
    int64_t FSize = 0;
    int64_t FCapacity = 0;
    int64_t FPosition = 0;
    int64_t FPeakSize = 0;
};

// A file that cannot be created, opened, written or sized. The message names the file
// and gives the system's text for the cause.
class EFileStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class FileStream : public Stream {
public:
    // CreateEmpty empties an existing file. Overwrite writes over it from the start and
    // leaves cutting it to what was written (SetSize(Position())) to the writer: a file
    // emptied and written again is flushed to disk on close by some file systems, which
    // costs far more than the write itself when a small file is rewritten many times.
    enum class Mode { CreateEmpty, Overwrite, OpenRead };

    FileStream(const std::string& fileName, Mode mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Position() const override { return FPosition; }
    void SetPosition(int64_t position) override;
    int64_t Size() const override;
    void SetSize(int64_t size) override;

    const std::string& FileName() const { return FFileName; }

private:
    [[noreturn]] void Fail(const char* what) const;

    std::string FFileName;
    int FHandle = -1;
    int64_t FPosition = 0;
};
