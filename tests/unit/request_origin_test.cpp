#include "core/request_origin.h"

#include <gtest/gtest.h>

namespace {

TEST(KeepsOriginTest, OnlyTheSameProtocolHostAndPortKeepTheHeaderLines)
{
    struct Case {
        const char* From;
        const char* Location;
        bool Keeps;
    };
    const Case cases[] = {
        {"http://api.test/v1?q=a", "/v2?q=a", true},
        {"http://api.test/v1?q=a", "v2", true},
        {"http://api.test/v1", "http://API.test/v2", true},
        {"http://api.test/v1", "http://api.test:80/v2", true},
        {"https://api.test/v1", "https://api.test:443/v2", true},
        {"http://api.test:8080/v1", "http://api.test:8080/v2", true},
        {"http://api.test/v1", "http://other.test/v1", false},
        {"http://api.test/v1", "http://api.test:8080/v1", false},
        {"http://api.test/v1", "https://api.test/v1", false},
        {"http://api.test/v1", "http://api.test.evil.test/v1", false},
        {"http://api.test/v1", "ftp://api.test/v1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeepsOrigin(c.From, c.Location), c.Keeps) << c.From << " -> " << c.Location;
}

} // namespace
