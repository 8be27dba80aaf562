#include "options.h"

#include <gtest/gtest.h>

namespace {

TEST(OptionsTest, DefaultsServeEveryRequestNormallyOnPort8301)
{
    Options options = ParseOptions({});
    EXPECT_EQ(options.Port, 8301);
    EXPECT_EQ(options.LogFile, "");
    EXPECT_FALSE(options.ShowHelp);
    EXPECT_EQ(options.Faults.Only, "");
    EXPECT_EQ(options.Faults.OnRequest, 0);
    EXPECT_EQ(options.Faults.DelayMs, 0);
    EXPECT_EQ(options.Faults.Status, 0);
    EXPECT_EQ(options.Faults.BodyFraming, Framing::ContentLength);
    EXPECT_FALSE(options.Faults.Redirect);
    EXPECT_FALSE(options.Faults.NoMarkers);
    EXPECT_EQ(options.Faults.LatencyMs, 0);
    EXPECT_EQ(options.Faults.ThrottleEvery, 0);
    EXPECT_EQ(options.Faults.BlockAfter, 0);
    EXPECT_EQ(options.Faults.DropEvery, 0);
    EXPECT_EQ(options.Challenge.Mode, ChallengeMode::First);
    EXPECT_EQ(options.Challenge.Characters, "");
}

TEST(OptionsTest, EveryOptionIsRead)
{
    Options options = ParseOptions({ "--port", "0", "--log", "/tmp/heads.log", "--delay-ms", "250", "--status", "503",
        "--chunked", "--redirect", "--no-markers", "--only", "suggest", "--on-request", "3" });
    EXPECT_EQ(options.Port, 0);
    EXPECT_EQ(options.LogFile, "/tmp/heads.log");
    EXPECT_EQ(options.Faults.DelayMs, 250);
    EXPECT_EQ(options.Faults.Status, 503);
    EXPECT_EQ(options.Faults.BodyFraming, Framing::Chunked);
    EXPECT_TRUE(options.Faults.Redirect);
    EXPECT_TRUE(options.Faults.NoMarkers);
    EXPECT_EQ(options.Faults.Only, "suggest");
    EXPECT_EQ(options.Faults.OnRequest, 3);

    EXPECT_EQ(ParseOptions({ "--until-close" }).Faults.BodyFraming, Framing::UntilClose);
    EXPECT_EQ(ParseOptions({ "--close-mid-body" }).Faults.BodyFraming, Framing::CloseMidBody);
    EXPECT_TRUE(ParseOptions({ "--help" }).ShowHelp);

    EXPECT_EQ(ParseOptions({ "--challenge", "always" }).Challenge.Mode, ChallengeMode::Always);
    EXPECT_EQ(ParseOptions({ "--challenge", "never" }).Challenge.Mode, ChallengeMode::Never);
    EXPECT_EQ(ParseOptions({ "--challenge", "first" }).Challenge.Mode, ChallengeMode::First);
    EXPECT_EQ(ParseOptions({ "--characters", "kx7ma" }).Challenge.Characters, "kx7ma");

    const Options proxies = ParseOptions({ "--ipv6", "--proxy-port", "3128", "--socks-port", "1080", "--proxy-user", "a:b" });
    EXPECT_TRUE(proxies.Ipv6);
    EXPECT_EQ(proxies.ProxyPort, 3128);
    EXPECT_EQ(proxies.SocksPort, 1080);
    EXPECT_EQ(proxies.ProxyUser, "a:b");

    Options longRun = ParseOptions({ "--latency", "20", "--throttle", "5", "--block-after", "100", "--drop", "7" });
    EXPECT_EQ(longRun.Faults.LatencyMs, 20);
    EXPECT_EQ(longRun.Faults.ThrottleEvery, 5);
    EXPECT_EQ(longRun.Faults.BlockAfter, 100);
    EXPECT_EQ(longRun.Faults.DropEvery, 7);
}

TEST(OptionsTest, UnusableCommandLinesAreRefused)
{
    const std::vector<std::vector<std::string>> cases = {
        { "--port" },
        { "--port", "65536" },
        { "--port", "-1" },
        { "--port", "80x" },
        { "--delay-ms", "soon" },
        { "--status", "99" },
        { "--status", "600" },
        { "--only", "altavista" },
        { "--on-request", "0" },
        { "--latency", "-1" },
        { "--throttle", "0" },
        { "--block-after", "0" },
        { "--drop", "0" },
        { "--drop" },
        { "--log", "" },
        { "--chunked", "--until-close" },
        { "--close-mid-body", "--chunked" },
        { "--verbose" },
        { "8301" },
        { "--challenge" },
        { "--challenge", "Always" },
        { "--characters", "" },
        { "--characters", "KX7MA3" },
        { "--characters", "OK" },
        { "--characters", "K M" },
        { "--proxy-port", "0" },
        { "--socks-port", "65536" },
        { "--proxy-user", "nocolon" },
    };
    for (const auto& arguments : cases) {
        std::string line;
        for (const std::string& argument : arguments)
            line += argument + " ";
        EXPECT_THROW(ParseOptions(arguments), OptionError) << line;
    }
}

}
