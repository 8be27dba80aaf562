// Byte areas of the connection: the receive scratch, the write cache and the input
// buffer. The input buffer only counts bytes taken from its front and moves the rest
// down once enough have piled up, so reading a large body in small pieces does not
// move the remaining bytes on every piece.
#pragma once

#include <functional>
#include <memory>
#include <string>

class TIdSimpleBuffer {
public:
    // Raised after bytes were removed from the front, with their count.
    using BytesTakenEvent = std::function<void(TIdSimpleBuffer& buffer, int count)>;

    virtual ~TIdSimpleBuffer() = default;

    // The unread bytes; the view is invalidated by any change to the buffer.
    virtual int Size() const;
    virtual const char* Memory() const;
    virtual char* Memory();

    void Append(const void* data, int count);
    // Appending in place: GrowTail adds count bytes at the end and returns where they
    // start; ShrinkTail takes back the ones that were not filled.
    char* GrowTail(int count);
    void ShrinkTail(int count);
    // 0-based offset of the first occurrence of text at or after from, or -1.
    int IndexOf(const std::string& text, int from) const;

    // Removes count bytes from the front; more than Size() raises EIdNotEnoughDataInBuffer.
    virtual void DropFront(int count);
    // The first count bytes as text, then removed as by DropFront.
    std::string TakeText(int count);
    // Empties the buffer without any notification.
    virtual void ClearAll();
    // The bytes of memory it holds: the most it has ever needed, since it never shrinks.
    int Capacity() const { return FCapacity; }

    BytesTakenEvent FOnBytesTaken;

protected:
    void CheckAvailable(int count) const;
    void NotifyBytesTaken(int count);
    void Reserve(int length);

    // FLength bytes are held, consumed ones included; the bytes between FLength and
    // FCapacity are not initialised, so growing the tail costs no pass over it.
    std::unique_ptr<char[]> FMemory;
    int FLength = 0;
    int FCapacity = 0;
};

class TIdManagedBuffer : public TIdSimpleBuffer {
public:
    int Size() const override;
    const char* Memory() const override;
    char* Memory() override;

    void DropFront(int count) override;
    void ClearAll() override;

    int FCompactAt = 32768;
    int FConsumed = 0;
};
