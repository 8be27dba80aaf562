// The tunnel through a proxy for "https": a CONNECT exchange in the clear with the
// proxy, then TLS with the origin server inside it.
#include "net/http.h"

#include "net/errors.h"
#include "net/ssl_io_handler.h"

void TIdCustomHTTP::OpenTunnel(TIdHTTPResponse& response)
{
    if (!KeepConnection(response))
        CloseItself();
    PollPeerClosed(false);
    if (IsConnected())
        return;

    TIdSSLIOHandlerSocket& handler = *SecureHandler();
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

    handler.StartSSL(FCurrentUri.Host);
    FTunnelTarget = target;
}
