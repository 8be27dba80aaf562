// Name lookup off the calling thread. The lookup of a name runs on a worker of its own
// while the caller waits in slices, pumping the window between them, so a name server
// that answers late (or never) neither freezes the window nor keeps Stop from acting.
// A lookup given up on is left to end on its own: the worker keeps its own share of
// what it writes into, so nothing it touches goes away under it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

// What answers the names: the system's resolver, or one a test puts in its place.
class NameResolver {
public:
    virtual ~NameResolver() = default;
    // The addresses of host as IP texts, in the order to try them; empty when the name
    // is unknown. May block for as long as the name servers take.
    virtual std::vector<std::string> Resolve(const std::string& host) = 0;
};

// getaddrinfo: IPv4 and IPv6 addresses, each once, in the system's order.
class SystemResolver : public NameResolver {
public:
    std::vector<std::string> Resolve(const std::string& host) override;
};

// Puts resolver in place for every lookup that starts from now on (none: the system's)
// and gives back the one it replaces.
std::shared_ptr<NameResolver> SetNameResolver(std::shared_ptr<NameResolver> resolver);

// Looks host up on a worker. The caller waits in slices of at most 125 ms (shorter when
// the anti-freeze's IdleTimeOut is) and pumps the window between them; after each
// pump, stopped is asked, and when it answers true the lookup is given up on and
// EIdNotConnected is raised at once. An unknown name raises EIdSocketError
// WSAHOST_NOT_FOUND.
std::vector<std::string> LookupAddresses(const std::string& host, const std::function<bool()>& stopped);

// Lookups given up on whose worker has not ended yet.
int AbandonedLookups();
