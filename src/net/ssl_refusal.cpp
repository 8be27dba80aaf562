// Reasons for refusing a certificate, each saying what the user needs to know: expired
// (and since when), issued by an authority nobody here trusts, self-signed, or made out
// for another host (and for which).
#include "net/ssl_refusal.h"

#include <ctime>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace {

// Names shown for a certificate made out for another host; a certificate may carry
// hundreds, and the status bar has room for a few.
constexpr int ShownNames = 4;

int NoteIndex()
{
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

std::string TimeText(const ASN1_TIME* time)
{
    std::tm parts{};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1)
        return "an unreadable date";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &parts);
    return text;
}

std::string CommonName(const X509_NAME* name)
{
    char text[256] = "";
    if (!name || X509_NAME_get_text_by_NID(name, NID_commonName, text, sizeof text) < 0)
        return "without a name";
    return std::string("\"") + text + "\"";
}

// The host names and addresses the certificate is made out for.
std::string MadeOutFor(X509* certificate)
{
    std::string names;
    int count = 0;
    auto add = [&](const std::string& name) {
        if (count++ < ShownNames)
            names += (names.empty() ? "" : ", ") + name;
    };
    auto* alternatives =
        static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr));
    for (int i = 0; i < sk_GENERAL_NAME_num(alternatives); ++i) {
        const GENERAL_NAME* entry = sk_GENERAL_NAME_value(alternatives, i);
        if (entry->type == GEN_DNS) {
            const ASN1_STRING* dns = entry->d.dNSName;
            add(std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(dns)),
                            static_cast<size_t>(ASN1_STRING_length(dns))));
        } else if (entry->type == GEN_IPADD && ASN1_STRING_length(entry->d.iPAddress) == 4) {
            const unsigned char* b = ASN1_STRING_get0_data(entry->d.iPAddress);
            add(std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
                std::to_string(b[3]));
        }
    }
    GENERAL_NAMES_free(alternatives);
    if (count == 0)
        return CommonName(X509_get_subject_name(certificate));
    if (count > ShownNames)
        names += " and " + std::to_string(count - ShownNames) + " more";
    return names;
}

std::string Reason(int error, X509* certificate, int depth)
{
    const std::string whose = depth == 0 ? "" : "the certificate of its issuer " +
                                                    CommonName(X509_get_subject_name(certificate)) + " ";
    switch (error) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return whose + "expired on " + TimeText(X509_get0_notAfter(certificate));
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return whose + "not valid before " + TimeText(X509_get0_notBefore(certificate));
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        return "self-signed, not issued by a trusted authority";
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return "issued by an unknown authority (its chain ends in " +
               CommonName(X509_get_subject_name(certificate)) + ", which is not trusted)";
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return "issued by an unknown authority (" + CommonName(X509_get_issuer_name(certificate)) + ")";
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return "wrong host, it is made out for " + MadeOutFor(certificate);
    case X509_V_ERR_CERT_REVOKED:
        return whose + "revoked";
    default:
        return whose + X509_verify_cert_error_string(error);
    }
}

} // namespace

void SetRefusalNote(SSL* session, std::string& note)
{
    SSL_set_ex_data(session, NoteIndex(), &note);
}

int RememberRefusal(int preverifyOk, X509_STORE_CTX* store)
{
    if (preverifyOk)
        return 1;
    auto* session = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* note = session ? static_cast<std::string*>(SSL_get_ex_data(session, NoteIndex())) : nullptr;
    if (note && note->empty())
        *note = Reason(X509_STORE_CTX_get_error(store), X509_STORE_CTX_get_current_cert(store),
                       X509_STORE_CTX_get_error_depth(store));
    return 0;
}
