// The tunnel through a proxy for "https": a CONNECT exchange in the clear with the
// proxy, then TLS with the origin server inside it.
#include "net/http.h"

#include "net/errors.h"
#include "net/proxy_target.h"
#include "net/socks5.h"
#include "net/ssl_io_handler.h"

void TIdCustomHTTP::OpenTunnel(TIdHTTPResponse& response)
{
    if (!KeepConnection(response))
        CloseItself();
    PollPeerClosed(false);
    if (IsConnected())
        return;

    TIdSSLIOHandlerSocket& handler = *SecureHandler();
    CheckProxyTarget(FCurrentUri.Host, FCurrentUri.PortText);
    const std::string target = TunnelTarget();
    FTunnelTarget.clear();
    handler.PassThrough = true;
    OpenConnection(ReadTimeout);

    // The proxy's credentials go to the proxy only, never through the tunnel.
    TIdHeaderList lines;
    lines.Add("Host: " + target);
    ProxyParams.ComposeHeaders(lines);
    StartWriteCache();
    try {
        WriteLine("CONNECT " + target + " HTTP/1.1");
        for (const std::string& line : lines.Lines())
            WriteLine(line);
        WriteLine("");
    } catch (...) {
        DiscardWriteCache();
        FinishWriteCache();
        throw;
    }
    FinishWriteCache();

    for (int interim = 0;; ++interim) {
        if (interim > MaxInterimResponses)
            throw EIdInvalidResponse("More than " + std::to_string(MaxInterimResponses) + " interim responses.");
        response.StatusLine = ReadLine();
        FProtocol->ReadResponseHeaders();
        if (response.StatusCode() / 100 != 1 || response.StatusCode() == 101)
            break;
    }
    if (response.StatusCode() / 100 != 2)
        RaiseStatusError();
    // The origin server speaks only inside TLS: a byte the proxy sent after its answer
    // would otherwise be read as the start of the secured response, unchecked.
    if (InputBuffer().Size() > 0) {
        CloseItself();
        throw EIdInvalidResponse("The proxy sent data after its answer to CONNECT.");
    }

    handler.StartSSL(FCurrentUri.Host);
    FTunnelTarget = target;
}

void TIdCustomHTTP::OpenSocksTunnel(TIdHTTPResponse& response, bool secure)
{
    if (!KeepConnection(response))
        CloseItself();
    PollPeerClosed(false);
    if (IsConnected())
        return;

    const int32_t port = CheckProxyTarget(FCurrentUri.Host, FCurrentUri.PortText);
    const std::string target = TunnelTarget();
    FTunnelTarget.clear();
    TIdSSLIOHandlerSocket* handler = SecureHandler();
    if (handler)
        handler->PassThrough = true;
    OpenConnection(ReadTimeout);

    SocksRequest request;
    request.host = FCurrentUri.Host;
    request.port = port;
    request.remoteLookup = ProxyParams.Kind == ProxyKind::Socks5Remote;
    request.username = ProxyParams.ProxyUsername;
    request.password = ProxyParams.ProxyPassword;
    request.proxyName = HostForUrl(ProxyParams.ProxyServer()) + ":" + std::to_string(ProxyParams.ProxyPort());
    try {
        Socks5Connect(*this, request);
    } catch (...) {
        CloseItself();
        throw;
    }
    if (secure)
        handler->StartSSL(FCurrentUri.Host);
    FTunnelTarget = target;
}
