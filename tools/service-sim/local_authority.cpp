#include "local_authority.h"

#include <arpa/inet.h>
#include <fstream>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>
#include <stdexcept>

namespace {

// Server keys are made anew at every start; P-256 takes microseconds where RSA takes
// long enough to slow down every start.
const char* const KeyCurve = "P-256";

void Check(bool ok, const char* what)
{
    if (!ok)
        throw std::runtime_error(std::string("certificate authority: ") + what + " failed");
}

std::shared_ptr<EVP_PKEY> NewKey()
{
    EVP_PKEY* key = EVP_EC_gen(KeyCurve);
    Check(key != nullptr, "making a key");
    return std::shared_ptr<EVP_PKEY>(key, EVP_PKEY_free);
}

bool IsAddress(const std::string& name)
{
    in6_addr address;
    return inet_pton(AF_INET, name.c_str(), &address) == 1 || inet_pton(AF_INET6, name.c_str(), &address) == 1;
}

void AddExtension(X509* certificate, X509* issuer, int nid, const std::string& value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    Check(extension != nullptr, "making an extension");
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

// A certificate for subject's key, signed with signer's key; issuer is the signer's
// certificate, or none for a self-signed one.
std::time_t FromNow(std::chrono::hours offset)
{
    return std::time(nullptr) + static_cast<std::time_t>(std::chrono::seconds(offset).count());
}

std::shared_ptr<X509> NewCertificate(const std::string& commonName, EVP_PKEY* subject, EVP_PKEY* signer,
                                     X509* issuer, std::time_t from, std::time_t until, bool authority,
                                     const std::vector<std::string>& names)
{
    std::shared_ptr<X509> certificate(X509_new(), X509_free);
    X509* c = certificate.get();
    Check(c != nullptr, "making a certificate");
    X509_set_version(c, 2);
    unsigned char serial[16];
    Check(RAND_bytes(serial, sizeof serial) == 1, "making a serial number");
    serial[0] &= 0x7f;
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(number, X509_get_serialNumber(c));
    BN_free(number);
    Check(ASN1_TIME_set(X509_getm_notBefore(c), from) != nullptr && ASN1_TIME_set(X509_getm_notAfter(c), until) != nullptr,
          "setting the dates");
    X509_set_pubkey(c, subject);
    X509_NAME* name = X509_get_subject_name(c);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(commonName.c_str()),
                               -1, -1, 0);
    X509_set_issuer_name(c, issuer ? X509_get_subject_name(issuer) : name);

    X509* signerCertificate = issuer ? issuer : c;
    if (authority) {
        AddExtension(c, signerCertificate, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(c, signerCertificate, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        AddExtension(c, signerCertificate, NID_basic_constraints, "critical,CA:FALSE");
        AddExtension(c, signerCertificate, NID_key_usage, "critical,digitalSignature");
        AddExtension(c, signerCertificate, NID_ext_key_usage, "serverAuth");
        std::string alternatives;
        for (const std::string& entry : names)
            alternatives += (alternatives.empty() ? "" : ",") + std::string(IsAddress(entry) ? "IP:" : "DNS:") + entry;
        if (!alternatives.empty())
            AddExtension(c, signerCertificate, NID_subject_alt_name, alternatives);
    }
    AddExtension(c, signerCertificate, NID_subject_key_identifier, "hash");
    if (issuer)
        AddExtension(c, signerCertificate, NID_authority_key_identifier, "keyid:always");
    Check(X509_sign(c, signer, EVP_sha256()) > 0, "signing a certificate");
    return certificate;
}

} // namespace

LocalAuthority::LocalAuthority(const std::string& commonName)
{
    FOwn.Key = NewKey();
    FOwn.Certificate = NewCertificate(commonName, FOwn.Key.get(), FOwn.Key.get(), nullptr, FromNow(std::chrono::hours(-1)),
                                      FromNow(std::chrono::hours(24 * 365 * 10)), true, {});
}

Credential LocalAuthority::Issue(const std::vector<std::string>& names, std::chrono::hours validFrom,
                                 std::chrono::hours validUntil) const
{
    return IssueBetween(names, FromNow(validFrom), FromNow(validUntil));
}

Credential LocalAuthority::IssueBetween(const std::vector<std::string>& names, std::time_t notBefore,
                                        std::time_t notAfter) const
{
    Credential issued;
    issued.Key = NewKey();
    issued.Certificate = NewCertificate(names.empty() ? "server" : names.front(), issued.Key.get(), FOwn.Key.get(),
                                        FOwn.Certificate.get(), notBefore, notAfter, false, names);
    return issued;
}

Credential LocalAuthority::SelfSigned(const std::vector<std::string>& names)
{
    Credential own;
    own.Key = NewKey();
    own.Certificate = NewCertificate(names.empty() ? "server" : names.front(), own.Key.get(), own.Key.get(), nullptr,
                                     FromNow(std::chrono::hours(-1)), FromNow(std::chrono::hours(24 * 365)), false, names);
    return own;
}

std::string LocalAuthority::CertificatePem() const
{
    BIO* memory = BIO_new(BIO_s_mem());
    Check(memory != nullptr && PEM_write_bio_X509(memory, FOwn.Certificate.get()) == 1, "writing the certificate");
    char* data = nullptr;
    const long size = BIO_get_mem_data(memory, &data);
    std::string pem(data, static_cast<size_t>(size));
    BIO_free(memory);
    return pem;
}

void LocalAuthority::WriteCertificate(const std::string& path) const
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << CertificatePem();
    file.close();
    if (!file)
        throw std::runtime_error("cannot write the CA certificate to " + path);
}
