// The entity, request and response header records and the proxy settings, each turning
// fields into lines (ComposeHeaders) or lines into fields (ParseHeaders); and the request
// and response records of one HTTP exchange.
#pragma once

#include "net/authentication.h"
#include "net/date_time.h"
#include "net/header_list.h"

#include <cstdint>
#include <memory>
#include <string>

class Stream;

// Fields common to requests and responses. RawLines holds the lines as last composed or
// received.
class TIdEntityHeaderInfo {
public:
    TIdEntityHeaderInfo();
    virtual ~TIdEntityHeaderInfo() = default;
    TIdEntityHeaderInfo(const TIdEntityHeaderInfo&) = delete;
    TIdEntityHeaderInfo& operator=(const TIdEntityHeaderInfo&) = delete;

    // Sets the defaults; run once at creation.
    virtual void ResetFields();

    int32_t ContentLength() const { return FContentLength; }
    // Also sets ContentLengthGiven to (length >= 0).
    void SetContentLength(int32_t length);

    std::string CacheControl;
    std::string Connection;
    std::string ContentEncoding;
    std::string ContentLanguage;
    uint32_t ContentRangeEnd = 0;
    uint32_t ContentRangeStart = 0;
    std::string ContentType;
    std::string ContentVersion;
    TIdHeaderList CustomHeaders;
    DateTime Date = 0;
    DateTime Expires = 0;
    DateTime LastModified = 0;
    std::string Pragma;
    TIdHeaderList RawLines;
    bool ContentLengthGiven = false;

private:
    void ResetEntityFields();

    int32_t FContentLength = -1;
};

class TIdRequestHeaderInfo : public TIdEntityHeaderInfo {
public:
    TIdRequestHeaderInfo();

    void ResetFields() override;
    // Rebuilds RawLines from the fields: the entity lines, the custom lines as they are,
    // the request lines, Range and Authorization, each only when it has a value. A custom
    // line of a name set later keeps its place and gets the record's value.
    void ComposeHeaders();

    std::string Accept;
    std::string AcceptCharSet;
    std::string AcceptEncoding;
    std::string AcceptLanguage;
    std::string From;
    std::string Host;
    std::string Password;
    std::string ProxyConnection;
    std::string Referer;
    std::string UserAgent;
    std::string Username;
    bool BasicAuthentication = false;
    // The scheme in use, if any: a Basic object made by ComposeHeaders when
    // BasicAuthentication is set, or the scheme the client chose for a 401.
    std::unique_ptr<TIdAuthentication> Authenticator;

private:
    void ResetRequestFields();
};

class TIdResponseHeaderInfo : public TIdEntityHeaderInfo {
public:
    TIdResponseHeaderInfo();

    void ResetFields() override;
    // Fills the fields from RawLines. Raises EConvertError when a Content-Range start or
    // end is not a number; everything else is total.
    void ParseHeaders();

    std::string Location;
    std::string Server;
    std::string ProxyConnection;
    TIdHeaderList WWWAuthenticate;
    TIdHeaderList ProxyAuthenticate;

private:
    void ResetResponseFields();
};

// Proxy settings; they add the "Proxy-Authorization" line to a request.
// How the proxy is spoken to: HTTP (absolute-form requests, CONNECT for https), or
// SOCKS5 with the name looked up here (Socks5) or by the proxy (Socks5Remote).
enum class ProxyKind { Http, Socks5, Socks5Remote };

class TIdProxyConnectionInfo {
public:
    void ResetFields();
    // Sets "Proxy-Authorization" in lines from the Authenticator, or from a Basic scheme
    // made from ProxyUsername and ProxyPassword when BasicAuthentication is set.
    void ComposeHeaders(TIdHeaderList& lines);

    const std::string& ProxyServer() const { return FProxyServer; }
    // A server that differs ignoring case frees the Authenticator.
    void SetProxyServer(std::string server);
    int32_t ProxyPort() const { return FProxyPort; }
    // A different port frees the Authenticator.
    void SetProxyPort(int32_t port);

    ProxyKind Kind = ProxyKind::Http;
    std::string ProxyUsername;
    std::string ProxyPassword;
    bool BasicAuthentication = false;
    std::unique_ptr<TIdAuthentication> Authenticator;

private:
    std::string FProxyServer;
    int32_t FProxyPort = 0;
};

enum class TIdHTTPMethod { hmHead, hmGet, hmPost, hmOptions, hmTrace, hmPut, hmDelete, hmConnect };
enum class TIdHTTPProtocolVersion { pv1_0, pv1_1 };
enum class TIdHTTPRoute { rkDirect, rkDirectTls, rkProxy, rkProxyTunnel };

class TIdHTTPRequest : public TIdRequestHeaderInfo {
public:
    // The URL given to the request, replaced by the request target when it is prepared.
    std::string Target;
    TIdHTTPMethod RequestMethod = TIdHTTPMethod::hmGet;
    Stream* UploadStream = nullptr; // not owned
    TIdHTTPRoute Route = TIdHTTPRoute::rkDirect;
};

class TIdHTTPResponse : public TIdResponseHeaderInfo {
public:
    // The number after the status line's first space ("HTTP/1.1 200 OK" gives 200); -1
    // when there is none.
    int StatusCode() const;

    // The status line exactly as read, without its line end.
    std::string StatusLine;
    Stream* BodyStream = nullptr; // not owned
};
