#include "net/errors.h"
#include "net/prepare_target.h"
#include "net/streams.h"
#include "net/text_case.h"
#include "net/uri.h"

#include <algorithm>
#include <string>

namespace {

bool NeedsHttp11(TIdHTTPMethod method)
{
    return method == TIdHTTPMethod::hmOptions || method == TIdHTTPMethod::hmTrace ||
           method == TIdHTTPMethod::hmPut || method == TIdHTTPMethod::hmDelete;
}

// A blank, a control character or DEL: what may not stand in a request target or host.
bool IsBlankControlOrDelete(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x21 || byte == 0x7F;
}

std::string DefaultPortText(const std::string& protocol)
{
    if (SameTextAscii(protocol, "http"))
        return "80";
    if (SameTextAscii(protocol, "https"))
        return "443";
    throw EIdUnknownProtocol();
}

} // namespace

std::string EscapeRequestTarget(const std::string& target)
{
    if (target.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        throw EIdInvalidRequest("The request target holds a line break or NUL character.");
    if (std::none_of(target.begin(), target.end(), IsBlankControlOrDelete))
        return target;
    static const char Hex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(target.size() + 8);
    for (const char c : target) {
        if (IsBlankControlOrDelete(c)) {
            const auto byte = static_cast<unsigned char>(c);
            escaped += '%';
            escaped += Hex[byte >> 4];
            escaped += Hex[byte & 15];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

void PrepareTarget(TIdURI& currentUri, TIdHTTPRequest& request, TIdHTTPProtocolVersion version)
{
    const TIdURI uri(request.Target);

    if (!uri.AuthUser.empty()) {
        request.Username = uri.AuthUser;
        request.Password = uri.AuthPassword;
    }
    currentUri.AuthUser = request.Username;
    currentUri.AuthPassword = request.Password;

    currentUri.Directory = MergePath(currentUri.Directory, uri.Directory, '/');
    currentUri.DocName = uri.DocName;
    currentUri.QueryPart = uri.QueryPart;
    if (!uri.Host.empty())
        currentUri.Host = uri.Host;
    // A URL without a protocol (a relative redirect) stays encrypted after https: taking
    // it for http would send the request, and the page, in the clear.
    if (!uri.Protocol.empty())
        currentUri.Protocol = uri.Protocol;
    else if (!SameTextAscii(currentUri.Protocol, "https"))
        currentUri.Protocol = "http";

    // An absolute URL names its server in full: without a port it means its protocol's
    // default one, whatever the last request used. Only a relative reference stays on
    // the current server and port.
    const bool absolute = !uri.Host.empty() || !uri.Protocol.empty();
    if (!uri.PortText.empty())
        currentUri.PortText = uri.PortText;
    else if (absolute || currentUri.PortText.empty())
        currentUri.PortText = DefaultPortText(currentUri.Protocol);

    if (request.RequestMethod == TIdHTTPMethod::hmOptions && SameTextAscii(uri.DocName, "*"))
        request.Target = "*";
    else
        request.Target = EscapeRequestTarget(currentUri.Directory + currentUri.DocName + currentUri.QueryPart);
    // The host goes into the Host line and cannot be escaped there.
    if (std::any_of(currentUri.Host.begin(), currentUri.Host.end(), IsBlankControlOrDelete))
        throw EIdInvalidRequest("The host name holds a blank or control character.");

    if (NeedsHttp11(request.RequestMethod) && version != TIdHTTPProtocolVersion::pv1_1)
        throw EIdException("This request method is supported in HTTP 1.1");

    // A POST or PUT without an upload stream sends an empty body, so it announces 0.
    const bool sendsBody =
        request.RequestMethod == TIdHTTPMethod::hmPost || request.RequestMethod == TIdHTTPMethod::hmPut;
    if (sendsBody)
        request.SetContentLength(request.UploadStream ? static_cast<int32_t>(request.UploadStream->Size()) : 0);
    else
        request.SetContentLength(-1);

    const std::string host = HostForUrl(currentUri.Host);
    request.Host = currentUri.PortText == "80" ? host : host + ":" + currentUri.PortText;
}
