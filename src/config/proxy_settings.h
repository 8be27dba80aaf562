// Section "Proxy" of the settings: the proxy (or the list of proxies) every request
// goes through, how the list is used in turn, and the hosts asked directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IniFile;

enum class ProxyScheme { Http, Socks5, Socks5Remote };

// One proxy as its URL names it: "http://", "socks5://" or "socks5h://" (the proxy
// looks the names up), host (an IPv6 address in brackets), port, and a user and
// password, percent-decoded.
struct ProxyAddress {
    ProxyScheme Scheme = ProxyScheme::Http;
    std::string Host;
    int32_t Port = 0;
    std::string Username;
    std::string Password;

    // scheme://host:port, without the credentials: how the status bar names it.
    std::string DisplayName() const;
};

enum class ProxyRotate { PerRequest, PerEngine };

struct ProxySettings {
    // Empty: no proxy.
    std::vector<ProxyAddress> Proxies;
    // The settings name a proxy or a list (even if none of it could be read): going
    // direct instead would show the user's address to the services.
    bool Wanted = false;
    ProxyRotate Rotate = ProxyRotate::PerRequest;
    // Hosts asked directly: a name, an address, or ".example.com" for the domain and its
    // subdomains.
    std::vector<std::string> NoProxy = {"localhost", "127.0.0.1", "::1"};
    // Lines of the list (or the Proxy key) that are not a proxy URL, each with why: the
    // program reports them instead of silently going direct.
    std::vector<std::string> Problems;
};

// Proxies in a list file beyond this are not read: a list of thousands is a mistake, and
// each proxy keeps a little state for the run.
constexpr std::size_t MaxProxies = 1000;

// Parses one proxy URL; false with why in problem.
bool ParseProxyUrl(const std::string& text, ProxyAddress& proxy, std::string& problem);

// Keys "Proxy" (one URL), "ProxyList" (a file of URLs, one a line, blank lines and lines
// beginning with "#" skipped; a bare name lies in settingsFolder, which ends with its
// separator), "Rotate" ("request" or "engine") and "NoProxy" (a comma list; a value
// replaces the default). With both, "ProxyList" wins.
ProxySettings ReadProxySettings(const IniFile& settings, const std::string& settingsFolder);

// Whether host is asked directly: it equals an entry (letter case ignored, an IPv6
// address with or without brackets), or an entry ".example.com" names its domain.
bool BypassesProxy(const std::string& host, const std::vector<std::string>& noProxy);
