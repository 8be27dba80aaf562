#include "net/buffers.h"

#include "net/errors.h"

#include <algorithm>
#include <string_view>

int TIdSimpleBuffer::Size() const
{
    return static_cast<int>(FData.size());
}

const char* TIdSimpleBuffer::Memory() const
{
    return FData.data();
}

char* TIdSimpleBuffer::Memory()
{
    return FData.data();
}

void TIdSimpleBuffer::SetSize(int size)
{
    const int unread = Size();
    FData.resize(FData.size() - static_cast<size_t>(unread) + static_cast<size_t>(std::max(0, size)));
}

void TIdSimpleBuffer::Append(const void* data, int count)
{
    if (count > 0)
        FData.append(static_cast<const char*>(data), static_cast<size_t>(count));
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
    FData.erase(0, static_cast<size_t>(std::max(0, count)));
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
    FData.clear();
}

int TIdManagedBuffer::Size() const
{
    return static_cast<int>(FData.size()) - FConsumed;
}

const char* TIdManagedBuffer::Memory() const
{
    return FData.data() + FConsumed;
}

char* TIdManagedBuffer::Memory()
{
    return FData.data() + FConsumed;
}

void TIdManagedBuffer::DropFront(int count)
{
    CheckAvailable(count);
    if (count == Size()) {
        ClearAll();
    } else {
        FConsumed += std::max(0, count);
        if (FConsumed >= FCompactAt) {
            FData.erase(0, static_cast<size_t>(FConsumed));
            FConsumed = 0;
        }
    }
    NotifyBytesTaken(count);
}

void TIdManagedBuffer::ClearAll()
{
    FData.clear();
    FConsumed = 0;
}
