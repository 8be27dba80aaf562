// JSON pages as a hostile or broken service may send them, read at pointers the fuzzer
// chooses: never a crash or a hang, a count that only ever holds digits and separators,
// and suggestions no larger than the page.
#include "fuzz_check.h"

#include "util/json_reading.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::optional<JsonPointer> first = JsonPointer::Parse(input.ConsumeRandomLengthString(32));
    const std::optional<JsonPointer> second = JsonPointer::Parse(input.ConsumeRandomLengthString(32));
    const std::optional<JsonPointer> third = JsonPointer::Parse(input.ConsumeRandomLengthString(32));
    const std::string page = input.ConsumeRemainingBytesAsString();
    if (first) {
        const std::string count = ReadJsonCount(page, *first);
        FUZZ_CHECK(count.size() <= page.size());
        FUZZ_CHECK(count.find_first_not_of("0123456789,. '") == std::string::npos);
    }
    if (first && second) {
        std::size_t bytes = 0;
        for (const JsonSuggestion& suggestion : ReadJsonSuggestions(page, *first, *second, third)) {
            FUZZ_CHECK(third || suggestion.Count.empty());
            FUZZ_CHECK(suggestion.Count.find_first_not_of("0123456789,. '") == std::string::npos);
            bytes += suggestion.Phrase.size() + suggestion.Count.size();
        }
        FUZZ_CHECK(bytes <= page.size());
    }
    return 0;
}
