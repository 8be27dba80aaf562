// Where the remote services are: the root address of each, from section "Services" of
// the settings file, or the services' historical public roots when none is given.
#pragma once

#include <string>

class IniFile;

struct ServiceAddresses {
    std::string SuggestURL = "http://freekeywords.wordtracker.com";
    std::string GoogleURL = "http://www.google.com";
    std::string YahooURL = "http://search.yahoo.com";
    std::string MsnURL = "http://search.msn.com";
};

// Keys "SuggestURL", "GoogleURL", "YahooURL" and "MsnURL", trailing "/" dropped; a
// missing or empty key keeps the public root.
ServiceAddresses ReadServiceAddresses(const IniFile& settings);
