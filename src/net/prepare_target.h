// The request target and Host value of each request, prepared from the client's current
// URI. Nothing else is encoded: the target goes out byte for byte as the URL holds it,
// except that backslashes become slashes, the fragment is cut off, relative paths are
// merged and blanks and control characters are escaped.
#pragma once

#include "net/header_records.h"
#include "net/uri.h"

// Merges the request's URL (its Target) into the client's current URI and sets the
// request's Target to the request target (with every byte below 0x21 and 0x7F sent as
// its %XX escape; CR, LF or NUL raise EIdInvalidRequest, and so does a blank or control
// character in the host), its Username and Password (from the URL's
// user info), ContentLength (the upload size for POST and PUT, else -1) and Host
// (host, plus ":" and port unless the port is 80). A URL without a protocol is http,
// unless the current URI is https, which it keeps. An absolute URL without a port
// takes its protocol's default; a relative one keeps the current port. Raises
// EIdUnknownProtocol for a protocol other than http or https that needs a default port, and EIdException for OPTIONS, TRACE, PUT and DELETE under HTTP 1.0.
void PrepareTarget(TIdURI& currentUri, TIdHTTPRequest& request, TIdHTTPProtocolVersion version);

// The request target as it goes into the request line: a blank or another control
// character would split the line or let the server read it differently, so each is sent
// as its %XX escape; a CR, LF or NUL can only be an attempt to end the line and raises
// EIdInvalidRequest.
std::string EscapeRequestTarget(const std::string& target);
