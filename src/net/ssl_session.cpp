// OpenSSL objects for the secure transport: the context, the socket link under a
// session, and the texts of OpenSSL's errors.
#include "net/ssl_session.h"

#include "net/socket_layer.h"
#include "net/ssl_errors.h"
#include "net/ssl_refusal.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

namespace {

// The errno of the last socket call under a session that failed for another reason than
// "try again"; sessions are used on one thread each.
thread_local int LastSocketError = 0;

int SocketOf(BIO* link)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(BIO_get_data(link)));
}

// The sends carry MSG_NOSIGNAL: a peer that has gone must give an error, not SIGPIPE.
int LinkWrite(BIO* link, const char* data, int length)
{
    BIO_clear_retry_flags(link);
    ssize_t n;
    do {
        n = send(SocketOf(link), data, static_cast<size_t>(length), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            BIO_set_retry_write(link);
        else
            LastSocketError = errno;
    }
    return static_cast<int>(n);
}

int LinkRead(BIO* link, char* data, int length)
{
    BIO_clear_retry_flags(link);
    ssize_t n;
    do {
        n = recv(SocketOf(link), data, static_cast<size_t>(length), 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            BIO_set_retry_read(link);
        else
            LastSocketError = errno;
    }
    return static_cast<int>(n);
}

long LinkControl(BIO*, int command, long, void*)
{
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int LinkCreate(BIO* link)
{
    BIO_set_init(link, 1);
    return 1;
}

BIO_METHOD* SocketLinkMethod()
{
    static BIO_METHOD* const method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "talvira socket");
        BIO_meth_set_write(m, LinkWrite);
        BIO_meth_set_read(m, LinkRead);
        BIO_meth_set_ctrl(m, LinkControl);
        BIO_meth_set_create(m, LinkCreate);
        return m;
    }();
    return method;
}

std::string QueuedReason()
{
    const unsigned long error = ERR_peek_error();
    if (error == 0)
        return "no reason given";
    const char* reason = ERR_reason_error_string(error);
    return reason ? reason : "error " + std::to_string(ERR_GET_REASON(error));
}

} // namespace

SSL_CTX* NewClientContext(const std::string& caFile)
{
    ClearSessionErrors();
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (!context)
        throw EIdOSSLCouldNotLoadSSLLibrary("The secure transport could not be set up: " + QueuedReason() + ".");
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_default_verify_paths(context);
    if (!caFile.empty()) {
        std::string why;
        if (FILE* file = std::fopen(caFile.c_str(), "r"))
            std::fclose(file);
        else
            why = std::strerror(errno);
        if (why.empty() && SSL_CTX_load_verify_locations(context, caFile.c_str(), nullptr) != 1)
            why = "it holds no PEM certificate";
        if (!why.empty()) {
            SSL_CTX_free(context);
            ClearSessionErrors();
            throw EIdOSSLLoadingRootCertError("The CA file " + caFile + " (CAFile in the settings) cannot be used: " +
                                                why + ".");
        }
    }
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, RememberRefusal);
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    SSL_CTX_set_session_cache_mode(context, SSL_SESS_CACHE_OFF);
    // No read-ahead: OpenSSL then never holds bytes of a record it has not decrypted,
    // so a socket that is not readable means that no record is waiting, and the sliced
    // wait on the socket is the whole wait.
    return context;
}

SSL* NewClientSession(SSL_CTX* context, int socket, const std::string& hostName, std::string& refusal)
{
    ClearSessionErrors();
    SSL* session = SSL_new(context);
    BIO* link = session ? BIO_new(SocketLinkMethod()) : nullptr;
    if (!link) {
        SSL_free(session);
        throw EIdOSSLConnectError("TLS session could not be made: " + QueuedReason() + ".");
    }
    BIO_set_data(link, reinterpret_cast<void*>(static_cast<intptr_t>(socket)));
    SSL_set_bio(session, link, link);
    SetRefusalNote(session, refusal);

    // A check that could not be set would let any valid certificate pass for this host:
    // the session is refused instead. The name goes in with its length, so a NUL inside
    // it fails here rather than cutting the name short.
    bool checkSet;
    if (TIdStack::IsIPv4Text(hostName) || TIdStack::IsIPv6Text(hostName)) {
        checkSet = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(session), hostName.c_str()) == 1;
    } else {
        X509_VERIFY_PARAM* const param = SSL_get0_param(session);
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        checkSet = hostName.find('\0') == std::string::npos &&
                   SSL_set_tlsext_host_name(session, hostName.c_str()) == 1 &&
                   X509_VERIFY_PARAM_set1_host(param, hostName.data(), hostName.size()) == 1;
    }
    if (!checkSet) {
        const std::string reason = QueuedReason();
        SSL_free(session);
        throw EIdOSSLConnectError("The secure transport could not be set to check the name " + hostName + ": " +
                                  reason + ".");
    }
    return session;
}

void ClearSessionErrors()
{
    ERR_clear_error();
    LastSocketError = 0;
}

int LastSessionSocketError()
{
    return LastSocketError;
}

bool SessionEndedWithoutNotify()
{
    const unsigned long error = ERR_peek_error();
    return ERR_GET_LIB(error) == ERR_LIB_SSL && ERR_GET_REASON(error) == SSL_R_UNEXPECTED_EOF_WHILE_READING;
}

std::string SessionErrorText()
{
    return QueuedReason();
}

std::string HandshakeFailure(int sslError)
{
    if (sslError == SSL_ERROR_SYSCALL && LastSocketError != 0) {
        const int number = TIdStack::WinSockErrorNumber(LastSocketError);
        const std::string text = TIdStack::SocketErrorText(number);
        return "socket error " + std::to_string(number) + (text.empty() ? "" : " (" + text + ")");
    }
    if (sslError == SSL_ERROR_SYSCALL || SessionEndedWithoutNotify())
        return "the server closed the connection";
    const unsigned long error = ERR_peek_error();
    if (ERR_GET_LIB(error) == ERR_LIB_SSL) {
        switch (ERR_GET_REASON(error)) {
        case SSL_R_WRONG_VERSION_NUMBER:
        case SSL_R_PACKET_LENGTH_TOO_LONG:
        case SSL_R_HTTP_REQUEST:
        case SSL_R_HTTPS_PROXY_REQUEST:
            return "the server does not speak TLS on this port (plain http?)";
        case SSL_R_UNSUPPORTED_PROTOCOL:
        case SSL_R_TLSV1_ALERT_PROTOCOL_VERSION:
            return "the server offers no TLS version from 1.2 on";
        case SSL_R_NO_PROTOCOLS_AVAILABLE:
        case SSL_R_SSLV3_ALERT_HANDSHAKE_FAILURE:
            return "the server and Talvira share no TLS version or cipher";
        default:
            break;
        }
    }
    return QueuedReason();
}
