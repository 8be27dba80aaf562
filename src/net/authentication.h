// Authentication schemes that answer a server's challenge.
#pragma once

#include "net/header_list.h"

#include <memory>
#include <string>
#include <string_view>

// A scheme that answers a server's challenge with an "Authorization" (or
// "Proxy-Authorization") value. The user name and password live in Params under
// "Username" and "Password".
class TIdAuthentication {
public:
    TIdAuthentication();
    virtual ~TIdAuthentication() = default;

    // The header value for the next step; empty when there is nothing to send.
    virtual std::string Authentication() = 0;
    // True once every step of the scheme has been sent.
    bool StepsComplete() const { return FCurrentStep >= StepCount(); }
    // Starts the scheme again from its first step.
    void Reset() { FCurrentStep = 0; }

    std::string Username() const { return Params.ValueOf("Username"); }
    void SetUsername(std::string_view username) { Params.SetValueOf("Username", username); }
    std::string Password() const { return Params.ValueOf("Password"); }
    void SetPassword(std::string_view password) { Params.SetValueOf("Password", password); }

    TIdHeaderList Params;

protected:
    virtual int StepCount() const { return 1; }

    int FCurrentStep = 0;
};

// "Basic " + Base64 of user name, ":" and password; one step.
class TIdBasicAuthentication : public TIdAuthentication {
public:
    std::string Authentication() override;
};

// Creates an object of a registered scheme; the registry holds "Basic".
using TIdAuthenticationClass = std::unique_ptr<TIdAuthentication> (*)();
// The scheme named by the first word of a challenge such as "Basic realm=\"x\"", with
// the name compared ignoring case; nullptr when none is registered under it.
TIdAuthenticationClass FindAuthenticationScheme(std::string_view challenge);

// MIME Base64 with "=" fill and no line breaks.
std::string EncodeBase64(std::string_view bytes);
