// A lane's connection to its engine: an HTTP client of its own (following redirects, https
// through a secure transport of its own) that shares the window's cookie manager, and
// turns each exchange into an EngineAnswer.
#pragma once

#include "core/search_lanes.h"
#include "net/http.h"

#include <memory>
#include <string>

class ProxyRotation;
class TIdCookieManager;
class TIdSSLIOHandlerSocket;

class ClientLaneFetcher : public LaneFetcher {
public:
    // cookies may be null (no cookies kept); caFile as the secure transport's CAFile;
    // proxies may be null (every request direct), engine keeps one proxy per engine when
    // the settings rotate so.
    ClientLaneFetcher(TIdCookieManager* cookies, const std::string& caFile, ProxyRotation* proxies = nullptr,
                      int engine = 0);
    ~ClientLaneFetcher() override;

    // A page past MaxPageLength, a malformed answer or a refused secure connection fail
    // the request at once; a refused, reset or cut connection is worth another try.
    EngineAnswer Fetch(const std::string& url, const std::vector<std::string>& headers) override;
    void SetStatusSink(StatusSink sink) override { FStatus = std::move(sink); }

private:
    // One exchange through the client as it is pointed; proxyFailed tells whether the
    // proxy, not the service, failed it.
    EngineAnswer FetchOnce(const std::string& url, bool& proxyFailed);

    TIdHTTP FClient;
    ProxyRotation* FProxies;
    int FEngine;
    StatusSink FStatus;
    std::shared_ptr<TIdSSLIOHandlerSocket> FSecure;
};
