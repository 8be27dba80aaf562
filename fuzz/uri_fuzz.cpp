// URLs as a page, a redirect or the settings may hand them over: parsing, composing back,
// and preparing the request target against the URI a previous request left behind.
#include "fuzz_check.h"

#include "net/errors.h"
#include "net/prepare_target.h"
#include "net/uri.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string previous = input.ConsumeRandomLengthString(256);
    const std::string text = input.ConsumeRemainingBytesAsString();

    TIdURI uri(text);
    if (text.find("://") != std::string::npos) {
        FUZZ_CHECK(!uri.Directory.empty() && uri.Directory.front() == '/' && uri.Directory.back() == '/');
        FUZZ_CHECK(uri.DocName.find('/') == std::string::npos);
        FUZZ_CHECK(uri.QueryPart.empty() || uri.QueryPart.front() == '?' || uri.QueryPart.front() == '=');
    }
    FUZZ_CHECK(uri.UriText.find('\\') == std::string::npos);
    FUZZ_CHECK(!uri.AuthUser.empty() || uri.AuthPassword.empty());
    try {
        uri.ComposeUri(uoUserInfo | uoFragment);
    } catch (const EIdURIException&) {
    }

    TIdURI current(previous);
    TIdHTTPRequest request;
    request.Target = text;
    try {
        PrepareTarget(current, request, TIdHTTPProtocolVersion::pv1_1);
        FUZZ_CHECK(!current.Protocol.empty());
        FUZZ_CHECK(request.ContentLength() == -1);
    } catch (const EIdException&) {
    }
    return 0;
}
