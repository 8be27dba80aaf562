#include "net/proxy_target.h"

#include "net/errors.h"

#include <algorithm>

int32_t CheckProxyTarget(const std::string& host, const std::string& portText)
{
    const bool badByte = std::any_of(host.begin(), host.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x21 || byte == 0x7F;
    });
    if (host.empty() || badByte)
        throw EIdInvalidRequest("The host for the proxy is empty or holds a blank or control character.");
    // Digits only: a sign, blanks or a hexadecimal prefix would be read differently by
    // the proxy than by us.
    int32_t port = 0;
    const bool digits = !portText.empty() && portText.size() <= 5 &&
                        std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digits)
        port = std::stoi(portText);
    if (port < 1 || port > 65535)
        throw EIdInvalidRequest("Port number out of range (1-65535): " + portText);
    return port;
}
