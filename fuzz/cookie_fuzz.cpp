// Cookies as servers set them: admission of Set-cookie and Set-cookie2 values for a host,
// then the Cookie header built back for that host, which must be a single clean line.
#include "fuzz_check.h"

#include "net/cookies.h"
#include "net/errors.h"
#include "net/uri.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string host = input.ConsumeRandomLengthString(64);
    const std::string path = input.ConsumeRandomLengthString(64);
    TIdCookieManager manager;
    while (input.remaining_bytes() > 0) {
        const bool version2 = input.ConsumeBool();
        const bool encrypted = input.ConsumeBool();
        const std::string value = input.ConsumeRandomLengthString(4096);
        try {
            if (version2)
                manager.AcceptCookie2(value, host, encrypted);
            else
                manager.AcceptCookie(value, host, encrypted);
        } catch (const EIdException&) {
        } catch (const EConvertError&) {
        }
    }
    TIdURI uri("http://" + host + "/" + path);
    try {
        const std::string header = manager.BuildCookieHeader(uri, input.ConsumeBool());
        for (const char c : header)
            FUZZ_CHECK(c != '\r' && c != '\n' && c != '\0');
    } catch (const EIdException&) {
    }
    return 0;
}
