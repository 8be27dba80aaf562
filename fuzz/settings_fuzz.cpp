// The settings file as a user or an installer may leave it: any bytes read without an
// error, and no value longer than the reader's limit.
#include "fuzz_check.h"

#include "config/ini_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(32);
    const std::string key = input.ConsumeRandomLengthString(32);
    const IniFile settings = IniFile::FromText(input.ConsumeRemainingBytesAsString());
    for (const auto& [s, k] : {std::pair{section, key}, std::pair{std::string("Services"), std::string("GoogleURL")},
                               std::pair{std::string("Settings"), std::string("AppName")}})
        FUZZ_CHECK(settings.ReadString(s, k).size() <= IniFile::MaxValueLength);
    return 0;
}
