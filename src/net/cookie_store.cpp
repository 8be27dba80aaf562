// The store: the lock over the domain index, the cookie lists and the collection that
// owns every cookie object.
#include "net/cookies.h"

#include "net/text_case.h"

#include <algorithm>

// --- The lock -----------------------------------------------------------------------------

bool MultiReadSingleWriteLock::HeldByThisThreadForWriting() const
{
    return FWriter.load() == std::this_thread::get_id();
}

void MultiReadSingleWriteLock::BeginRead()
{
    if (HeldByThisThreadForWriting()) {
        ++FWriterDepth;
        return;
    }
    FLock.lock_shared();
}

void MultiReadSingleWriteLock::EndRead()
{
    if (HeldByThisThreadForWriting()) {
        EndWrite();
        return;
    }
    FLock.unlock_shared();
}

void MultiReadSingleWriteLock::BeginWrite()
{
    if (HeldByThisThreadForWriting()) {
        ++FWriterDepth;
        return;
    }
    FLock.lock();
    FWriter.store(std::this_thread::get_id());
    FWriterDepth = 1;
}

void MultiReadSingleWriteLock::EndWrite()
{
    if (--FWriterDepth > 0)
        return;
    FWriter.store(std::thread::id());
    FLock.unlock();
}

// --- Cookie lists ---------------------------------------------------------------------------

int TIdCookieList::IndexOf(std::string_view text) const
{
    const auto found = FFirstIndex.find(UpperAscii(text));
    return found == FFirstIndex.end() ? -1 : found->second;
}

int TIdCookieList::IndexOfCookie(const TIdNetscapeCookie* cookie) const
{
    for (size_t i = 0; i < FEntries.size(); ++i) {
        if (FEntries[i].Cookie == cookie)
            return static_cast<int>(i);
    }
    return -1;
}

TIdCookieList::Entry& TIdCookieList::Add(std::string text)
{
    FFirstIndex.emplace(UpperAscii(text), Count());
    FEntries.push_back(Entry{std::move(text), nullptr, nullptr});
    return FEntries.back();
}

void TIdCookieList::Delete(int index)
{
    FEntries.erase(FEntries.begin() + index);
    FFirstIndex.clear();
    for (int i = 0; i < Count(); ++i)
        FFirstIndex.emplace(UpperAscii(FEntries[static_cast<size_t>(i)].Text), i);
}

// --- The collection -------------------------------------------------------------------------

namespace {

class WriteLock {
public:
    explicit WriteLock(TIdCookies& cookies) : FCookies(cookies), FDomains(cookies.LockDomains(TIdCookies::LockMode::ReadWrite)) {}
    ~WriteLock() { FCookies.UnlockDomains(TIdCookies::LockMode::ReadWrite); }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    TIdCookieList& Domains() { return FDomains; }

private:
    TIdCookies& FCookies;
    TIdCookieList& FDomains;
};

} // namespace

TIdCookies::~TIdCookies()
{
    // Taken out of the collection first, so that no cookie looks itself up in the index
    // as it goes.
    FRecentlySet.clear();
    const std::unordered_map<const TIdNetscapeCookie*, Item> items = std::move(FItems);
    FItems.clear();
}

TIdCookieRFC2109& TIdCookies::NewCookie()
{
    auto cookie = std::make_unique<TIdCookieRFC2109>(*this);
    TIdCookieRFC2109& created = *cookie;
    FItems[&created].Cookie = std::move(cookie);
    return created;
}

TIdCookieRFC2965& TIdCookies::NewCookie2()
{
    auto cookie = std::make_unique<TIdCookieRFC2965>(*this);
    TIdCookieRFC2965& created = *cookie;
    FItems[&created].Cookie = std::move(cookie);
    return created;
}

void TIdCookies::DestroyCookie(TIdNetscapeCookie& cookie)
{
    const auto item = FItems.find(&cookie);
    if (item == FItems.end())
        return;
    Unindex(cookie);
    const std::unique_ptr<TIdNetscapeCookie> destroyed = std::move(item->second.Cookie);
    FItems.erase(item);
}

