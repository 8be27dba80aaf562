// The client's side of the cookie store: the manager it holds, the cookies it collects
// from every response and attaches to every request.
#include "net/cookies.h"
#include "net/http.h"
#include "net/ssl_io_handler.h"

void TIdCustomHTTP::SetCookieManager(TIdCookieManager* manager)
{
    if (FCookieManager == manager)
        return;
    if (FCookieManager) {
        if (FOwnsCookieManager)
            delete FCookieManager;
        else
            FCookieManager->RemoveDestroyWatch(this);
    }
    FCookieManager = manager;
    FOwnsCookieManager = false;
    if (FCookieManager)
        FCookieManager->AddDestroyWatch(this, [this] { FCookieManager = nullptr; });
}

void TIdCustomHTTP::CollectCookies(TIdHTTPRequest& request, TIdHTTPResponse& response)
{
    if (!FCookieManager && AllowCookies) {
        SetCookieManager(new TIdCookieManager());
        FOwnsCookieManager = true;
    }
    if (!FCookieManager)
        return;

    TIdHeaderList cookies;
    TIdHeaderList cookies2;
    response.RawLines.ExtractAll("Set-cookie", &cookies);
    response.RawLines.ExtractAll("Set-cookie2", &cookies2);
    const TIdSSLIOHandlerSocket* handler = SecureHandler();
    const bool encrypted = handler && handler->Encrypted();
    for (const std::string& text : cookies.Lines())
        FCookieManager->AcceptCookie(text, FCurrentUri.Host, encrypted);
    for (const std::string& text : cookies2.Lines())
        FCookieManager->AcceptCookie2(text, FCurrentUri.Host, encrypted);
}

void TIdCustomHTTP::AttachCookies(TIdURI& uri, TIdHTTPRequest& request)
{
    if (!FCookieManager)
        return;
    // A "secure" cookie goes only where the bytes are encrypted: a secure transport in
    // plain mode would let it leak over http.
    const TIdSSLIOHandlerSocket* handler = SecureHandler();
    const std::string text = FCookieManager->BuildCookieHeader(uri, handler && handler->Encrypted());
    if (!text.empty())
        request.RawLines.SetValueOf("Cookie", text);
}
