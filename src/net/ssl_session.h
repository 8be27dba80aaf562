// The OpenSSL side of the secure transport: the client context with its trusted
// authorities, one session over a socket with the name checks, and OpenSSL's errors put
// into words the user can act on.
#pragma once

#include <string>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

// TLS 1.2 or newer; the system's CA store plus caFile (a PEM file; empty: none); the
// chain checked on every handshake; no session kept for reuse. Raises
// EIdOSSLLoadingRootCertError when caFile cannot be read.
SSL_CTX* NewClientContext(const std::string& caFile);

// A session over the connected socket: the server name (SNI) for a host name, the
// certificate checked for hostName (a name, or an address for an IPv4 text). While the
// chain is checked, the first reason for refusing it is written into refusal, which
// must outlive the session.
SSL* NewClientSession(SSL_CTX* context, int socket, const std::string& hostName, std::string& refusal);

// Forgets OpenSSL's queued errors and the last socket failure; called before each step.
void ClearSessionErrors();
// The errno of the socket call that failed under the last step, 0 when none did.
int LastSessionSocketError();
// The last step failed because the peer closed the socket without the TLS close.
bool SessionEndedWithoutNotify();
// OpenSSL's reason for the last failed step.
std::string SessionErrorText();
// Why a handshake failed (not for a refused certificate), given SSL_get_error's answer.
std::string HandshakeFailure(int sslError);
