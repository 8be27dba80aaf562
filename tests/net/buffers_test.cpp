#include "net/buffers.h"
#include "net/errors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Unread(const TIdSimpleBuffer& buffer)
{
    return std::string(buffer.Memory(), static_cast<size_t>(buffer.Size()));
}

} // namespace

TEST(ManagedBuffer, CountsTakenBytesUntilTheCompactionPoint)
{
    TIdManagedBuffer buffer;
    std::vector<int> taken;
    buffer.FOnBytesTaken = [&](TIdSimpleBuffer&, int count) { taken.push_back(count); };
    const std::string bytes(40000, 'a');
    buffer.Append(bytes.data(), 40000);
    buffer.Append("tail", 4);

    buffer.DropFront(30000);
    EXPECT_EQ(buffer.FConsumed, 30000);
    EXPECT_EQ(buffer.Size(), 10004);

    buffer.DropFront(2768);
    EXPECT_EQ(buffer.FConsumed, 0) << "32768 consumed bytes move the rest to the start";
    EXPECT_EQ(buffer.Size(), 7236);
    EXPECT_EQ(Unread(buffer).substr(7232), "tail");
    EXPECT_EQ(taken, (std::vector<int>{30000, 2768}));
}

TEST(ManagedBuffer, TakingEverythingEmptiesIt)
{
    TIdManagedBuffer buffer;
    buffer.Append("abcdef", 6);
    buffer.DropFront(2);
    EXPECT_EQ(buffer.TakeText(4), "cdef");
    EXPECT_EQ(buffer.Size(), 0);
    EXPECT_EQ(buffer.FConsumed, 0);

    buffer.Append("xy", 2);
    EXPECT_EQ(Unread(buffer), "xy");
    EXPECT_EQ(buffer.IndexOf("y", 0), 1);
}

TEST(ManagedBuffer, TakingMoreThanBufferedRaisesAndKeepsTheBytes)
{
    TIdManagedBuffer buffer;
    int notifications = 0;
    buffer.FOnBytesTaken = [&](TIdSimpleBuffer&, int) { ++notifications; };
    buffer.Append("abc", 3);
    EXPECT_THROW(buffer.DropFront(4), EIdNotEnoughDataInBuffer);
    EXPECT_THROW(buffer.TakeText(4), EIdNotEnoughDataInBuffer);
    EXPECT_EQ(Unread(buffer), "abc");
    EXPECT_EQ(notifications, 0);
}

TEST(ManagedBuffer, ClearAllRaisesNoNotification)
{
    TIdManagedBuffer buffer;
    int notifications = 0;
    buffer.FOnBytesTaken = [&](TIdSimpleBuffer&, int) { ++notifications; };
    buffer.Append("abcdef", 6);
    buffer.DropFront(1);
    buffer.ClearAll();
    EXPECT_EQ(buffer.Size(), 0);
    EXPECT_EQ(buffer.FConsumed, 0);
    EXPECT_EQ(notifications, 1);
}

TEST(SimpleBuffer, MovesTheRestToTheStartOnEveryDrop)
{
    TIdSimpleBuffer buffer;
    buffer.Append("abcdef", 6);
    buffer.DropFront(2);
    EXPECT_EQ(Unread(buffer), "cdef");
    EXPECT_EQ(buffer.IndexOf("ef", 0), 2);
    EXPECT_EQ(buffer.IndexOf("ef", 3), -1);
}

TEST(SimpleBuffer, GrowsInPlaceAndTakesBackTheUnfilledTail)
{
    TIdManagedBuffer buffer;
    buffer.Append("ab", 2);
    buffer.DropFront(1);
    char* tail = buffer.GrowTail(100000);
    tail[0] = 'c';
    tail[1] = 'd';
    buffer.ShrinkTail(100000 - 2);
    EXPECT_EQ(Unread(buffer), "bcd");
}
