// The simulator's https at start: a local CA made in memory, its certificate written to
// a file for clients to trust, a server certificate for 127.0.0.1 and localhost, and the
// TLS front relaying to the plain port. The CA file is removed again at the end.
#pragma once

#include "local_authority.h"
#include "options.h"
#include "tls_front.h"

#include <ostream>
#include <string>

class TlsService {
public:
    // Listens at once, so the https port is known before the services are made; throws
    // std::runtime_error.
    explicit TlsService(const Options& options);
    ~TlsService();
    TlsService(const TlsService&) = delete;
    TlsService& operator=(const TlsService&) = delete;

    uint16_t Port() const { return FFront.Port(); }
    // Relays every https connection to the plain port from now on.
    void Start(uint16_t plainPort) { FFront.Start(plainPort); }

    // Prints "listening for https on 127.0.0.1:PORT" and "CA certificate in FILE".
    void Announce(std::ostream& out) const;

private:
    LocalAuthority FAuthority;
    std::string FCAFile;
    TlsFront FFront;
};
