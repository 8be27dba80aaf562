#include "net/buffers.h"

#include "net/errors.h"

#include <algorithm>
#include <cstring>
#include <string_view>

int TIdSimpleBuffer::Size() const
{
    return FLength;
}

const char* TIdSimpleBuffer::Memory() const
{
    return FMemory.get();
}

char* TIdSimpleBuffer::Memory()
{
    return FMemory.get();
}

void TIdSimpleBuffer::Reserve(int length)
{
    if (length <= FCapacity)
        return;
    const int capacity = static_cast<int>(std::clamp<int64_t>(2 * static_cast<int64_t>(FCapacity), length, INT32_MAX));
    std::unique_ptr<char[]> memory = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(capacity));
    if (FLength > 0)
        std::memcpy(memory.get(), FMemory.get(), static_cast<size_t>(FLength));
    FMemory = std::move(memory);
    FCapacity = capacity;
}

void TIdSimpleBuffer::Append(const void* data, int count)
{
    if (count <= 0)
        return;
    std::memcpy(GrowTail(count), data, static_cast<size_t>(count));
}

char* TIdSimpleBuffer::GrowTail(int count)
{
    Reserve(FLength + std::max(0, count));
    char* tail = FMemory.get() + FLength;
    FLength += std::max(0, count);
    return tail;
}

void TIdSimpleBuffer::ShrinkTail(int count)
{
    FLength -= std::clamp(count, 0, Size());
}

int TIdSimpleBuffer::IndexOf(const std::string& text, int from) const
{
    const std::string_view unread(Memory(), static_cast<size_t>(Size()));
    const size_t found = unread.find(text, static_cast<size_t>(std::max(0, from)));
    return found == std::string_view::npos ? -1 : static_cast<int>(found);
}

void TIdSimpleBuffer::CheckAvailable(int count) const
{
    if (count > Size())
        throw EIdNotEnoughDataInBuffer();
}

void TIdSimpleBuffer::NotifyBytesTaken(int count)
{
    if (FOnBytesTaken)
        FOnBytesTaken(*this, count);
}

void TIdSimpleBuffer::DropFront(int count)
{
    CheckAvailable(count);
    if (count > 0) {
        std::memmove(FMemory.get(), FMemory.get() + count, static_cast<size_t>(FLength - count));
        FLength -= count;
    }
    NotifyBytesTaken(count);
}

std::string TIdSimpleBuffer::TakeText(int count)
{
    CheckAvailable(count);
    std::string text(Memory(), static_cast<size_t>(std::max(0, count)));
    DropFront(count);
    return text;
}

void TIdSimpleBuffer::ClearAll()
{
    FLength = 0;
}

int TIdManagedBuffer::Size() const
{
    return FLength - FConsumed;
}

const char* TIdManagedBuffer::Memory() const
{
    return FMemory.get() + FConsumed;
}

char* TIdManagedBuffer::Memory()
{
    return FMemory.get() + FConsumed;
}

void TIdManagedBuffer::DropFront(int count)
{
    CheckAvailable(count);
    if (count == Size()) {
        ClearAll();
    } else {
        FConsumed += std::max(0, count);
        if (FConsumed >= FCompactAt) {
            std::memmove(FMemory.get(), FMemory.get() + FConsumed, static_cast<size_t>(FLength - FConsumed));
            FLength -= FConsumed;
            FConsumed = 0;
        }
    }
    NotifyBytesTaken(count);
}

void TIdManagedBuffer::ClearAll()
{
    FLength = 0;
    FConsumed = 0;
}
