// Internet dates from Date, Expires and Last-Modified headers and from cookies: any text
// reads without an error, and a date the program writes reads back as the same second.
#include "fuzz_check.h"

#include "net/date_time.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Written dates carry the local zone; in UTC "GMT" makes the round trip exact.
    setenv("TZ", "UTC0", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int year = input.ConsumeIntegralInRange(100, 9999);
    const int month = input.ConsumeIntegralInRange(1, 12);
    const int day = input.ConsumeIntegralInRange(1, 31);
    const int hours = input.ConsumeIntegralInRange(0, 23);
    const int minutes = input.ConsumeIntegralInRange(0, 59);
    const int seconds = input.ConsumeIntegralInRange(0, 59);
    std::string text = input.ConsumeRemainingBytesAsString();

    const DateTime parsed = ParseInternetDate(text);
    FUZZ_CHECK(std::isfinite(parsed));
    FUZZ_CHECK(std::isfinite(InternetDateToLocal(text)));

    DateTime date = 0;
    DateTime time = 0;
    if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hours, minutes, seconds, 0, time))
        return 0;
    const DateTime written = date + time;
    const std::string formatted = FormatInternetDate(written, true);
    const DateTime readBack = InternetDateToLocal(formatted);
    if (std::llround((readBack - written) * SecondsPerDay) != 0) {
        std::fprintf(stderr, "%s reads back %.6f days away\n", formatted.c_str(), readBack - written);
        FUZZ_CHECK(false);
    }
    return 0;
}
