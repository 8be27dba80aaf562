#include "config/ini_file.h"
#include "config/service_addresses.h"
#include "core/count_engine.h"
#include "core/keyword_list.h"
#include "core/result_counts.h"
#include "core/service_profile_reader.h"

#include <gtest/gtest.h>

namespace {

// The lanes ask a profile's engines exactly as the one-after-another run does (header
// lines included), count into the engine's own column, name them as their columns do,
// and take their pacing from the profile.
TEST(ProfileCountEngines, AskReadAndPaceAsTheProfileSays)
{
    const IniFile profileFile = IniFile::FromText("[Engine1]\nName=Alpha\nPrecise=http://a.test/s?q={keyword}\n"
                                                  "Skip=<h1>\nStart=<b>\nEnd=</b>\nDelay=250\nJitter=40\n"
                                                  "Blocked=unusual traffic\n"
                                                  "[Engine3]\nName=Beta\nPrecise=https://b.test/api?q={keyword:url}\n"
                                                  "Broad=https://b.test/api?loose={keyword:url}\nFormat=json\n"
                                                  "Count=/total\nKey=k1\nHeader1=X-Api-Key: {key}\n");
    const IniFile settings = IniFile::FromText({});
    const ServiceAddresses addresses;
    const ProfileLoad load = ReadServiceProfile(profileFile, "test.ini", {settings, addresses});
    ASSERT_TRUE(load.Errors.empty()) << load.Errors.front();
    const std::vector<EngineProfile>& profile = load.Profile.Engines;
    const std::vector<CountEngine> engines = ProfileCountEngines(profile);
    ASSERT_EQ(engines.size(), 2u);
    const std::string pages[] = {"<h1>x<b>1,100</b>", "{\"total\": \"2,200\"}", "no markers at all"};
    for (std::size_t index = 0; index < engines.size(); ++index) {
        const CountEngine& engine = engines[index];
        SCOPED_TRACE(profile[index].Name);
        EXPECT_EQ(engine.Name, profile[index].Name);
        EXPECT_EQ(engine.Cell, KeywordRow::FirstEngineCell + static_cast<int>(index));
        for (const char* keyword : {"golf clubs", "caf\xC3\xA9 #1", ""}) {
            for (int mode : {0, 1})
                EXPECT_EQ(engine.RequestURL(keyword, mode), SearchRequestURL(profile[index], keyword, mode));
            EXPECT_EQ(engine.RequestHeaders(keyword), SearchRequestHeaders(profile[index], keyword));
        }
        for (const std::string& page : pages)
            EXPECT_EQ(engine.ReadCount(page), ReadResultCount(profile[index], page));
    }
    EXPECT_EQ(engines[0].ReadCount(pages[0]), "1,100");
    EXPECT_EQ(engines[1].ReadCount(pages[1]), "2,200");
    EXPECT_EQ(engines[1].RequestHeaders("golf"), std::vector<std::string>{"X-Api-Key: k1"});
    EXPECT_EQ(engines[0].Delay, 250);
    EXPECT_EQ(engines[0].Jitter, 40);
    EXPECT_EQ(engines[0].Blocked, "unusual traffic");
    EXPECT_EQ(engines[1].Delay, 0);
    EXPECT_EQ(engines[1].Blocked, "");
}

} // namespace
