#include "core/proxy_rotation.h"

#include <algorithm>

EEveryProxySetAside::EEveryProxySetAside()
    : std::runtime_error("Every proxy of the list failed three times in a row and is set aside.")
{
}

EProxySettingsUnusable::EProxySettingsUnusable(const std::string& problem)
    : std::runtime_error("No proxy of the settings can be used (" + problem + "); nothing is fetched without it.")
{
}

ProxyRotation::ProxyRotation(ProxySettings settings)
    : FSettings(std::move(settings)), FFailuresInARow(FSettings.Proxies.size(), 0)
{
}

bool ProxyRotation::SetAside(std::size_t proxy) const
{
    const std::lock_guard lock(FLock);
    return FFailuresInARow.at(proxy) >= ProxyFailuresBeforeSetAside;
}

bool ProxyRotation::AllSetAside() const
{
    const std::lock_guard lock(FLock);
    return !FSettings.Proxies.empty() && std::all_of(FFailuresInARow.begin(), FFailuresInARow.end(),
                                    [](int failures) { return failures >= ProxyFailuresBeforeSetAside; });
}

std::size_t ProxyRotation::NextInTurn()
{
    if (AllSetAside())
        throw EEveryProxySetAside();
    while (SetAside(FNext % FFailuresInARow.size()))
        ++FNext;
    const std::size_t chosen = FNext % FFailuresInARow.size();
    FNext = chosen + 1;
    return chosen;
}

std::optional<std::size_t> ProxyRotation::ProxyFor(const std::string& host, std::optional<int> engine)
{
    const std::lock_guard lock(FLock);
    if (!Enabled() || BypassesProxy(host, FSettings.NoProxy))
        return std::nullopt;
    if (FSettings.Proxies.empty())
        throw EProxySettingsUnusable(FSettings.Problems.empty() ? "the list is empty" : FSettings.Problems.front());
    if (!engine || FSettings.Rotate == ProxyRotate::PerRequest)
        return NextInTurn();
    const auto kept = FEngineProxy.find(*engine);
    if (kept != FEngineProxy.end() && !SetAside(kept->second))
        return kept->second;
    const std::size_t chosen = NextInTurn();
    FEngineProxy[*engine] = chosen;
    return chosen;
}

void ProxyRotation::Succeeded(std::size_t proxy)
{
    const std::lock_guard lock(FLock);
    FFailuresInARow.at(proxy) = 0;
}

bool ProxyRotation::Failed(std::size_t proxy)
{
    const std::lock_guard lock(FLock);
    // An engine keeps a proxy only until it fails.
    std::erase_if(FEngineProxy, [proxy](const auto& kept) { return kept.second == proxy; });
    return ++FFailuresInARow.at(proxy) == ProxyFailuresBeforeSetAside;
}
