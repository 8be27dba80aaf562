// The errors of the secure transport. Each message says in plain words what went wrong,
// because the page fetch shows it in the status bar as it is: the user must be able to
// tell a refused certificate (and why) from a server that does not speak TLS.
#pragma once

#include "net/errors.h"

#include <string>

class EIdOpenSSLError : public EIdException {
public:
    using EIdException::EIdException;
};

// OpenSSL could not give the secure transport a context.
class EIdOSSLCouldNotLoadSSLLibrary : public EIdOpenSSLError {
public:
    using EIdOpenSSLError::EIdOpenSSLError;
};

// The CA file named in the settings is missing, unreadable or holds no certificate.
class EIdOSSLLoadingRootCertError : public EIdOpenSSLError {
public:
    using EIdOpenSSLError::EIdOpenSSLError;
};

// The TLS handshake failed for another reason than the certificate: the server does not
// speak TLS, offers only old versions, closed the connection, ...
class EIdOSSLConnectError : public EIdOpenSSLError {
public:
    using EIdOpenSSLError::EIdOpenSSLError;
};

// The server's certificate was refused: expired, issued by an unknown authority,
// self-signed, made out for another host, ...
class EIdOSSLCertificateRefused : public EIdOSSLConnectError {
public:
    using EIdOSSLConnectError::EIdOSSLConnectError;
};

// A TLS record failed its check after the handshake (a forged or damaged record).
class EIdOSSLDataError : public EIdOpenSSLError {
public:
    using EIdOpenSSLError::EIdOpenSSLError;
};

// The connection ended without the TLS close: someone may have cut it, so what
// arrived is not taken for the whole page.
class EIdOSSLConnectionCut : public EIdOpenSSLError {
public:
    using EIdOpenSSLError::EIdOpenSSLError;
};
