// The web pages the window opens in the user's browser, and the one way it opens them.
#pragma once

#include <stdexcept>
#include <string>

// The maker's site and the affiliate site: the only hosts the program itself names.
inline constexpr const char* HelpPageAddress = "http://www.talvira.com/talvirahelp";
inline constexpr const char* AffiliateRootAddress = "http://affiliates.talvira.com/";

// An address the browser is not given (a local file, another program's scheme, a text
// that a program would read as an option); the message names it.
class EAddressRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The desktop had nothing to open a web page with; the message names the address.
class EBrowserUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Hands an address to the user's browser. The window's opener asks the desktop; tests
// record what would have been opened.
class WebPageOpener {
public:
    virtual ~WebPageOpener() = default;
    // The address exactly as given; the browser starts on its own. False when the
    // desktop could not open it at all (no browser set up).
    virtual bool Open(const std::string& address) = 0;
};

// What the browser is given for an address taken from the settings or the program,
// surrounding spaces and control bytes left out: an http, https or mailto address as it
// is; one without a scheme ("www.example.com/offer", "localhost:8301/") as an http
// address. Raises EAddressRefused for any other scheme (file:, javascript:, a program's
// own) and for a text beginning with "-". An empty text stays empty.
std::string BrowserAddress(const std::string& address);

// Opens the address unless it is empty. A refused address raises EAddressRefused before
// the opener is asked; an address the desktop could not open raises EBrowserUnavailable.
void OpenInBrowser(WebPageOpener& opener, const std::string& address);

// "Make Money": the affiliate root with the identifier appended directly after its "/".
std::string MakeMoneyAddress(const std::string& affiliateID);
