// The cookie manager: admitting cookies, dropping expired ones and choosing the cookies
// of a request.
#include "net/cookies.h"

#include "net/errors.h"
#include "net/text_case.h"
#include "net/uri.h"

#include <algorithm>

namespace {

// Ordinal comparison with ASCII letter case ignored.
bool PathLess(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return UpperAscii(x) < UpperAscii(y); });
}

class ReadLock {
public:
    explicit ReadLock(TIdCookies& cookies) : FCookies(cookies), FDomains(cookies.LockDomains(TIdCookies::LockMode::Read)) {}
    ~ReadLock() { FCookies.UnlockDomains(TIdCookies::LockMode::Read); }
    ReadLock(const ReadLock&) = delete;
    ReadLock& operator=(const ReadLock&) = delete;

    const TIdCookieList& Domains() const { return FDomains; }

private:
    TIdCookies& FCookies;
    TIdCookieList& FDomains;
};

// The domain texts that CookieDomainMatchesHost accepts for host: the host itself and
// every part of it after a dot, each with and without one leading dot.
std::vector<std::string> DomainsMatching(std::string_view host)
{
    std::vector<std::string> domains;
    const auto add = [&](std::string_view suffix) {
        if (suffix.empty())
            return;
        domains.emplace_back(suffix);
        domains.push_back("." + std::string(suffix));
    };
    add(host);
    for (size_t dot = host.find('.'); dot != std::string_view::npos; dot = host.find('.', dot + 1))
        add(host.substr(dot + 1));
    return domains;
}

} // namespace

bool CookieDomainMatchesHost(std::string_view domain, std::string_view host)
{
    if (!domain.empty() && domain.front() == '.')
        domain.remove_prefix(1);
    if (domain.empty())
        return false;
    if (SameTextAscii(host, domain))
        return true;
    return host.size() > domain.size() && host[host.size() - domain.size() - 1] == '.' &&
           SameTextAscii(host.substr(host.size() - domain.size()), domain);
}

TIdCookieManager::TIdCookieManager(TOnManagerEvent onCreate)
    : OnCreate(std::move(onCreate)), FStore(std::make_unique<TIdCookies>())
{
    NotifyStoreCreated();
}

TIdCookieManager::~TIdCookieManager()
{
    try {
        DropExpiredCookies();
    } catch (const EIdException&) {
        // Without the time zone nothing can be judged expired; the store goes anyway.
    }
    NotifyStoreDestroying();
    const auto watches = FDestroyWatches;
    for (const auto& watch : watches)
        watch.second();
    FStore.reset();
}

void TIdCookieManager::NotifyStoreCreated()
{
    if (OnCreate)
        OnCreate(*this, *FStore);
}

void TIdCookieManager::NotifyStoreDestroying()
{
    if (OnDestroy)
        OnDestroy(*this, *FStore);
}

bool TIdCookieManager::AskAcceptCookie(TIdCookieRFC2109& cookie)
{
    bool accept = true;
    if (OnNewCookie)
        OnNewCookie(*this, cookie, accept);
    return accept;
}

void TIdCookieManager::AcceptCookie(const std::string& text, const std::string& host, bool encryptedChannel)
{
    const std::lock_guard lock(FUseLock);
    if (text.size() <= MaxCookieLength)
        Admit(FStore->NewCookie(), text, host, encryptedChannel);
}

void TIdCookieManager::AcceptCookie2(const std::string& text, const std::string& host, bool encryptedChannel)
{
    const std::lock_guard lock(FUseLock);
    if (text.size() <= MaxCookieLength)
        Admit(FStore->NewCookie2(), text, host, encryptedChannel);
}

