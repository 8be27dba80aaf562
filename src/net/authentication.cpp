#include "net/authentication.h"
#include "net/text_case.h"

namespace {

std::unique_ptr<TIdAuthentication> CreateBasicAuthentication()
{
    return std::make_unique<TIdBasicAuthentication>();
}

struct RegisteredScheme {
    std::string_view Name;
    TIdAuthenticationClass Create;
};

const RegisteredScheme RegisteredSchemes[] = {
    {"Basic", CreateBasicAuthentication},
};

} // namespace

TIdAuthentication::TIdAuthentication()
{
    // Credentials are kept exactly: a long password must not be folded into pieces.
    Params.FoldOnSet = false;
}

std::string TIdBasicAuthentication::Authentication()
{
    FCurrentStep = StepCount();
    return "Basic " + EncodeBase64(Username() + ":" + Password());
}

TIdAuthenticationClass FindAuthenticationScheme(std::string_view challenge)
{
    const std::string_view name = challenge.substr(0, challenge.find(' '));
    for (const RegisteredScheme& scheme : RegisteredSchemes) {
        if (SameTextAscii(name, scheme.Name))
            return scheme.Create;
    }
    return nullptr;
}

std::string EncodeBase64(std::string_view bytes)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    encoded.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                               static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                               static_cast<unsigned char>(bytes[i + 2]);
        encoded += alphabet[group >> 18 & 63];
        encoded += alphabet[group >> 12 & 63];
        encoded += alphabet[group >> 6 & 63];
        encoded += alphabet[group & 63];
    }
    const size_t left = bytes.size() - i;
    if (left > 0) {
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (left == 2)
            group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        encoded += alphabet[group >> 18 & 63];
        encoded += alphabet[group >> 12 & 63];
        encoded += left == 2 ? alphabet[group >> 6 & 63] : '=';
        encoded += '=';
    }
    return encoded;
}
