#include "core/web_pages.h"

#include "core/web_address.h"
#include "net/text_case.h"

#include <string_view>

namespace {

// Blanks, control bytes and DEL around an address are no part of it.
bool IsSpaceOrControl(char c)
{
    return IsBlankOrControl(c) || c == 0x7F;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsSpaceOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpaceOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "localhost:8301/x" and "www.example.com:8080" read as a scheme followed by ":" but are
// a host and its port: only digits stand between the ":" and the end of the authority.
bool IsHostAndPort(std::string_view address, std::string_view scheme)
{
    const std::string_view rest = address.substr(scheme.size() + 1);
    const size_t end = rest.find_first_of("/?#");
    const std::string_view port = rest.substr(0, end);
    if (port.empty())
        return false;
    for (const char c : port)
        if (!IsDigit(c))
            return false;
    return true;
}

bool IsBrowserScheme(std::string_view scheme)
{
    for (const std::string_view allowed : {"http", "https", "mailto"})
        if (SameTextAscii(scheme, allowed))
            return true;
    return false;
}

} // namespace

std::string BrowserAddress(const std::string& address)
{
    const std::string_view text = Trimmed(address);
    if (text.empty())
        return {};
    // The desktop hands the address to a program as an argument: one beginning with "-"
    // could be read as one of its options.
    if (text.front() == '-')
        throw EAddressRefused("The address \"" + std::string(text) +
                              "\" is not opened: an address cannot begin with \"-\".");
    const std::string_view scheme = AddressScheme(text);
    if (scheme.empty() || IsHostAndPort(text, scheme))
        return (text.starts_with("//") ? "http:" : "http://") + std::string(text);
    if (!IsBrowserScheme(scheme))
        throw EAddressRefused("The address \"" + std::string(text) +
                              "\" is not opened: only web pages (http, https) and e-mail addresses (mailto) "
                              "are opened in the browser.");
    return std::string(text);
}

void OpenInBrowser(WebPageOpener& opener, const std::string& address)
{
    const std::string opened = BrowserAddress(address);
    if (opened.empty())
        return;
    if (!opener.Open(opened))
        throw EBrowserUnavailable("The web page \"" + opened +
                                  "\" could not be opened: the desktop has no web browser to open it with.");
}

std::string MakeMoneyAddress(const std::string& affiliateID)
{
    return AffiliateRootAddress + affiliateID;
}
