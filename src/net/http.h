// The HTTP/1.1 client: one GET (or another method) per call, with redirects followed,
// the body of the final response written into a stream, and every failure raised as
// an EId... error. The request loop prepares the target, opens or reuses the
// connection, sends the head in one write, reads the status line and headers, decides
// what the response means and reads the body in one of four framings. Cookies are
// collected from every response and attached to every request.
#pragma once

#include "net/connection.h"
#include "net/header_records.h"
#include "net/prepare_target.h"
#include "net/uri.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TIdCookieManager;
class TIdCustomHTTP;
class TIdSSLIOHandlerSocket;

// How long a body that is read only to be thrown away (a redirect's, or one before an
// authorization retry) may keep the next request waiting.
constexpr int32_t DiscardedBodyReadTimeout = 4000;
// How long the error page of a status error may keep the error waiting.
constexpr int32_t ErrorPageReadTimeout = 2000;
// Bytes of a thrown-away body that are read at most: a redirect page is a few hundred
// bytes, and past this the rest is left unread and the connection closed, so a server
// cannot keep the client reading (or holding) an endless body that nobody wants.
constexpr int32_t MaxDiscardedBodyLength = 1024 * 1024;
// Bytes of an error page kept with a status error: enough for any real error page; the
// rest is not read.
constexpr int32_t MaxErrorPageLength = 64 * 1024;
// Bytes of one response head (status line, header lines and continuation lines, line
// ends counted): real heads are a few KiB and the largest servers accept 64 KiB; past
// this the response fails instead of growing the header list without end.
constexpr int32_t MaxResponseHeadLength = 256 * 1024;
// Interim (1xx) responses skipped before one request's final response: a server sends
// one or two; an endless stream of them would keep the request from ever ending.
constexpr int MaxInterimResponses = 20;

// What a response means for the request loop.
enum TNextStep {
    nsFollow,    // send the request again, for the Target now set
    nsDone,      // the request is finished
    nsUnknown,   // no rule applied
    nsAuthRetry, // send the request for the original URL again, now with authorization
};

enum TIdHTTPOption : unsigned {
    hoInProcessAuth = 1u << 0,
    hoKeepOrigProtocol = 1u << 1,
    hoForceEncodeParams = 1u << 2,
};
using TIdHTTPOptions = unsigned;

// The request and response records of the client, kept for its whole life, and the
// steps of one exchange that work on them.
class TIdHTTPProtocol {
public:
    explicit TIdHTTPProtocol(TIdCustomHTTP& client) : FClient(client) {}

    // Composes the header lines (the record's, the proxy's, then the cookies when uri is
    // given) and sends the request line, the non-empty header lines and the empty line
    // in one write.
    void SendRequestHead(TIdURI* uri);
    // Reads header lines up to the empty line into the response's RawLines and parses
    // them. A peer that closes after the first header line ends the block early and
    // closes the connection; before it, the close is raised. A head (status line
    // included) longer than MaxResponseHeadLength raises EIdInvalidResponse.
    void ReadResponseHeaders();
    // Follow a redirect, read the body and finish, retry with authorization, or raise
    // the status error. A redirect past RedirectMaximum raises the status error.
    TNextStep DecideNextStep();

    TIdHTTPRequest Request;
    TIdHTTPResponse Response;

private:
    TIdCustomHTTP& FClient;
};

class TIdCustomHTTP : public TIdTCPClient {
public:
    using TIdHTTPOnRedirectEvent = std::function<void(TIdCustomHTTP& Sender, std::string& dest,
                                                      int32_t& NumRedirect, bool& Handled, TIdHTTPMethod& VMethod)>;
    using TIdOnSelectAuthorization = std::function<void(TIdCustomHTTP& Sender, TIdAuthenticationClass& AuthenticationClass,
                                                        const TIdHeaderList& AuthInfo)>;
    using TIdOnAuthorization =
        std::function<void(TIdCustomHTTP& Sender, TIdAuthentication& Authentication, bool& Handled)>;

