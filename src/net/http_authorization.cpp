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

bool TIdCustomHTTP::AnswerChallenge(std::unique_ptr<TIdAuthentication>& authenticator,
                                    const TIdHeaderList& challenges, const TIdOnSelectAuthorization& onSelect,
                                    const TIdOnAuthorization& onAuthorization, std::string& username,
                                    std::string& password)
{
    if (!authenticator) {
        TIdAuthenticationClass scheme = FirstRegisteredScheme(challenges);
        if (!scheme)
            return false;
        if (onSelect)
            onSelect(*this, scheme, challenges);
        if (!scheme)
            return false;
        authenticator = scheme();
    }
    if (!onAuthorization)
        return false;

    TIdAuthentication& authentication = *authenticator;
    authentication.SetUsername(username);
    authentication.SetPassword(password);
    bool handled = false;
    onAuthorization(*this, authentication, handled);
    if (handled) {
        username = authentication.Username();
        password = authentication.Password();
    }
    return handled;
}

bool TIdCustomHTTP::TryAuthorization(TIdHTTPRequest& request, TIdHTTPResponse& response)
{
    ++FAuthAttempts;
    return AnswerChallenge(request.Authenticator, response.WWWAuthenticate, OnSelectAuthorization, OnAuthorization,
                           request.Username, request.Password);
}

bool TIdCustomHTTP::TryProxyAuthorization(TIdHTTPRequest& request, TIdHTTPResponse& response)
{
    ++FProxyAuthAttempts;
    ProxyParams.ProxyPassword.clear();
    if (ProxyParams.Authenticator)
        ProxyParams.Authenticator->Reset();
    return AnswerChallenge(ProxyParams.Authenticator, response.ProxyAuthenticate, OnSelectProxyAuthorization,
                           OnProxyAuthorization, ProxyParams.ProxyUsername, ProxyParams.ProxyPassword);
}
