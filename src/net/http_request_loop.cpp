// The request loop: one pass per request on the wire, with the route and the
// connection chosen before each head is sent.
#include "net/http.h"

#include "net/errors.h"
#include "net/number_text.h"
#include "net/proxy_target.h"
#include "net/ssl_io_handler.h"
#include "net/text_case.h"

#include <cctype>

namespace {

// Protocol, host and port of a URI, letter case folded: the server that credentials
// belong to.
std::string OriginOf(const TIdURI& uri)
{
    std::string origin = uri.Protocol + "://" + uri.Host + ":" + uri.PortText;
    for (char& c : origin)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return origin;
}

// Every 1xx but 101 is an interim answer that the final response follows.
bool IsInterim(int statusCode)
{
    return statusCode / 100 == 1 && statusCode != 101;
}

// Clears a flag when the scope ends, however it ends.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : FFlag(flag) { FFlag = true; }
    ~FlagScope() { FFlag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& FFlag;
};

} // namespace

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
    FClosedFromOutside = false;
    const FlagScope running(FRequestRunning);
    // A URL's user and password serve that one request; the configured ones come back
    // after it.
    const std::string configuredUsername = request.Username;
    const std::string configuredPassword = request.Password;
    std::string credentialsOrigin;
    request.Target = url;
    request.RequestMethod = method;
    request.UploadStream = uploadStream;
    response.BodyStream = destination;

    try {
        for (bool finished = false; !finished;) {
            // The program closed the connection (Stop) while the last response was read:
            // that ends the request rather than a new connection taking it up.
            if (FClosedFromOutside)
                throw EIdNotConnected();
            ++FRedirectsTaken;
            PrepareTarget(FCurrentUri, request, ProtocolVersion);
            // Credentials belong to the server the request was made for: a redirect to
            // another one never takes them along.
            if (credentialsOrigin.empty())
                credentialsOrigin = OriginOf(FCurrentUri);
            FCredentialsWithheld = OriginOf(FCurrentUri) != credentialsOrigin;
            if (FCredentialsWithheld)
                request.Authenticator.reset();
            OpenAndSend(request, response);
            for (int interim = 0;; ++interim) {
                if (interim > MaxInterimResponses)
                    throw EIdInvalidResponse("More than " + std::to_string(MaxInterimResponses) +
                                             " interim responses.");
                response.StatusLine = ReadLine();
                FProtocol->ReadResponseHeaders();
                CollectCookies(request, response);
                if (!IsInterim(response.StatusCode()))
                    break;
            }

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
    } catch (const EIdInvalidResponse&) {
        // The rest of the response was not read: nothing more can be read on the
        // connection.
        RestoreCredentials(configuredUsername, configuredPassword);
        CloseItself();
        throw;
    } catch (...) {
        RestoreCredentials(configuredUsername, configuredPassword);
        if (!KeepConnection(response))
            CloseItself();
        throw;
    }
    RestoreCredentials(configuredUsername, configuredPassword);
    if (!KeepConnection(response))
        CloseItself();
    FRedirectsTaken = 0;
}

void TIdCustomHTTP::RestoreCredentials(const std::string& username, const std::string& password)
{
    TIdHTTPRequest& request = FProtocol->Request;
    FCredentialsWithheld = false;
    if (request.Username == username && request.Password == password)
        return;
    request.Username = username;
    request.Password = password;
    // A scheme made from the URL's credentials would send them again.
    request.Authenticator.reset();
}

void TIdCustomHTTP::OpenAndSend(TIdHTTPRequest& request, TIdHTTPResponse& response)
{
    request.Route = ChooseRoute();
    if (request.Route == TIdHTTPRoute::rkProxy)
        request.Target = EscapeRequestTarget(FCurrentUri.PlainUri());

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
    else if (!ProxyParams.ProxyServer().empty() && ProxyParams.Kind != ProxyKind::Http)
        OpenSocksTunnel(response, request.Route == TIdHTTPRoute::rkDirectTls);
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
        CloseItself();
    handler->PassThrough = !encrypted;
}

TIdHTTPRoute TIdCustomHTTP::ChooseRoute()
{
    const bool secure = SameTextAscii(FCurrentUri.Protocol, "HTTPS");

    if (!ProxyParams.ProxyServer().empty()) {
        // Checked before the connection is touched: the proxy would be asked for
        // another port than the URL names, or a line broken inside the request.
        CheckProxyTarget(FCurrentUri.Host, FCurrentUri.PortText);
        if (!SameTextAscii(Host(), ProxyParams.ProxyServer()) || Port() != ProxyParams.ProxyPort()) {
            if (IsConnected())
                CloseItself();
            // The current URI keeps naming the origin server: the proxy is asked for it.
            TIdTCPClient::SetHost(ProxyParams.ProxyServer());
            TIdTCPClient::SetPort(ProxyParams.ProxyPort());
        }
        if (ProxyParams.Kind != ProxyKind::Http) {
            // Through SOCKS the requests are the ones made directly, on a stream to one
            // origin server.
            if (secure && !SecureHandler())
                throw EIdIOHandlerPropInvalid();
            if (IsConnected() && (!SameTextAscii(FTunnelTarget, TunnelTarget()) ||
                                  (SecureHandler() && SecureHandler()->Encrypted() != secure)))
                CloseItself();
            return secure ? TIdHTTPRoute::rkDirectTls : TIdHTTPRoute::rkDirect;
        }
        if (!secure) {
            UseEncryption(false);
            return TIdHTTPRoute::rkProxy;
        }
        if (!SecureHandler())
            throw EIdIOHandlerPropInvalid();
        // A tunnel goes to one origin server only.
        if (IsConnected() && (!SecureHandler()->Encrypted() || !SameTextAscii(FTunnelTarget, TunnelTarget())))
            CloseItself();
        return TIdHTTPRoute::rkProxyTunnel;
    }

    const int32_t port = StrToInt(FCurrentUri.PortText);
    // Checked before the connection is touched: a port that does not fit 16 bits would
    // connect to another one than the Host header names.
    if (port < 1 || port > 65535)
        throw EIdInvalidRequest("Port number out of range (1-65535): " + FCurrentUri.PortText);
    if (!SameTextAscii(Host(), FCurrentUri.Host) || Port() != port) {
        if (IsConnected())
            CloseItself();
        SetHost(FCurrentUri.Host);
        SetPort(port);
    }
    // Any protocol but http and https is refused (a redirect to "ftp:" or "file:" is
    // not fetched as HTTP from whatever host and port are current); https needs the
    // secure transport.
    if (!secure && !SameTextAscii(FCurrentUri.Protocol, "HTTP"))
        throw EIdIOHandlerPropInvalid();
    UseEncryption(secure);
    return secure ? TIdHTTPRoute::rkDirectTls : TIdHTTPRoute::rkDirect;
}

void TIdCustomHTTP::EnsureConnected(TIdHTTPResponse& response)
{
    if (!KeepConnection(response))
        CloseItself();
    PollPeerClosed(false);
    // The poll pumps: a Stop handled there ends the request before a new connection.
    if (FClosedFromOutside)
        throw EIdNotConnected();
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
