// Day-count date-times written as calendar dates in tests.
#pragma once

#include "net/date_time.h"

#include <gtest/gtest.h>

constexpr double OneSecond = 1.0 / SecondsPerDay;
constexpr double OneHour = 1.0 / 24.0;

inline DateTime At(int year, int month, int day, int hours = 0, int minutes = 0, int seconds = 0)
{
    DateTime date = 0;
    DateTime time = 0;
    EXPECT_TRUE(TryEncodeDate(year, month, day, date));
    EXPECT_TRUE(TryEncodeTime(hours, minutes, seconds, 0, time));
    // Before day 0 the fraction counts away from zero: 6:00 on 29 December 1899 is -1.25.
    return date < 0 ? date - time : date + time;
}
