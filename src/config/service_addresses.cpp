#include "config/service_addresses.h"

#include "config/ini_file.h"

ServiceAddresses ReadServiceAddresses(const IniFile& settings, const std::string& settingsFolder)
{
    ServiceAddresses addresses;
    const auto read = [&](const char* key, std::string& root) {
        std::string value = settings.ReadString("Services", key);
        // Paths are appended to the root, so "http://host/" would ask for "//search?q=".
        while (!value.empty() && value.back() == '/')
            value.pop_back();
        if (!value.empty())
            root = std::move(value);
    };
    read("SuggestURL", addresses.SuggestURL);
    read("GoogleURL", addresses.GoogleURL);
    read("YahooURL", addresses.YahooURL);
    read("MsnURL", addresses.MsnURL);
    addresses.SideBySide = settings.ReadString("Services", "Lanes") != "0";
    addresses.CAFile = settings.ReadString("Services", "CAFile");
    if (!addresses.CAFile.empty() && addresses.CAFile.find('/') == std::string::npos)
        addresses.CAFile = settingsFolder + addresses.CAFile;
    return addresses;
}
