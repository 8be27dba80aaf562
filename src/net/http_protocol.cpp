// One exchange on the wire: the request head out, the response head in, and what the
// response means.
#include "net/http.h"

#include "net/errors.h"

namespace {

const char* MethodWord(TIdHTTPMethod method)
{
    switch (method) {
    case TIdHTTPMethod::hmHead:
        return "HEAD ";
    case TIdHTTPMethod::hmGet:
        return "GET ";
    case TIdHTTPMethod::hmPost:
        return "POST ";
    case TIdHTTPMethod::hmOptions:
        return "OPTIONS ";
    case TIdHTTPMethod::hmTrace:
        return "TRACE ";
    case TIdHTTPMethod::hmPut:
        return "PUT ";
    case TIdHTTPMethod::hmDelete:
        return "DELETE ";
    case TIdHTTPMethod::hmConnect:
        return "CONNECT ";
    }
    return "";
}

} // namespace

void TIdHTTPProtocol::SendRequestHead(TIdURI* uri)
{
    Request.ComposeHeaders();
    // Inside a tunnel the origin server reads the head: the proxy's credentials stay out.
    if (Request.Route != TIdHTTPRoute::rkProxyTunnel)
        FClient.ProxyParams.ComposeHeaders(Request.RawLines);
    if (uri)
        FClient.AttachCookies(*uri, Request);

    const char* version = FClient.ProtocolVersion == TIdHTTPProtocolVersion::pv1_0 ? "1.0" : "1.1";
    FClient.StartWriteCache();
    try {
        FClient.WriteLine(MethodWord(Request.RequestMethod) + Request.Target + " HTTP/" + version);
        for (const std::string& line : Request.RawLines.Lines()) {
            if (!line.empty())
                FClient.WriteLine(line);
        }
        FClient.WriteLine("");
    } catch (...) {
        FClient.DiscardWriteCache();
        FClient.FinishWriteCache();
        throw;
    }
    FClient.FinishWriteCache();
}

void TIdHTTPProtocol::ReadResponseHeaders()
{
    Response.RawLines.Clear();
    std::string line = FClient.ReadLine();
    try {
        while (!line.empty()) {
            Response.RawLines.Add(line);
            line = FClient.ReadLine();
        }
    } catch (const EIdConnClosedGracefully&) {
        FClient.CloseConnection();
    }
    Response.ParseHeaders();
}

TNextStep TIdHTTPProtocol::DecideNextStep()
{
    TNextStep next = nsUnknown;
    const int code = Response.StatusCode();
    const int kind = code / 100;

    if ((kind == 3 && code != 304) || !Response.Location.empty()) {
        std::string location = Response.Location;
        TIdHTTPMethod method = Request.RequestMethod;
        if (FClient.HandleRedirects && FClient.FRedirectsTaken < FClient.RedirectMaximum) {
            if (!FClient.NotifyRedirect(location, method, FClient.FRedirectsTaken))
                FClient.RaiseStatusError();
            next = nsFollow;
            Request.Target = location;
            Request.RequestMethod = method;
        } else {
            // Past the limit the redirect ends the request normally, with an empty body.
            next = nsDone;
            if (!FClient.NotifyRedirect(location, method, FClient.FRedirectsTaken))
                FClient.RaiseStatusError();
            Response.Location = location;
        }
        if (FClient.IsConnected()) {
            try {
                FClient.WithReadTimeout(DiscardedBodyReadTimeout, [this] { FClient.DiscardBody(Response); });
            } catch (const std::exception&) {
                // The redirect's own body does not matter.
            }
        }
        return next;
    }

    bool discardBody = false;
    if (kind != 2) {
        next = nsFollow;
        if (code == 401) {
            if (FClient.FAuthAttempts >= FClient.AuthRetries || !FClient.TryAuthorization(Request, Response)) {
                // Not kept: a scheme without credentials would add an empty
                // Authorization line to every later request.
                Request.Authenticator.reset();
                FClient.RaiseStatusError();
            }
            discardBody = (FClient.HTTPOptions & hoInProcessAuth) != 0;
        } else if (code == 407) {
            if (FClient.FProxyAuthAttempts >= FClient.AuthRetries ||
                !FClient.TryProxyAuthorization(Request, Response)) {
                FClient.ProxyParams.Authenticator.reset();
                FClient.RaiseStatusError();
            }
            discardBody = (FClient.HTTPOptions & hoInProcessAuth) != 0;
        } else {
            FClient.RaiseStatusError();
        }
    }

    if (FClient.IsConnected()) {
        if (discardBody) {
            FClient.WithReadTimeout(DiscardedBodyReadTimeout, [this] {
                try {
                    FClient.DiscardBody(Response);
                } catch (const std::exception&) {
                    // Only the retry matters.
                }
            });
            next = nsAuthRetry;
        } else {
            if (code != 204)
                FClient.ReadBody(Response);
            next = nsDone;
        }
    }
    return next;
}
