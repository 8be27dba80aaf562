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
    // Throws std::runtime_error.
    TlsService(const Options& options, uint16_t plainPort);
    ~TlsService();
    TlsService(const TlsService&) = delete;
    TlsService& operator=(const TlsService&) = delete;

    // Prints "listening for https on 127.0.0.1:PORT" and "CA certificate in FILE".
    void Announce(std::ostream& out) const;

private:
    LocalAuthority FAuthority;
    std::string FCAFile;
    TlsFront FFront;
};
