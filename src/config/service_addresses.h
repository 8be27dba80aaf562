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
    // A PEM file of authorities trusted for https beside the system's; empty: none.
    std::string CAFile;
    // Gather Data asks the engines side by side, each in a lane of its own; key "Lanes"
    // set to 0 asks them one after another.
    bool SideBySide = true;
};

// Keys "SuggestURL", "GoogleURL", "YahooURL" and "MsnURL", trailing "/" dropped; a missing or empty key keeps
// the public root. Key "Lanes": "0" asks the engines one after another. Key "CAFile": a
// name without a folder lies in settingsFolder, the folder of the settings file (which
// ends with its separator).
ServiceAddresses ReadServiceAddresses(const IniFile& settings, const std::string& settingsFolder = {});
