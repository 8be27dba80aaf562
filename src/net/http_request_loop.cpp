// The request loop: one pass per request on the wire, with the route and the
// connection chosen before each head is sent.
#include "net/http.h"

#include "net/errors.h"
#include "net/number_text.h"
#include "net/ssl_io_handler.h"
#include "net/text_case.h"

void TIdCustomHTTP::RunRequest(TIdHTTPMethod method, const std::string& url, Stream* uploadStream,
                               Stream* destination)
{
    TIdHTTPRequest& request = FProtocol->Request;
    TIdHTTPResponse& response = FProtocol->Response;

    const int64_t start = destination ? destination->Position() : 0;
    // Counted afresh for every request: a count left over from a failed request would
    // let later requests follow fewer redirects.
    FRedirectsTaken = 0;
    FAuthAttempts = 0;
    FProxyAuthAttempts = 0;
    request.Target = url;
    request.RequestMethod = method;
    request.UploadStream = uploadStream;
    response.BodyStream = destination;

    try {
        for (bool finished = false; !finished;) {
            ++FRedirectsTaken;
            PrepareTarget(FCurrentUri, request, ProtocolVersion);
            OpenAndSend(request, response);
            do {
                response.StatusLine = ReadLine();
                FProtocol->ReadResponseHeaders();
                CollectCookies(request, response);
            } while (response.StatusCode() == 100);

            switch (FProtocol->DecideNextStep()) {
            case nsFollow:
                if (destination) {
                    destination->SetSize(start);
                    destination->SetPosition(start);
                }
                FAuthAttempts = 0;
                FProxyAuthAttempts = 0;
                break;
            case nsAuthRetry:
                --FRedirectsTaken;
                request.Target = url;
                break;
            case nsUnknown:
                throw EIdException("Undefined situation");
            case nsDone:
                finished = true;
                break;
            }
        }
    } catch (...) {
        if (!KeepConnection(response))
            CloseConnection();
        throw;
    }
    if (!KeepConnection(response))
        CloseConnection();
    FRedirectsTaken = 0;
}

void TIdCustomHTTP::OpenAndSend(TIdHTTPRequest& request, TIdHTTPResponse& response)
{
    request.Route = ChooseRoute();
    if (request.Route == TIdHTTPRoute::rkProxy)
        request.Target = FCurrentUri.PlainUri();

    if (request.Route == TIdHTTPRoute::rkDirectTls || request.Route == TIdHTTPRoute::rkProxyTunnel) {
        request.Connection.clear();
    } else if (ProtocolVersion == TIdHTTPProtocolVersion::pv1_0 && request.Connection.empty()) {
        if (request.Route == TIdHTTPRoute::rkDirect)
            request.Connection = "keep-alive";
        else
            request.ProxyConnection = "keep-alive";
    }

    if (request.Route == TIdHTTPRoute::rkProxyTunnel)
        OpenTunnel(response);
    else
        EnsureConnected(response);
    FProtocol->SendRequestHead(&FCurrentUri);
    if ((request.RequestMethod == TIdHTTPMethod::hmPost || request.RequestMethod == TIdHTTPMethod::hmPut) &&
        request.UploadStream)
        WriteFromStream(*request.UploadStream);
}

TIdSSLIOHandlerSocket* TIdCustomHTTP::SecureHandler() const
{
    return dynamic_cast<TIdSSLIOHandlerSocket*>(FIOHandler.get());
}

void TIdCustomHTTP::UseEncryption(bool encrypted)
{
    TIdSSLIOHandlerSocket* handler = SecureHandler();
    if (!handler) {
        if (encrypted)
            throw EIdIOHandlerPropInvalid();
        return;
    }
    // A kept connection never changes between plain and encrypted under a request.
    if (handler->PassThrough == encrypted && IsConnected())
        CloseConnection();
    handler->PassThrough = !encrypted;
}

TIdHTTPRoute TIdCustomHTTP::ChooseRoute()
{
    const bool secure = SameTextAscii(FCurrentUri.Protocol, "HTTPS");

    if (!ProxyParams.ProxyServer().empty()) {
        if (!SameTextAscii(Host(), ProxyParams.ProxyServer()) || Port() != ProxyParams.ProxyPort()) {
            if (IsConnected())
                CloseConnection();
            // The current URI keeps naming the origin server: the proxy is asked for it.
            TIdTCPClient::SetHost(ProxyParams.ProxyServer());
            TIdTCPClient::SetPort(ProxyParams.ProxyPort());
        }
        if (!secure) {
            UseEncryption(false);
            return TIdHTTPRoute::rkProxy;
        }
        if (!SecureHandler())
            throw EIdIOHandlerPropInvalid();
        // A tunnel goes to one origin server only.
        if (IsConnected() && (!SecureHandler()->Encrypted() || !SameTextAscii(FTunnelTarget, TunnelTarget())))
            CloseConnection();
        return TIdHTTPRoute::rkProxyTunnel;
    }

    const int32_t port = StrToInt(FCurrentUri.PortText);
    if (!SameTextAscii(Host(), FCurrentUri.Host) || Port() != port) {
        if (IsConnected())
            CloseConnection();
        SetHost(FCurrentUri.Host);
        SetPort(port);
    }
    UseEncryption(secure);
    return secure ? TIdHTTPRoute::rkDirectTls : TIdHTTPRoute::rkDirect;
}

void TIdCustomHTTP::EnsureConnected(TIdHTTPResponse& response)
{
    if (!KeepConnection(response))
        CloseConnection();
    PollPeerClosed(false);
    if (!IsConnected())
        OpenConnection(ReadTimeout);
}

bool TIdCustomHTTP::KeepConnection(const TIdHTTPResponse& response)
{
    if (!IsConnected())
        return false;
    const std::string_view connection = TrimView(response.Connection);
    const std::string_view proxyConnection = TrimView(response.ProxyConnection);
    if (ProtocolVersion == TIdHTTPProtocolVersion::pv1_1)
        return !SameTextAscii(connection, "close") && !SameTextAscii(proxyConnection, "close");
    return SameTextAscii(connection, "keep-alive") || SameTextAscii(proxyConnection, "keep-alive");
}