void TIdCookies::StoreCookie(TIdNetscapeCookie& cookie)
{
    WriteLock lock(*this);
    TIdCookieList& domains = lock.Domains();
    int domain = domains.IndexOf(cookie.DomainText());
    if (domain < 0) {
        domains.Add(cookie.DomainText()).Cookies = std::make_unique<TIdCookieList>();
        domain = domains.Count() - 1;
    }

    TIdCookieList& cookies = domains.CookiesAt(domain);
    const int stored = cookies.IndexOf(cookie.NameText());
    if (stored < 0) {
        cookies.Add(cookie.NameText()).Cookie = &cookie;
        FItems.at(&cookie).Domain = domain;
        MarkSet(cookie);
        EnforceLimits(domain);
        return;
    }
    TIdNetscapeCookie* const keeper = cookies.CookieAt(stored);
    if (keeper == &cookie)
        return;
    keeper->ParseCookieText(cookie.FormatCookie());
    keeper->SetFlavor(cookie.Flavor());
    keeper->SetHostOnly(cookie.HostOnly());
    MarkSet(*keeper);
    DestroyCookie(cookie);
}

bool TIdCookies::StoresSecureCookie(std::string_view domain, std::string_view name)
{
    const TIdCookieList& domains = LockDomains(LockMode::Read);
    bool secure = false;
    const int entry = domains.IndexOf(domain);
    if (entry >= 0) {
        const TIdCookieList& cookies = domains.CookiesAt(entry);
        const int stored = cookies.IndexOf(name);
        secure = stored >= 0 && cookies.CookieAt(stored)->Secure();
    }
    UnlockDomains(LockMode::Read);
    return secure;
}

void TIdCookies::MarkSet(TIdNetscapeCookie& cookie)
{
    Item& item = FItems.at(&cookie);
    if (item.SetNumber != 0)
        FRecentlySet.erase(item.Recent);
    item.Recent = FRecentlySet.insert(FRecentlySet.end(), &cookie);
    item.SetNumber = ++FSetCount;
}

void TIdCookies::EnforceLimits(int domain)
{
    TIdCookieList& cookies = FDomains.CookiesAt(domain);
    while (cookies.Count() > MaxCookiesPerDomain) {
        TIdNetscapeCookie* oldest = cookies.CookieAt(0);
        for (int entry = 1; entry < cookies.Count(); ++entry) {
            if (FItems.at(cookies.CookieAt(entry)).SetNumber < FItems.at(oldest).SetNumber)
                oldest = cookies.CookieAt(entry);
        }
        DestroyCookie(*oldest);
    }
    while (StoredCount() > MaxCookies)
        DestroyCookie(*FRecentlySet.front());
}

TIdCookieList& TIdCookies::LockDomains(LockMode mode)
{
    if (mode == LockMode::Read)
        FGuard.BeginRead();
    else
        FGuard.BeginWrite();
    return FDomains;
}

void TIdCookies::UnlockDomains(LockMode mode)
{
    if (mode == LockMode::Read)
        FGuard.EndRead();
    else
        FGuard.EndWrite();
}

void TIdCookies::Unindex(const TIdNetscapeCookie& cookie)
{
    // Found by the object itself: a stored cookie that took over another may have been
    // renamed, and a cookie destroyed after it was taken over must not take the entry
    // of the one that replaced it.
    const auto item = FItems.find(&cookie);
    if (item == FItems.end() || item->second.Domain < 0)
        return;
    WriteLock lock(*this);
    TIdCookieList& cookies = lock.Domains().CookiesAt(item->second.Domain);
    const int entry = cookies.IndexOfCookie(&cookie);
    if (entry >= 0)
        cookies.Delete(entry);
    FRecentlySet.erase(item->second.Recent);
    item->second.Domain = -1;
    item->second.SetNumber = 0;
}
