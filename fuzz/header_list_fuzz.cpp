// Header lines as a server sends them: lookup by name with continuation lines joined,
// replacing a line in place, and folding. Servers control every byte, including how many
// continuation lines follow one another.
#include "fuzz_check.h"

#include "net/header_list.h"
#include "net/text_case.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <string_view>

namespace {

// A header name as HTTP allows it: letters, digits and the token punctuation.
bool IsToken(const std::string& name)
{
    constexpr std::string_view punctuation = "!#$%&'*+-.^_`|~";
    if (name.empty())
        return false;
    for (const char c : name) {
        const bool alphanumeric = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alphanumeric && punctuation.find(c) == std::string_view::npos)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    TIdHeaderList lines;
    lines.FoldOnSet = input.ConsumeBool();
    lines.FoldWidth = input.ConsumeIntegralInRange(1, 1024);
    const std::string name = input.ConsumeRandomLengthString(32);
    const std::string value = input.ConsumeRandomLengthString(2048);

    const std::string received = input.ConsumeRemainingBytesAsString();
    size_t start = 0;
    while (start <= received.size()) {
        size_t end = received.find('\n', start);
        if (end == std::string::npos)
            end = received.size();
        lines.Add(received.substr(start, end - start));
        start = end + 1;
    }
    for (int i = 0; i < lines.Count(); ++i) {
        lines.NameAt(i);
        lines.ValueAt(i);
    }
    TIdHeaderList collected;
    lines.ExtractAll(name, &collected);
    lines.Text();

    if (!IsToken(name))
        return 0;
    const bool newName = lines.FindName(name) < 0;
    lines.SetValueOf(name, value);
    if (value.empty())
        return 0;
    FUZZ_CHECK(lines.FindName(name) >= 0);
    // A new line that is not folded reads back as it was set.
    const bool plainValue = value.find_first_of("\r\n\"") == std::string::npos;
    const bool fits = !lines.FoldOnSet || name.size() + 2 + value.size() <= static_cast<size_t>(lines.FoldWidth);
    if (newName && plainValue && fits)
        FUZZ_CHECK(lines.ValueOf(name) == Trim(value));
    return 0;
}
