// A certificate authority made at start, in memory: its key never leaves the process,
// only its certificate is written out for clients to trust. It issues server
// certificates for given host names and addresses, valid over a given span, and can
// also make self-signed ones (for tests of what a client must refuse).
#pragma once

#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

typedef struct evp_pkey_st EVP_PKEY;
typedef struct x509_st X509;

// A key with its certificate, as a TLS server presents them.
struct Credential {
    std::shared_ptr<EVP_PKEY> Key;
    std::shared_ptr<X509> Certificate;
};

class LocalAuthority {
public:
    // Throws std::runtime_error when OpenSSL fails.
    explicit LocalAuthority(const std::string& commonName);

    // A certificate for names (host names, or IP addresses such as 127.0.0.1 or ::1), valid
    // from validFrom to validUntil relative to now (negative: in the past).
    Credential Issue(const std::vector<std::string>& names, std::chrono::hours validFrom = std::chrono::hours(-1),
                     std::chrono::hours validUntil = std::chrono::hours(24 * 365)) const;
    // The same with fixed dates (seconds since 1970, UTC), so that the dates a test
    // expects in a message are known beforehand.
    Credential IssueBetween(const std::vector<std::string>& names, std::time_t notBefore, std::time_t notAfter) const;
    // A certificate for names signed by its own key, trusted by nobody.
    static Credential SelfSigned(const std::vector<std::string>& names);

    std::string CertificatePem() const;
    // Writes the certificate (never the key) to path; throws std::runtime_error.
    void WriteCertificate(const std::string& path) const;

private:
    Credential FOwn;
};
