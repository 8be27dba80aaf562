// Runs a test in a given POSIX time zone ("XXX-1" is one hour east of UTC, "UTC0" is
// UTC) and puts the previous zone back afterwards.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* previous = std::getenv("TZ"))
            FPrevious = previous;
        setenv("TZ", zone, 1);
        tzset();
    }

    ~ScopedTimeZone()
    {
        if (FPrevious)
            setenv("TZ", FPrevious->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> FPrevious;
};
