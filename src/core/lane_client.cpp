#include "core/lane_client.h"

#include "core/page_fetch.h"
#include "core/page_text.h"
#include "core/proxy_rotation.h"
#include "core/request_header_lines.h"
#include "net/anti_freeze.h"
#include "net/cookies.h"
#include "net/errors.h"
#include "net/socket_layer.h"
#include "net/ssl_errors.h"
#include "net/ssl_io_handler.h"
#include "net/streams.h"
#include "net/uri.h"

ClientLaneFetcher::ClientLaneFetcher(TIdCookieManager* cookies, const std::string& caFile, ProxyRotation* proxies,
                                     int engine)
    : FProxies(proxies), FEngine(engine), FSecure(std::make_shared<TIdSSLIOHandlerSocket>())
{
    FClient.HandleRedirects = true;
    FSecure->CAFile = caFile;
    FClient.SetIOHandler(FSecure);
    if (cookies)
        FClient.SetCookieManager(cookies);
    else
        FClient.AllowCookies = false;
    // No connection starts once the run is stopped, a redirect's included. The secure
    // transport reports its connects itself.
    const auto refuseOnceStopped = [](TIdComponent&, TIdStatus status, const std::string&) {
        if (status == hsConnecting)
            WaitInterruption::Check();
    };
    FClient.OnStatus = refuseOnceStopped;
    FSecure->OnStatus = refuseOnceStopped;
}

ClientLaneFetcher::~ClientLaneFetcher()
{
    FClient.OnWork = nullptr;
}

EngineAnswer ClientLaneFetcher::Fetch(const std::string& url, const std::vector<std::string>& headers)
{
    const HeaderLinesScope lines(FClient, url, headers);
    // A request whose proxy fails goes again at once through the next one: the service
    // was never asked.
    for (;;) {
        std::optional<std::size_t> proxy;
        try {
            proxy = FProxies ? FProxies->ProxyFor(TIdURI(url).Host, FEngine) : std::nullopt;
        } catch (const std::exception& error) {
            EngineAnswer unusable;
            unusable.What = EngineAnswer::Kind::Unusable;
            unusable.Text = error.what();
            return unusable;
        }
        PointClientAt(FClient, proxy ? &FProxies->Proxy(*proxy) : nullptr);
        const std::string name = proxy ? FProxies->Proxy(*proxy).DisplayName() : std::string();
        if (proxy && FStatus)
            FStatus("Getting URL: " + url + " through proxy " + name + "...");
        bool proxyFailed = false;
        EngineAnswer answer = FetchOnce(url, proxyFailed);
        if (!proxy)
            return answer;
        if (!proxyFailed) {
            FProxies->Succeeded(*proxy);
            return answer;
        }
        if (FProxies->Failed(*proxy) && FStatus)
            FStatus(name + " set aside: it failed " + std::to_string(ProxyFailuresBeforeSetAside) +
                    " times in a row.");
    }
}

EngineAnswer ClientLaneFetcher::FetchOnce(const std::string& url, bool& proxyFailed)
{
    EngineAnswer answer;
    MemoryStream page;
    FClient.OnWork = [&page](TIdComponent&, TWorkMode, int32_t) {
        if (page.Size() > MaxPageLength)
            throw EPageTooLarge();
    };
    try {
        FClient.HttpGet(url, page);
        FClient.CloseConnection();
        answer.What = EngineAnswer::Kind::Page;
        answer.Text = ToPageText(page.Data());
    } catch (const LaneStopped&) {
        FClient.CloseConnection();
        throw;
    } catch (const EIdHTTPProtocolException& error) {
        FClient.CloseConnection();
        proxyFailed = IsProxyFailure(error);
        answer.What = EngineAnswer::Kind::HttpError;
        answer.Status = error.ReplyCode;
        answer.StatusLine = FClient.Response().StatusLine;
        answer.RetryAfter = FClient.Response().RawLines.ValueOf("Retry-After");
        answer.Text = error.BodyText;
    } catch (const std::exception& error) {
        FClient.CloseConnection();
        proxyFailed = IsProxyFailure(error);
        // A host that does not exist stays so: only a connection is worth another try.
        const auto* socketError = dynamic_cast<const EIdSocketError*>(&error);
        const bool connection = (socketError && socketError->SocketErrorCode != WSAHOST_NOT_FOUND) ||
                                dynamic_cast<const EIdConnectException*>(&error) ||
                                dynamic_cast<const EIdConnClosedGracefully*>(&error) ||
                                dynamic_cast<const EIdTCPConnectionError*>(&error) ||
                                dynamic_cast<const EIdClosedSocket*>(&error) ||
                                dynamic_cast<const EIdOSSLConnectionCut*>(&error);
        answer.What = connection ? EngineAnswer::Kind::ConnectionFailed : EngineAnswer::Kind::Unusable;
        // A connection closed before the answer says nothing of its own.
        answer.Text = *error.what() ? error.what() : "The connection was closed before the answer.";
    }
    FClient.OnWork = nullptr;
    return answer;
}