void TIdCookieManager::Admit(TIdCookieRFC2109& cookie, const std::string& text, const std::string& host,
                             bool encryptedChannel)
{
    try {
        cookie.ParseCookieText(text);
    } catch (...) {
        FStore->DestroyCookie(cookie);
        throw;
    }
    // The name and value go into the Cookie line.
    if (HoldsControlCharacter(cookie.NameText()) || HoldsControlCharacter(cookie.ValueText())) {
        FStore->DestroyCookie(cookie);
        return;
    }
    const bool domainGiven = !cookie.DomainText().empty();
    if (!domainGiven)
        cookie.SetDomainText(host);
    cookie.SetHostOnly(!domainGiven);
    // Anyone on the path of a plain http answer could otherwise plant or overwrite the
    // cookie that the encrypted pages of the same site rely on.
    const bool plantsSecure =
        !encryptedChannel &&
        (cookie.Secure() || FStore->StoresSecureCookie(cookie.DomainText(), cookie.NameText()));
    if (!plantsSecure && !(domainGiven && NamesPublicSuffix(cookie.DomainText(), host)) &&
        cookie.MatchesServerHost(host) && AskAcceptCookie(cookie))
        FStore->StoreCookie(cookie);
    else
        FStore->DestroyCookie(cookie);
}

void TIdCookieManager::DropExpiredCookies()
{
    const std::lock_guard use(FUseLock);
    TIdCookieList& domains = FStore->LockDomains(TIdCookies::LockMode::ReadWrite);
    try {
        const DateTime now = LocalNow();
        for (int domain = 0; domain < domains.Count(); ++domain) {
            TIdCookieList& cookies = domains.CookiesAt(domain);
            for (int entry = cookies.Count() - 1; entry >= 0; --entry) {
                TIdNetscapeCookie* const cookie = cookies.CookieAt(entry);
                if (!cookie->ExpiresText().empty() && now > InternetDateToLocal(cookie->ExpiresText())) {
                    cookies.Delete(entry);
                    FStore->DestroyCookie(*cookie);
                }
            }
        }
    } catch (...) {
        FStore->UnlockDomains(TIdCookies::LockMode::ReadWrite);
        throw;
    }
    FStore->UnlockDomains(TIdCookies::LockMode::ReadWrite);
}

std::string TIdCookieManager::BuildCookieHeader(const TIdURI& uri, bool secure)
{
    const std::lock_guard use(FUseLock);
    DropExpiredCookies();

    ReadLock lock(*FStore);
    const TIdCookieList& domains = lock.Domains();
    // The matching domains are looked up, not searched for, and visited in index order.
    std::vector<int> matching;
    for (const std::string& domain : DomainsMatching(uri.Host)) {
        const int index = domains.IndexOf(domain);
        if (index >= 0)
            matching.push_back(index);
    }
    std::sort(matching.begin(), matching.end());
    matching.erase(std::unique(matching.begin(), matching.end()), matching.end());

    // Kept sorted by path; a cookie goes before those of an equal path already there.
    std::vector<const TIdNetscapeCookie*> chosen;
    for (const int domain : matching) {
        const TIdCookieList& cookies = domains.CookiesAt(domain);
        for (int entry = cookies.Count() - 1; entry >= 0; --entry) {
            const TIdNetscapeCookie* const cookie = cookies.CookieAt(entry);
            const std::string& path = cookie->PathText();
            if (path.empty() || !uri.Directory.starts_with(path) || (cookie->Secure() && !secure) ||
                cookie->ValueText().empty() || (cookie->HostOnly() && !SameTextAscii(cookie->DomainText(), uri.Host)))
                continue;
            const auto place = std::lower_bound(chosen.begin(), chosen.end(), path,
                                                [](const TIdNetscapeCookie* held, const std::string& newPath) {
                                                    return PathLess(held->PathText(), newPath);
                                                });
            chosen.insert(place, cookie);
        }
    }

    std::string header;
    for (auto cookie = chosen.rbegin(); cookie != chosen.rend(); ++cookie) {
        if (!header.empty())
            header += "; ";
        header += (*cookie)->FormatClientCookie();
    }
    return header;
}

void TIdCookieManager::AddDestroyWatch(const void* watcher, std::function<void()> destroyed)
{
    FDestroyWatches.emplace_back(watcher, std::move(destroyed));
}

void TIdCookieManager::RemoveDestroyWatch(const void* watcher)
{
    std::erase_if(FDestroyWatches, [&](const auto& watch) { return watch.first == watcher; });
}
