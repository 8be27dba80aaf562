// One exchange on the wire: the request head out, the response head in, and what the
// response means.
#include "net/http.h"

#include "net/errors.h"
#include "net/text_case.h"

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
    if (FClient.FCredentialsWithheld)
        Request.RawLines.SetValueOf("Authorization", "");
    // The proxy's credentials go to the proxy only: not through a tunnel to the origin
    // server, nor to a server asked directly.
    if (Request.Route == TIdHTTPRoute::rkProxy)
        FClient.ProxyParams.ComposeHeaders(Request.RawLines);
    if (uri)
        FClient.AttachCookies(*uri, Request);
    for (const std::string& line : Request.RawLines.Lines()) {
        if (HoldsControlCharacter(line))
            throw EIdInvalidRequest("A request header holds a control character.");
    }

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
    // Each line is counted with a two-byte line end, whatever its end was.
    int64_t headLength = static_cast<int64_t>(Response.StatusLine.size()) + 2;
    const auto count = [&](const std::string& line) {
        headLength += static_cast<int64_t>(line.size()) + 2;
        if (headLength > MaxResponseHeadLength)
            throw EIdInvalidResponse("The response head exceeds " + std::to_string(MaxResponseHeadLength) + " bytes.");
    };

    Response.RawLines.Clear();
    std::string line = FClient.ReadLine();
    count(line);
    try {
        while (!line.empty()) {
            Response.RawLines.Add(line);
            line = FClient.ReadLine();
            count(line);
        }
    } catch (const EIdConnClosedGracefully&) {
        FClient.CloseItself();
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
        // A redirect loop, or a chain longer than the client follows, fails with the last
        // redirect rather than ending with nothing as if it had succeeded.
        if (FClient.HandleRedirects && FClient.FRedirectsTaken >= FClient.RedirectMaximum)
            FClient.RaiseStatusError();
        if (FClient.HandleRedirects) {
            if (!FClient.NotifyRedirect(location, method, FClient.FRedirectsTaken))
                FClient.RaiseStatusError();
            next = nsFollow;
            Request.Target = location;
            Request.RequestMethod = method;
        } else {
            // Not followed: a handler that accepts it ends the request normally, with the
            // location for the caller and nothing in the destination.
            next = nsDone;
            if (!FClient.NotifyRedirect(location, method, FClient.FRedirectsTaken))
                FClient.RaiseStatusError();
            Response.Location = location;
        }
        if (FClient.IsConnected())
            FClient.WithReadTimeout(DiscardedBodyReadTimeout, [this] { FClient.DiscardBody(Response); });
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
            FClient.WithReadTimeout(DiscardedBodyReadTimeout, [this] { FClient.DiscardBody(Response); });
            next = nsAuthRetry;
        } else {
            if (code != 204)
                FClient.ReadBody(Response);
            next = nsDone;
        }
    }
    return next;
}