    TIdCustomHTTP();
    ~TIdCustomHTTP() override;

    // GETs url and writes the body of the final response into destination from its
    // current position. Returns only when the exchange ended as done.
    void HttpGet(const std::string& url, Stream& destination);
    // The status line of the last response read; empty before the first one.
    const std::string& StatusLine() const { return FProtocol->Response.StatusLine; }

    // Also set the current URI's host and port text.
    void SetHost(const std::string& host) override;
    void SetPort(int32_t port) override;
    // A close that the program asks for while a request runs (the Stop of a gathering,
    // from a pump or a work event) ends that whole request: no further connection or
    // request is made for it.
    void CloseConnection() override;
    // After the base behaviour, frees a request scheme whose steps are complete and
    // resets the proxy's scheme.
    void NotifyDisconnected() override;

    TIdHTTPRequest& Request() { return FProtocol->Request; }
    // Copies the given record's fields into the client's own (a scheme object is not
    // copied).
    void SetRequest(const TIdHTTPRequest& request);
    TIdHTTPResponse& Response() { return FProtocol->Response; }
    TIdURI& CurrentUri() { return FCurrentUri; }

    TIdCookieManager* CookieManager() const { return FCookieManager; }
    // Destroys a manager the client made itself; a manager given here is not owned, and
    // when it is destroyed elsewhere the client forgets it.
    void SetCookieManager(TIdCookieManager* manager);

    int32_t RedirectsTaken() const { return FRedirectsTaken; }
    int32_t AuthAttempts() const { return FAuthAttempts; }
    int32_t ProxyAuthAttempts() const { return FProxyAuthAttempts; }

    TIdHTTPProtocolVersion ProtocolVersion = TIdHTTPProtocolVersion::pv1_1;
    bool HandleRedirects = false;
    int32_t RedirectMaximum = 15;
    int32_t AuthRetries = 3;
    bool AllowCookies = true;
    // Only hoInProcessAuth changes anything; no URL or parameter is ever encoded.
    TIdHTTPOptions HTTPOptions = hoForceEncodeParams;
    TIdProxyConnectionInfo ProxyParams;

    TIdHTTPOnRedirectEvent OnRedirect;
    TIdOnSelectAuthorization OnSelectAuthorization;
    TIdOnSelectAuthorization OnSelectProxyAuthorization;
    TIdOnAuthorization OnAuthorization;
    TIdOnAuthorization OnProxyAuthorization;

protected:
    // The request loop: one pass per request on the wire, until a response is done.
    // On every ending the connection is closed unless the last response keeps it. A
    // close from outside the loop ends it with EIdNotConnected before the next pass.
    void RunRequest(TIdHTTPMethod method, const std::string& url, Stream* uploadStream, Stream* destination);
    void OpenAndSend(TIdHTTPRequest& request, TIdHTTPResponse& response);
    // Points Host and Port at the current URI (or the proxy), closing a connection to
    // another peer, and puts an assigned secure transport into encrypted mode for
    // "https" and into plain mode otherwise. A port outside 1-65535 raises
    // EIdInvalidRequest; "https" without a secure transport, and any protocol but http
    // and https, raise EIdIOHandlerPropInvalid.
    TIdHTTPRoute ChooseRoute();
    // Through the proxy: the CONNECT exchange for the current URI's host and port, then
    // the TLS handshake with that host inside the tunnel. A tunnel kept open to the same
    // origin is used again. A refusal by the proxy raises its status error.
    void OpenTunnel(TIdHTTPResponse& response);
    // Through a SOCKS5 proxy: its exchange for the current URI's host and port, then,
    // for "https", the TLS handshake with that host. A stream kept open to the same
    // origin is used again.
    void OpenSocksTunnel(TIdHTTPResponse& response, bool secure);
    // Closes a connection the last response does not keep, notices a peer that closed
    // an idle one, and connects when not connected.
    void EnsureConnected(TIdHTTPResponse& response);
    // False when the connection is gone; otherwise, under HTTP 1.1, unless a
    // Connection or Proxy-Connection value is "close"; under 1.0 only when one is
    // "keep-alive".
    bool KeepConnection(const TIdHTTPResponse& response);

