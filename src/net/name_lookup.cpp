#include "net/name_lookup.h"

#include "net/anti_freeze.h"
#include "net/errors.h"
#include "net/socket_layer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <netdb.h>
#include <thread>

namespace {

constexpr int32_t LookupSlice = 125;

std::mutex ResolverLock;
std::shared_ptr<NameResolver> InstalledResolver;
std::atomic<int> Abandoned{0};

std::shared_ptr<NameResolver> ResolverInUse()
{
    std::lock_guard<std::mutex> lock(ResolverLock);
    if (!InstalledResolver)
        InstalledResolver = std::make_shared<SystemResolver>();
    return InstalledResolver;
}

// What the worker and the waiting thread share; the worker holds its own reference, so
// the state outlives a caller that gave up.
struct LookupState {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    bool abandoned = false;
    std::vector<std::string> addresses;
    std::exception_ptr failure;
};

} // namespace

std::vector<std::string> SystemResolver::Resolve(const std::string& host)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    std::vector<std::string> addresses;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0)
        return addresses;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        char text[INET6_ADDRSTRLEN] = {};
        const void* raw = nullptr;
        if (entry->ai_family == AF_INET)
            raw = &reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
        else if (entry->ai_family == AF_INET6)
            raw = &reinterpret_cast<const sockaddr_in6*>(entry->ai_addr)->sin6_addr;
        if (raw && inet_ntop(entry->ai_family, raw, text, sizeof text) &&
            std::find(addresses.begin(), addresses.end(), text) == addresses.end())
            addresses.emplace_back(text);
    }
    freeaddrinfo(found);
    return addresses;
}

std::shared_ptr<NameResolver> SetNameResolver(std::shared_ptr<NameResolver> resolver)
{
    std::lock_guard<std::mutex> lock(ResolverLock);
    std::shared_ptr<NameResolver> previous = std::move(InstalledResolver);
    InstalledResolver = std::move(resolver);
    return previous;
}

int AbandonedLookups()
{
    return Abandoned.load();
}

std::vector<std::string> LookupAddresses(const std::string& host, const std::function<bool()>& stopped)
{
    // A NUL would cut the name short where the resolver reads it.
    if (host.empty() || host.find('\0') != std::string::npos) {
        TIdStack::StackInstance()->SetLastError(WSAHOST_NOT_FOUND);
        TIdStack::StackInstance()->ThrowSocketError(WSAHOST_NOT_FOUND);
    }

    auto state = std::make_shared<LookupState>();
    std::thread([state, resolver = ResolverInUse(), host] {
        std::vector<std::string> addresses;
        std::exception_ptr failure;
        try {
            addresses = resolver->Resolve(host);
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(state->lock);
        state->addresses = std::move(addresses);
        state->failure = failure;
        state->done = true;
        if (state->abandoned)
            --Abandoned;
        state->ended.notify_all();
    }).detach();

    const int32_t slice = TIdAntiFreezeBase::AntiFreezeInUse()
        ? std::max(1, std::min(CurrentAntiFreeze()->IdleTimeOut, LookupSlice))
        : LookupSlice;
    std::unique_lock<std::mutex> lock(state->lock);
    while (!state->ended.wait_for(lock, std::chrono::milliseconds(slice), [&] { return state->done; })) {
        lock.unlock();
        TIdAntiFreezeBase::YieldToUI(true);
        const bool stop = stopped && stopped();
        lock.lock();
        if (stop && !state->done) {
            state->abandoned = true;
            ++Abandoned;
            throw EIdNotConnected();
        }
    }
    if (state->failure)
        std::rethrow_exception(state->failure);
    if (state->addresses.empty()) {
        TIdStack::StackInstance()->SetLastError(WSAHOST_NOT_FOUND);
        TIdStack::StackInstance()->ThrowSocketError(WSAHOST_NOT_FOUND);
    }
    return state->addresses;
}
