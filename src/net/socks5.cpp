#include "net/socks5.h"

#include "net/errors.h"
#include "net/proxy_target.h"
#include "net/socket_layer.h"

#include <arpa/inet.h>
#include <cstdint>

namespace {

constexpr uint8_t SocksVersion = 5;
constexpr uint8_t MethodNone = 0x00;
constexpr uint8_t MethodPassword = 0x02;
constexpr uint8_t MethodRefused = 0xFF;
constexpr uint8_t PasswordVersion = 1;
constexpr uint8_t CommandConnect = 1;
constexpr uint8_t AddressIPv4 = 1;
constexpr uint8_t AddressName = 3;
constexpr uint8_t AddressIPv6 = 4;
// A length byte carries at most this much: a longer name or credential cannot be sent.
constexpr size_t MaxField = 255;

std::string ReplyText(uint8_t code)
{
    switch (code) {
    case 1:
        return "general failure";
    case 2:
        return "connection not allowed by its rules";
    case 3:
        return "network unreachable";
    case 4:
        return "host unreachable";
    case 5:
        return "connection refused";
    case 6:
        return "time to live expired";
    case 7:
        return "command not supported";
    case 8:
        return "address type not supported";
    default:
        return "reply " + std::to_string(code);
    }
}

void AppendField(std::string& bytes, const std::string& field)
{
    bytes += static_cast<char>(field.size());
    bytes += field;
}

uint8_t ReadByte(TIdTCPConnection& connection)
{
    uint8_t byte = 0;
    connection.ReadExact(&byte, 1);
    return byte;
}

void Send(TIdTCPConnection& connection, const std::string& bytes)
{
    connection.WriteBytes(bytes.data(), static_cast<int32_t>(bytes.size()), true);
}

// The address part of the CONNECT request. A name looked up here is waited for as any
// lookup is: Stop (the connection closed) ends the wait.
std::string TargetAddress(TIdTCPConnection& connection, const SocksRequest& request)
{
    std::string address;
    std::string ip = request.host;
    const bool literal = TIdStack::IsIPv4Text(ip) || TIdStack::IsIPv6Text(ip);
    if (!literal && request.remoteLookup) {
        address += static_cast<char>(AddressName);
        AppendField(address, request.host);
        return address;
    }
    if (!literal)
        ip = TIdStack::StackInstance()
                 ->LookupHostAddresses(request.host,
                                       [&connection] {
                                           const std::shared_ptr<TIdIOHandler>& transport = connection.IOHandler();
                                           return !transport || !transport->SocketOpen();
                                       })
                 .front();
    if (ip.find(':') != std::string::npos) {
        in6_addr raw{};
        inet_pton(AF_INET6, ip.c_str(), &raw);
        address += static_cast<char>(AddressIPv6);
        address.append(reinterpret_cast<const char*>(&raw), sizeof raw);
    } else {
        in_addr raw{};
        inet_pton(AF_INET, ip.c_str(), &raw);
        address += static_cast<char>(AddressIPv4);
        address.append(reinterpret_cast<const char*>(&raw), sizeof raw);
    }
    return address;
}

} // namespace

void Socks5Connect(TIdTCPConnection& connection, const SocksRequest& request)
{
    const int32_t port = CheckProxyTarget(request.host, std::to_string(request.port));
    const bool credentials = !request.username.empty() || !request.password.empty();
    if (request.host.size() > MaxField || request.username.size() > MaxField || request.password.size() > MaxField)
        throw EIdInvalidRequest("A name or credential for the SOCKS proxy is longer than 255 bytes.");

    std::string greeting{static_cast<char>(SocksVersion)};
    if (credentials)
        greeting += {2, static_cast<char>(MethodNone), static_cast<char>(MethodPassword)};
    else
        greeting += {1, static_cast<char>(MethodNone)};
    Send(connection, greeting);

    if (ReadByte(connection) != SocksVersion)
        throw EIdInvalidResponse("The proxy " + request.proxyName + " does not speak SOCKS5.");
    const uint8_t method = ReadByte(connection);
    if (method == MethodRefused || (method == MethodPassword && !credentials) ||
        (method != MethodNone && method != MethodPassword))
        throw EIdSocksError("The SOCKS proxy " + request.proxyName +
                            (credentials ? " accepts none of the ways offered to sign in." : " asks for credentials."));

    if (method == MethodPassword) {
        std::string login{static_cast<char>(PasswordVersion)};
        AppendField(login, request.username);
        AppendField(login, request.password);
        Send(connection, login);
        ReadByte(connection); // the subnegotiation's version, which proxies fill in loosely
        if (ReadByte(connection) != 0)
            throw EIdSocksError("The SOCKS proxy " + request.proxyName + " refused the user name and password.");
    }

    std::string connect{static_cast<char>(SocksVersion), static_cast<char>(CommandConnect), 0};
    connect += TargetAddress(connection, request);
    connect += static_cast<char>(port >> 8);
    connect += static_cast<char>(port & 0xFF);
    Send(connection, connect);

    if (ReadByte(connection) != SocksVersion)
        throw EIdInvalidResponse("The proxy " + request.proxyName + " does not speak SOCKS5.");
    const uint8_t reply = ReadByte(connection);
    ReadByte(connection); // reserved
    const uint8_t type = ReadByte(connection);
    int32_t rest;
    if (type == AddressIPv4)
        rest = 4;
    else if (type == AddressIPv6)
        rest = 16;
    else if (type == AddressName)
        rest = ReadByte(connection);
    else
        throw EIdInvalidResponse("The SOCKS proxy " + request.proxyName + " answered with an unknown address type.");
    std::string bound(static_cast<size_t>(rest) + 2, '\0');
    connection.ReadExact(bound.data(), rest + 2);
    if (reply != 0)
        throw EIdSocksError("The SOCKS proxy " + request.proxyName + " could not connect to " + request.host + ":" +
                            std::to_string(port) + ": " + ReplyText(reply) + ".");
    if (connection.InputBuffer().Size() > 0)
        throw EIdInvalidResponse("The SOCKS proxy " + request.proxyName + " sent data after its answer.");
}
