#include "core/web_pages.h"

void OpenInBrowser(WebPageOpener& opener, const std::string& address)
{
    if (!address.empty())
        opener.Open(address);
}

std::string MakeMoneyAddress(const std::string& affiliateID)
{
    return AffiliateRootAddress + affiliateID;
}
