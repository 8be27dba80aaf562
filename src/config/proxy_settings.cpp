#include "config/proxy_settings.h"

#include "config/ini_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace {

// A list file past this is not a list of proxies.
constexpr std::size_t MaxListLineLength = 2048;

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// %XX escapes decoded; false for a broken escape.
bool PercentDecode(const std::string& text, std::string& decoded)
{
    decoded.clear();
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '%') {
            decoded += text[at];
            continue;
        }
        if (at + 2 >= text.size())
            return false;
        const int high = HexValue(text[at + 1]);
        const int low = HexValue(text[at + 2]);
        if (high < 0 || low < 0)
            return false;
        decoded += static_cast<char>(high * 16 + low);
        at += 2;
    }
    return true;
}

bool HoldsControl(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

void AddProxy(ProxySettings& settings, const std::string& text, const std::string& where)
{
    ProxyAddress proxy;
    std::string problem;
    if (ParseProxyUrl(text, proxy, problem))
        settings.Proxies.push_back(std::move(proxy));
    else
        settings.Problems.push_back(where + ": " + problem);
}

} // namespace

std::string ProxyAddress::DisplayName() const
{
    const char* scheme = Scheme == ProxyScheme::Http ? "http" : Scheme == ProxyScheme::Socks5 ? "socks5" : "socks5h";
    const std::string host = Host.find(':') != std::string::npos ? "[" + Host + "]" : Host;
    return std::string(scheme) + "://" + host + ":" + std::to_string(Port);
}

bool ParseProxyUrl(const std::string& text, ProxyAddress& proxy, std::string& problem)
{
    const std::size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string::npos) {
        problem = "not a proxy URL (http://, socks5:// or socks5h://)";
        return false;
    }
    const std::string scheme = Lower(text.substr(0, schemeEnd));
    if (scheme == "http")
        proxy.Scheme = ProxyScheme::Http;
    else if (scheme == "socks5")
        proxy.Scheme = ProxyScheme::Socks5;
    else if (scheme == "socks5h")
        proxy.Scheme = ProxyScheme::Socks5Remote;
    else {
        problem = "the scheme is not http, socks5 or socks5h";
        return false;
    }

    std::string authority = text.substr(schemeEnd + 3);
    // A trailing "/" is allowed; a path is not: a proxy is a host and port.
    if (!authority.empty() && authority.back() == '/')
        authority.pop_back();
    if (authority.find_first_of("/?#") != std::string::npos) {
        problem = "a proxy URL names a host and port only";
        return false;
    }
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        const std::string userInfo = authority.substr(0, at);
        authority.erase(0, at + 1);
        const std::size_t colon = userInfo.find(':');
        if (!PercentDecode(userInfo.substr(0, colon), proxy.Username) ||
            !PercentDecode(colon == std::string::npos ? std::string() : userInfo.substr(colon + 1), proxy.Password)) {
            problem = "a broken %-escape in the user or password";
            return false;
        }
        if (HoldsControl(proxy.Username) || HoldsControl(proxy.Password)) {
            problem = "a control character in the user or password";
            return false;
        }
    }

    std::string portText;
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        if (close == std::string::npos) {
            problem = "an IPv6 address without its closing bracket";
            return false;
        }
        proxy.Host = authority.substr(1, close - 1);
        const std::string rest = authority.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') {
            problem = "text after the IPv6 address";
            return false;
        }
        portText = rest.empty() ? rest : rest.substr(1);
    } else {
        const std::size_t colon = authority.find(':');
        proxy.Host = authority.substr(0, colon);
        portText = colon == std::string::npos ? std::string() : authority.substr(colon + 1);
    }
    if (proxy.Host.empty() || std::any_of(proxy.Host.begin(), proxy.Host.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte <= 0x20 || byte == 0x7F || c == '%';
        })) {
        problem = "the host is empty or holds a blank, control character or %";
        return false;
    }
    if (portText.empty()) {
        // The customary ports of each kind.
        proxy.Port = proxy.Scheme == ProxyScheme::Http ? 8080 : 1080;
        return true;
    }
    if (portText.size() > 5 || !std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoi(portText) < 1 || std::stoi(portText) > 65535) {
        problem = "the port is not a number from 1 to 65535";
        return false;
    }
    proxy.Port = std::stoi(portText);
    return true;
}

ProxySettings ReadProxySettings(const IniFile& settings, const std::string& settingsFolder)
{
    ProxySettings result;
    const std::string list = settings.ReadString("Proxy", "ProxyList");
    if (!list.empty()) {
        result.Wanted = true;
        const std::string fileName = list.find('/') == std::string::npos ? settingsFolder + list : list;
        std::ifstream file(fileName);
        if (!file) {
            result.Problems.push_back("the proxy list " + fileName + " cannot be read");
        } else {
            std::string line;
            for (int number = 1; std::getline(file, line) && result.Proxies.size() < MaxProxies; ++number) {
                line = Trim(line);
                if (line.empty() || line.front() == '#')
                    continue;
                if (line.size() > MaxListLineLength)
                    result.Problems.push_back(fileName + " line " + std::to_string(number) + ": too long");
                else
                    AddProxy(result, line, fileName + " line " + std::to_string(number));
            }
        }
    } else {
        const std::string one = settings.ReadString("Proxy", "Proxy");
        if (!one.empty()) {
            result.Wanted = true;
            AddProxy(result, one, "Proxy");
        }
    }

    const std::string rotate = Lower(settings.ReadString("Proxy", "Rotate"));
    if (rotate == "engine")
        result.Rotate = ProxyRotate::PerEngine;
    else if (!rotate.empty() && rotate != "request")
        result.Problems.push_back("Rotate: \"" + rotate + "\" is neither request nor engine");

    const std::string noProxy = settings.ReadString("Proxy", "NoProxy");
    if (!noProxy.empty()) {
        result.NoProxy.clear();
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = noProxy.find(',', start);
            const std::string entry = Trim(noProxy.substr(start, comma == std::string::npos ? comma : comma - start));
            if (!entry.empty())
                result.NoProxy.push_back(entry);
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    }
    return result;
}

bool BypassesProxy(const std::string& host, const std::vector<std::string>& noProxy)
{
    const auto bare = [](const std::string& name) {
        std::string lower = Lower(name);
        if (lower.size() >= 2 && lower.front() == '[' && lower.back() == ']')
            lower = lower.substr(1, lower.size() - 2);
        return lower;
    };
    const std::string name = bare(host);
    for (const std::string& entry : noProxy) {
        const std::string wanted = bare(entry);
        if (wanted.starts_with('.')) {
            // ".example.com": the domain itself and every name under it.
            if (name == wanted.substr(1) || (name.size() > wanted.size() && name.ends_with(wanted)))
                return true;
        } else if (name == wanted) {
            return true;
        }
    }
    return false;
}
