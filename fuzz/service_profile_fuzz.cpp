// A service profile as a user may have copied it from anywhere: any bytes give engines
// the table can hold (1 to 8, each with a name) or the built-in profile with a message,
// and every request built from them is a plain text without a line break in a header.
#include "fuzz_check.h"

#include "config/ini_file.h"
#include "config/service_addresses.h"
#include "core/keyword_suggestions.h"
#include "core/result_counts.h"
#include "core/service_profile_reader.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string keyword = input.ConsumeRandomLengthString(64);
    const std::string page = input.ConsumeRandomLengthString(4096);
    const IniFile settings = IniFile::FromText("[Services]\nGoogleURL=http://g.test\nBase=http://b.test\n");
    const ServiceAddresses roots = ReadServiceAddresses(settings);
    const ProfileLoad load =
        ReadServiceProfile(IniFile::FromText(input.ConsumeRemainingBytesAsString()), "fuzz.ini", {settings, roots});

    const auto& engines = load.Profile.Engines;
    FUZZ_CHECK(!engines.empty() && engines.size() <= static_cast<size_t>(ServiceProfile::MaxEngines));
    for (const EngineProfile& engine : engines) {
        FUZZ_CHECK(!engine.Name.empty());
        FUZZ_CHECK(engine.DelayMs >= 0 && engine.JitterMs >= 0);
        for (int mode : {0, 1})
            SearchRequestURL(engine, keyword, mode);
        for (const std::string& line : SearchRequestHeaders(engine, keyword)) {
            FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
            FUZZ_CHECK(line.find(':') != std::string::npos);
        }
        FUZZ_CHECK(ReadResultCount(engine, page).size() <= page.size());
    }
    if (load.Profile.Suggest) {
        const SuggestProfile& suggest = *load.Profile.Suggest;
        for (const std::string& asked : SuggestionKeywords(suggest, keyword)) {
            SuggestionsRequestURL(suggest, asked);
            for (const std::string& line : SuggestionsRequestHeaders(suggest, asked))
                FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        }
        ChallengeAnswerURL(suggest, keyword, {keyword, keyword, keyword});
    }
    return 0;
}
