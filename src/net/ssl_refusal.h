// Why a server's certificate is refused, in words: the chain check's first complaint
// about the certificate it was looking at.
#pragma once

#include <string>

typedef struct ssl_st SSL;
typedef struct x509_store_ctx_st X509_STORE_CTX;

// The refusal of the session's chain check is written into note.
void SetRefusalNote(SSL* session, std::string& note);
// The chain check's callback: keeps the check's answer and writes the first refusal into
// the session's note.
int RememberRefusal(int preverifyOk, X509_STORE_CTX* store);
