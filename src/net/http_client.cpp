// The client object: its defaults, the properties that reach into the current URI and
// the request record, the disconnect extension and the one public request.
#include "net/http.h"

#include "net/cookies.h"

TIdCustomHTTP::TIdCustomHTTP() : FProtocol(std::make_unique<TIdHTTPProtocol>(*this))
{
    SetPort(80);
}

TIdCustomHTTP::~TIdCustomHTTP()
{
    SetCookieManager(nullptr);
}

void TIdCustomHTTP::HttpGet(const std::string& url, Stream& destination)
{
    RunRequest(TIdHTTPMethod::hmGet, url, nullptr, &destination);
}

void TIdCustomHTTP::SetHost(const std::string& host)
{
    TIdTCPClient::SetHost(host);
    FCurrentUri.Host = host;
}

void TIdCustomHTTP::SetPort(int32_t port)
{
    TIdTCPClient::SetPort(port);
    FCurrentUri.PortText = std::to_string(port);
}

void TIdCustomHTTP::CloseConnection()
{
    if (FRequestRunning)
        FClosedFromOutside = true;
    TIdTCPClient::CloseConnection();
}

void TIdCustomHTTP::CloseItself()
{
    TIdTCPClient::CloseConnection();
}

void TIdCustomHTTP::NotifyDisconnected()
{
    TIdTCPClient::NotifyDisconnected();
    FTunnelTarget.clear();
    TIdHTTPRequest& request = FProtocol->Request;
    if (request.Authenticator && request.Authenticator->StepsComplete())
        request.Authenticator.reset();
    if (ProxyParams.Authenticator)
        ProxyParams.Authenticator->Reset();
}

void TIdCustomHTTP::SetRequest(const TIdHTTPRequest& source)
{
    TIdHTTPRequest& request = FProtocol->Request;
    request.CacheControl = source.CacheControl;
    request.Connection = source.Connection;
    request.ContentEncoding = source.ContentEncoding;
    request.ContentLanguage = source.ContentLanguage;
    request.SetContentLength(source.ContentLength());
    request.ContentLengthGiven = source.ContentLengthGiven;
    request.ContentRangeEnd = source.ContentRangeEnd;
    request.ContentRangeStart = source.ContentRangeStart;
    request.ContentType = source.ContentType;
    request.ContentVersion = source.ContentVersion;
    request.CustomHeaders.Assign(source.CustomHeaders);
    request.Date = source.Date;
    request.Expires = source.Expires;
    request.LastModified = source.LastModified;
    request.Pragma = source.Pragma;
    request.RawLines.Assign(source.RawLines);

    request.Accept = source.Accept;
    request.AcceptCharSet = source.AcceptCharSet;
    request.AcceptEncoding = source.AcceptEncoding;
    request.AcceptLanguage = source.AcceptLanguage;
    request.From = source.From;
    request.Host = source.Host;
    request.Password = source.Password;
    request.ProxyConnection = source.ProxyConnection;
    request.Referer = source.Referer;
    request.UserAgent = source.UserAgent;
    request.Username = source.Username;
    request.BasicAuthentication = source.BasicAuthentication;

    request.Target = source.Target;
    request.RequestMethod = source.RequestMethod;
    request.UploadStream = source.UploadStream;
    request.Route = source.Route;
}
