// Cutting values out of pages and cleaning them: the string and view walks agree, clean-up
// leaves no surrounding blanks, and a replacement always ends with nothing left to replace.
#include "fuzz_check.h"

#include "util/html_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <stdexcept>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string start = input.ConsumeRandomLengthString(16);
    const std::string end = input.ConsumeRandomLengthString(16);
    const std::string find = input.ConsumeRandomLengthString(16);
    const std::string replacement = input.ConsumeRandomLengthString(16);
    const std::string page = input.ConsumeRemainingBytesAsString();

    std::string working = page;
    std::string_view view = page;
    for (int cut = 0; cut < 8; ++cut) {
        const std::string fromString = CutBetween(working, start, end);
        const std::string fromView = CutBetween(view, start, end);
        FUZZ_CHECK(fromString == fromView);
        FUZZ_CHECK(working == view);
        const std::string cleaned = CleanHtml(fromString);
        FUZZ_CHECK(cleaned.empty() || (static_cast<unsigned char>(cleaned.front()) > 32 &&
                                       static_cast<unsigned char>(cleaned.back()) > 32));
    }

    try {
        const std::string replaced = ReplaceAll(page, find, replacement);
        if (!find.empty())
            FUZZ_CHECK(replaced.find(find) == std::string::npos);
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
