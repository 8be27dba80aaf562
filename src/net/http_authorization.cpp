// Answering a 401 or 407 challenge with a registered scheme, when a handler supplies
// the credentials.
#include "net/http.h"

namespace {

// The scheme of the first challenge that names a registered one; nullptr when none.
TIdAuthenticationClass FirstRegisteredScheme(const TIdHeaderList& challenges)
{
    for (int i = 0; i < challenges.Count(); ++i) {
        if (TIdAuthenticationClass scheme = FindAuthenticationScheme(challenges[i]))
            return scheme;
    }
    return nullptr;
}

} // namespace

bool TIdCustomHTTP::TryAuthorization(TIdHTTPRequest& request, TIdHTTPResponse& response)
{
    ++FAuthAttempts;
    if (!request.Authenticator) {
        TIdAuthenticationClass scheme = FirstRegisteredScheme(response.WWWAuthenticate);
        if (!scheme)
            return false;
        if (OnSelectAuthorization)
            OnSelectAuthorization(*this, scheme, response.WWWAuthenticate);
        if (!scheme)
            return false;
        request.Authenticator = scheme();
    }
    if (!OnAuthorization)
        return false;

    TIdAuthentication& authentication = *request.Authenticator;
    authentication.SetUsername(request.Username);
    authentication.SetPassword(request.Password);
    bool handled = false;
    OnAuthorization(*this, authentication, handled);
    if (handled) {
        request.Username = authentication.Username();
        request.Password = authentication.Password();
    }
    return handled;
}

bool TIdCustomHTTP::TryProxyAuthorization(TIdHTTPRequest& request, TIdHTTPResponse& response)
{
    ++FProxyAuthAttempts;
    ProxyParams.ProxyPassword.clear();
    if (ProxyParams.Authenticator)
        ProxyParams.Authenticator->Reset();
    if (!ProxyParams.Authenticator) {
        TIdAuthenticationClass scheme = FirstRegisteredScheme(response.ProxyAuthenticate);
        if (!scheme)
            return false;
        if (OnSelectProxyAuthorization)
            OnSelectProxyAuthorization(*this, scheme, response.ProxyAuthenticate);
        if (!scheme)
            return false;
        ProxyParams.Authenticator = scheme();
    }
    if (!OnProxyAuthorization)
        return false;

    TIdAuthentication& authentication = *ProxyParams.Authenticator;
    authentication.SetUsername(ProxyParams.ProxyUsername);
    authentication.SetPassword(ProxyParams.ProxyPassword);
    bool handled = false;
    OnProxyAuthorization(*this, authentication, handled);
    if (handled) {
        ProxyParams.ProxyUsername = authentication.Username();
        ProxyParams.ProxyPassword = authentication.Password();
    }
    return handled;
}