    // The body in the response's framing into its BodyStream: Content-Length (a short
    // body is no error and keeps every byte that arrived), chunked (a size that is not a
    // hexadecimal number or exceeds 2147483647 raises EIdInvalidResponse), until the
    // peer closes, or nothing.
    void ReadBody(TIdHTTPResponse& response);
    // Reads the body and throws it away as it arrives, at most MaxDiscardedBodyLength
    // bytes of it. Any failure, and a body past the limit, closes the connection, whose
    // next exchange could otherwise begin inside this body; nothing is raised.
    void DiscardBody(TIdHTTPResponse& response);
    // Reads the error page (within ErrorPageReadTimeout, at most MaxErrorPageLength
    // bytes of it; past that the connection is closed) and raises
    // EIdHTTPProtocolException with the status line, code and page.
    [[noreturn]] void RaiseStatusError();
    // Whether to follow: HandleRedirects, unless OnRedirect decides otherwise (it may
    // also change the location and the method).
    bool NotifyRedirect(std::string& location, TIdHTTPMethod& method, int32_t count);
    bool TryAuthorization(TIdHTTPRequest& request, TIdHTTPResponse& response);
    bool TryProxyAuthorization(TIdHTTPRequest& request, TIdHTTPResponse& response);

    // Makes the client's own manager on the first response (when AllowCookies) and
    // hands it every "Set-cookie" and then every "Set-cookie2" value.
    void CollectCookies(TIdHTTPRequest& request, TIdHTTPResponse& response);
    // Sets the request's "Cookie" line when the manager has cookies for uri.
    void AttachCookies(TIdURI& uri, TIdHTTPRequest& request);

private:
    friend class TIdHTTPProtocol;

    // The client's own closes (another peer, a response that does not keep the
    // connection, a body left unread), which do not end the request.
    void CloseItself();
    // Reads count bytes into the stream; when the peer closes first, the bytes that did
    // arrive go into the stream before EIdConnClosedGracefully is raised.
    void ReadCounted(Stream& stream, int32_t count);
    // Runs read with ReadTimeout set to milliseconds, restoring it afterwards.
    void WithReadTimeout(int32_t milliseconds, const std::function<void()>& read);
    // The steps a 401 and a 407 share: choose the first registered scheme the challenges
    // name (the select handler may change it), then let the handler supply credentials.
    bool AnswerChallenge(std::unique_ptr<TIdAuthentication>& authenticator, const TIdHeaderList& challenges,
                         const TIdOnSelectAuthorization& onSelect, const TIdOnAuthorization& onAuthorization,
                         std::string& username, std::string& password);

    // Gives the request back the credentials it was configured with, dropping those a
    // URL brought.
    void RestoreCredentials(const std::string& username, const std::string& password);

    // The assigned transport when it is a secure one.
    TIdSSLIOHandlerSocket* SecureHandler() const;
    // Closes a kept connection of the other kind, then sets the secure transport's mode.
    void UseEncryption(bool encrypted);
    // host:port of the current URI, as the CONNECT request names it.
    std::string TunnelTarget() const { return HostForUrl(FCurrentUri.Host) + ":" + FCurrentUri.PortText; }

    TIdURI FCurrentUri;
    std::unique_ptr<TIdHTTPProtocol> FProtocol;
    // The origin the open tunnel leads to; empty when no tunnel is open.
    std::string FTunnelTarget;
    int32_t FRedirectsTaken = 0;
    int32_t FAuthAttempts = 0;
    int32_t FProxyAuthAttempts = 0;
    TIdCookieManager* FCookieManager = nullptr;
    bool FOwnsCookieManager = false;
    bool FRequestRunning = false;
    bool FClosedFromOutside = false;
    // The pass goes to another server than the one the request was made for: no
    // Authorization line.
    bool FCredentialsWithheld = false;
};

// The client as the program's window configures it.
class TIdHTTP : public TIdCustomHTTP {};
