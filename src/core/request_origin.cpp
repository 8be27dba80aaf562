#include "core/request_origin.h"

#include "net/uri.h"

#include <strings.h>

namespace {

std::string EffectivePort(const TIdURI& uri)
{
    if (!uri.PortText.empty())
        return uri.PortText;
    return strcasecmp(uri.Protocol.c_str(), "https") == 0 ? "443" : "80";
}

} // namespace

bool KeepsOrigin(const std::string& requestUrl, const std::string& location)
{
    // The client takes a location holding "://" anywhere as absolute, and so does this.
    if (location.find("://") == std::string::npos)
        return true;
    try {
        const TIdURI from(requestUrl);
        const TIdURI to(location);
        return strcasecmp(from.Protocol.c_str(), to.Protocol.c_str()) == 0 &&
               strcasecmp(from.Host.c_str(), to.Host.c_str()) == 0 && EffectivePort(from) == EffectivePort(to);
    } catch (const std::exception&) {
        return false;
    }
}
