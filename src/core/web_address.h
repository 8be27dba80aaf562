// Addresses as a browser reads them: a reference resolved against the address of the
// page that held it, and the bytes of an address made safe to hand on as they are.
#pragma once

#include <string>
#include <string_view>

// The scheme of an address ("http" for "http://x/"), as written; empty when the text
// does not begin with a scheme name followed by ":".
std::string_view AddressScheme(std::string_view address);

// The reference resolved against base as a browser resolves a link (RFC 3986, 5.2): an
// address with a scheme stands alone; "//host/p" takes base's scheme; "/p" base's scheme
// and host; "p", "../p" and "?q" are read from base's folder; "." and ".." segments
// are removed. A reference that is empty, or relative to a base without a scheme,
// comes back unchanged.
std::string ResolveReference(std::string_view base, std::string_view reference);

// The address with every byte outside printable ASCII (control bytes, DEL, and every
// byte of a letter beyond ASCII, UTF-8 or not) written as "%XX", so that nothing that
// reads the address afterwards as text can turn a byte it does not understand into
// another character. The rest stays exactly as written.
std::string PercentEncodeBytes(std::string_view address);
