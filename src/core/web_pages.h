// The web pages the window opens in the user's browser, and the one way it opens them.
#pragma once

#include <string>

// The maker's site and the affiliate site: the only hosts the program itself names.
inline constexpr const char* HelpPageAddress = "http://www.talvira.com/talvirahelp";
inline constexpr const char* AffiliateRootAddress = "http://affiliates.talvira.com/";

// Hands an address to the user's browser. The window's opener asks the desktop; tests
// record what would have been opened.
class WebPageOpener {
public:
    virtual ~WebPageOpener() = default;
    // The address exactly as given; the browser starts on its own and nothing comes back.
    virtual void Open(const std::string& address) = 0;
};

// Opens the address unless it is empty; nothing is reported either way.
void OpenInBrowser(WebPageOpener& opener, const std::string& address);

// "Make Money": the affiliate root with the identifier appended directly after its "/".
std::string MakeMoneyAddress(const std::string& affiliateID);
