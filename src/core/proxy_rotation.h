// Which proxy of the settings each request goes through: the list used in turn (per
// request, or one proxy per engine until it fails), hosts of NoProxy asked directly,
// and a proxy that failed three times in a row set aside for the rest of the run.
#pragma once

#include "config/proxy_settings.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Failures in a row that set a proxy aside: one failure may be a passing hiccup, three
// say the proxy is gone.
constexpr int ProxyFailuresBeforeSetAside = 3;

// Every proxy of the list is set aside: the run cannot go on.
class EEveryProxySetAside : public std::runtime_error {
public:
    EEveryProxySetAside();
};

// The settings ask for a proxy but name none that can be used: no request may go out.
class EProxySettingsUnusable : public std::runtime_error {
public:
    explicit EProxySettingsUnusable(const std::string& problem);
};

// The lanes of a run share one rotation, each from its own thread: every operation
// holds the rotation's lock.
class ProxyRotation {
public:
    explicit ProxyRotation(ProxySettings settings);

    // Whether the settings ask for a proxy.
    bool Enabled() const { return FSettings.Wanted || !FSettings.Proxies.empty(); }
    // The proxy for the next request to host (index into Proxies), or none when it goes
    // direct. engine, when given, keeps one proxy per engine (Rotate = engine) until that
    // proxy fails. Raises EEveryProxySetAside when every proxy is set aside, and
    // EProxySettingsUnusable when the settings ask for a proxy but hold none.
    std::optional<std::size_t> ProxyFor(const std::string& host, std::optional<int> engine = std::nullopt);
    // The request through proxy went through: its failures in a row start again.
    void Succeeded(std::size_t proxy);
    // The proxy failed (refused, reset, 407, a SOCKS refusal). True when this failure sets
    // it aside. An engine that kept it moves on to the next.
    bool Failed(std::size_t proxy);
    bool SetAside(std::size_t proxy) const;
    bool AllSetAside() const;

    const ProxyAddress& Proxy(std::size_t index) const { return FSettings.Proxies.at(index); }
    const ProxySettings& Settings() const { return FSettings; }

private:
    // The next proxy in turn that is not set aside.
    std::size_t NextInTurn();

    // Recursive: an operation calls the others.
    mutable std::recursive_mutex FLock;
    ProxySettings FSettings;
    std::vector<int> FFailuresInARow;
    std::size_t FNext = 0;
    std::map<int, std::size_t> FEngineProxy;
};
