// The SOCKS5 client (RFC 1928, with RFC 1929 user and password): the greeting, the
// credentials and the CONNECT request on a connection already open to the proxy. Every
// reply is read by its exact size (the largest is 262 bytes), so a proxy cannot make the
// client read without end; every read is a wait of the connection, pumped and ended by
// Stop like any other.
#pragma once

#include "net/connection.h"
#include "net/errors.h"

#include <string>

// The proxy refused: no method it accepts, the credentials, or the connect (the
// message says which and why).
class EIdSocksError : public EIdException {
public:
    using EIdException::EIdException;
};

struct SocksRequest {
    // The origin server; sent as a name when remoteLookup, as an address otherwise (the
    // name is then looked up here first). An IP text always goes as the address.
    std::string host;
    int32_t port = 0;
    bool remoteLookup = false;
    // Both empty: no credentials are offered.
    std::string username;
    std::string password;
    // The proxy as the messages name it (host:port).
    std::string proxyName;
};

// Runs the exchange; afterwards the connection is a stream to the origin server. Raises
// EIdInvalidRequest before sending anything for a target CheckProxyTarget refuses, a
// name or credential longer than 255 bytes; EIdSocksError for a refusal; and
// EIdInvalidResponse for a reply that is not SOCKS5 or for bytes the proxy sent past its
// reply (they would be read as the origin's).
void Socks5Connect(TIdTCPConnection& connection, const SocksRequest& request);
