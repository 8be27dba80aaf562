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
    for (size_t i = 0; i < FEntries.size(); ++i) {
        if (SameTextAscii(FEntries[i].Text, text))
            return static_cast<int>(i);
    }
    return -1;
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
    FEntries.push_back(Entry{std::move(text), nullptr, nullptr});
    return FEntries.back();
}

void TIdCookieList::Delete(int index)
{
    FEntries.erase(FEntries.begin() + index);
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
    // Each cookie takes itself out of the index as it goes.
    while (!FItems.empty())
        FItems.pop_back();
}

TIdCookieRFC2109& TIdCookies::NewCookie()
{
    FItems.push_back(std::make_unique<TIdCookieRFC2109>(*this));
    return static_cast<TIdCookieRFC2109&>(*FItems.back());
}

TIdCookieRFC2965& TIdCookies::NewCookie2()
{
    FItems.push_back(std::make_unique<TIdCookieRFC2965>(*this));
    return static_cast<TIdCookieRFC2965&>(*FItems.back());
}

void TIdCookies::DestroyCookie(TIdNetscapeCookie& cookie)
{
    const auto item = std::find_if(FItems.begin(), FItems.end(),
                                   [&](const std::unique_ptr<TIdNetscapeCookie>& held) { return held.get() == &cookie; });
    if (item == FItems.end())
        return;
    const std::unique_ptr<TIdNetscapeCookie> destroyed = std::move(*item);
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
        return;
    }
    TIdNetscapeCookie* const keeper = cookies.CookieAt(stored);
    if (keeper == &cookie)
        return;
    keeper->ParseCookieText(cookie.FormatCookie());
    keeper->SetFlavor(cookie.Flavor());
    DestroyCookie(cookie);
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
    WriteLock lock(*this);
    TIdCookieList& domains = lock.Domains();
    for (int domain = 0; domain < domains.Count(); ++domain) {
        TIdCookieList& cookies = domains.CookiesAt(domain);
        const int entry = cookies.IndexOfCookie(&cookie);
        if (entry >= 0) {
            cookies.Delete(entry);
            return;
        }
    }
}
