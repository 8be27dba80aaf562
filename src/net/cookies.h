// The cookie store of the HTTP client: the manager that admits the cookies of
// "Set-cookie" and "Set-cookie2" values and builds the "Cookie" header of each request,
// the store with its domain index and lock, and the cookie classes of the three
// flavours. Everything lives in memory for the life of the manager.
#pragma once

#include "net/component.h"
#include "net/date_time.h"
#include "net/header_list.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

class TIdCookies;
class TIdURI;

// --- Host names ------------------------------------------------------------------------------

// Four dot-separated numbers 0 to 255 (after trimming); text after a fourth dot is not
// looked at.
bool IsIPv4Address(std::string_view text);
// Neither an IPv4 address nor a text beginning with ".".
bool IsPlainHostName(std::string_view text);
// The host from its first "." on, or the whole host when it has none.
std::string ParentDomainOf(std::string_view host);
// Whether a domain attribute names a public suffix (".com", ".co.uk", ...), for which no
// host may set a cookie, by the public suffix list built into libpsl. A domain equal to
// the host itself is never refused here.
bool NamesPublicSuffix(std::string_view domain, std::string_view host);

enum TCookieFlavor { cfNetscape = 0, cfRFC2109 = 1, cfRFC2965 = 2 };

// --- Limits (the least RFC 6265 asks a client to keep) ----------------------------------

// Bytes of one "Set-cookie" value, name, value and attributes together; a longer one is
// refused, so no server can make one Cookie line of megabytes.
constexpr int MaxCookieLength = 4096;
// Cookies kept for one domain and in all; past either, the least recently set one of the
// domain (or of the store) is dropped, so a server cannot grow the store without end.
constexpr int MaxCookiesPerDomain = 50;
constexpr int MaxCookies = 3000;


// --- The lock -----------------------------------------------------------------------------

// Many readers or one writer. The writing thread may take the lock again, for reading
// or writing, while it holds it: destroying a cookie under the write lock removes the
// cookie from the index under the same lock.
class MultiReadSingleWriteLock {
public:
    void BeginRead();
    void EndRead();
    void BeginWrite();
    void EndWrite();

private:
    bool HeldByThisThreadForWriting() const;

    std::shared_mutex FLock;
    std::atomic<std::thread::id> FWriter{};
    // Entries of the writing thread, both kinds together; touched by that thread only.
    int FWriterDepth = 0;
};

// --- Cookie lists ---------------------------------------------------------------------------

// Texts compared ignoring ASCII letter case, each with what it stands for, in the order
// they were added. The domain index maps domain texts to lists of that domain's
// cookies; a domain's list maps cookie names to the cookies (not owned: they live in
// the store's collection). A text is found by hashing, not by a walk of the list.
class TIdCookieList {
public:
    struct Entry {
        std::string Text;
        class TIdNetscapeCookie* Cookie = nullptr;
        std::unique_ptr<TIdCookieList> Cookies;
    };

    int Count() const { return static_cast<int>(FEntries.size()); }
    const std::string& TextAt(int index) const { return FEntries.at(static_cast<size_t>(index)).Text; }
    TIdNetscapeCookie* CookieAt(int index) const { return FEntries.at(static_cast<size_t>(index)).Cookie; }
    TIdCookieList& CookiesAt(int index) const { return *FEntries.at(static_cast<size_t>(index)).Cookies; }
    // The first entry whose text equals text ignoring case; -1 when none.
    int IndexOf(std::string_view text) const;
    int IndexOfCookie(const TIdNetscapeCookie* cookie) const;
    Entry& Add(std::string text);
    // Renumbers the entries after it (a walk of the list: the cookie lists it is used on
    // hold at most MaxCookiesPerDomain entries, and the domain index is never shortened).
    void Delete(int index);

private:
    std::vector<Entry> FEntries;
    // Upper-case text to the index of its first entry.
    std::unordered_map<std::string, int> FFirstIndex;
};

// --- Cookies ----------------------------------------------------------------------------------

// The entries of a cookie text after its first one: "NAME=value" with the name in upper
// case, or a flag such as "SECURE".
using CookieAttributes = std::vector<std::string>;

// A cookie as the original Netscape proposal has it. Every cookie is an item of the
// store's collection from its creation to its destruction; destroying one that is
// stored removes it from the domain index.
class TIdNetscapeCookie {
public:
    explicit TIdNetscapeCookie(TIdCookies& collection);
    virtual ~TIdNetscapeCookie();
    TIdNetscapeCookie(const TIdNetscapeCookie&) = delete;
    TIdNetscapeCookie& operator=(const TIdNetscapeCookie&) = delete;

    // Reads a "Set-cookie" value: the name and value of its first entry, then its
    // attributes (names ignoring case, the first of a repeated attribute winning).
    // The same text twice in a row changes nothing.
    void ParseCookieText(const std::string& text);

    // "name=value; path=...; expires=...; domain=...; secure", each part only when it has
    // a value; "expires" only for the Netscape flavour.
    virtual std::string FormatCookie() const;
    virtual void SetExpiry(const std::string& text);
    virtual std::string FormatServerCookie() const { return FormatCookie(); }
    // "name=value", as sent in a "Cookie" header.
    virtual std::string FormatClientCookie() const;
    virtual void LoadAttributes(const CookieAttributes& attributes);
    // Whether the host of the request that received the cookie may set its domain: an
    // address or a domain-less host only its own, a host name its own or its parent
    // domain (the part from its first dot on).
    virtual bool MatchesServerHost(const std::string& host) const;

    const std::string& RawText() const { return FRawText; }
    const std::string& DomainText() const { return FDomainText; }
    void SetDomainText(std::string domain) { FDomainText = std::move(domain); }
    const std::string& ExpiresText() const { return FExpiresText; }
    const std::string& NameText() const { return FNameText; }
    const std::string& PathText() const { return FPathText; }
    bool Secure() const { return FSecureFlag; }
    // Set without a domain attribute: sent back to the host that set it only, never to
    // its subdomains.
    bool HostOnly() const { return FHostOnly; }
    void SetHostOnly(bool hostOnly) { FHostOnly = hostOnly; }
    const std::string& ValueText() const { return FValueText; }
    TCookieFlavor Flavor() const { return FFlavor; }
    void SetFlavor(TCookieFlavor flavor) { FFlavor = flavor; }

protected:
    // Appends "key=value" when value is not empty, or the flag, with "; " before it when
    // the text is not empty.
    static void AppendAttribute(std::string& text, std::string_view key, std::string_view value);
    static void AppendFlag(std::string& text, std::string_view flag);
    // The value of the attribute of that name (ignoring case); empty when missing.
    static std::string AttributeValue(const CookieAttributes& attributes, std::string_view name);
    static bool HasFlag(const CookieAttributes& attributes, std::string_view flag);

    TIdCookies& FCollection;
    std::string FRawText;
    std::string FDomainText;
    std::string FExpiresText;
    std::string FNameText;
    std::string FPathText;
    bool FSecureFlag = false;
    bool FHostOnly = false;
    std::string FValueText;
    TCookieFlavor FFlavor = cfNetscape;
};

// A "Set-cookie" cookie: adds max-age, version and comment.
class TIdCookieRFC2109 : public TIdNetscapeCookie {
public:
    explicit TIdCookieRFC2109(TIdCookies& collection);

    std::string FormatCookie() const override;
    // Also sets the max-age to the whole seconds from now to the expiry.
    void SetExpiry(const std::string& text) override;
    void LoadAttributes(const CookieAttributes& attributes) override;

    int64_t MaxAgeSeconds() const { return FMaxAgeSeconds; }
    const std::string& VersionText() const { return FVersionText; }
    const std::string& CommentText() const { return FCommentText; }

protected:
    int64_t FMaxAgeSeconds = -1;
    std::string FVersionText;
    std::string FCommentText;
};

// A "Set-cookie2" cookie: adds the comment URL, the discard flag and the port list.
class TIdCookieRFC2965 : public TIdCookieRFC2109 {
public:
    explicit TIdCookieRFC2965(TIdCookies& collection);

    // A quoted "Port" list item that is not a number raises EConvertError.
    void LoadAttributes(const CookieAttributes& attributes) override;

    // Index one past the last entry grows the list; any other index outside it raises
    // EIdException "Index out of range.".
    void SetPortAt(int index, int32_t port);

    const std::string& CommentURLText() const { return FCommentURLText; }
    bool Discard() const { return FDiscardFlag; }
    const std::vector<int32_t>& Ports() const { return FPorts; }

private:
    std::string FCommentURLText;
    bool FDiscardFlag = false;
    std::vector<int32_t> FPorts;
};

// --- The store --------------------------------------------------------------------------------

// Every cookie object, stored or not, and the index of the stored ones by domain and
// name. The index is reached only under the lock.
class TIdCookies {
public:
    enum class LockMode { Read, ReadWrite };

    TIdCookies() = default;
    ~TIdCookies();
    TIdCookies(const TIdCookies&) = delete;
    TIdCookies& operator=(const TIdCookies&) = delete;

    TIdCookieRFC2109& NewCookie();
    TIdCookieRFC2965& NewCookie2();
    // Takes the cookie out of the collection and destroys it.
    void DestroyCookie(TIdNetscapeCookie& cookie);
    int Count() const { return static_cast<int>(FItems.size()); }

    // Indexes the cookie under its domain and name (both ignoring case). A cookie of a
    // name already stored for that domain is taken over by the stored one, which keeps
    // the name it was first stored under, and is destroyed. Then, while the domain holds
    // more than MaxCookiesPerDomain cookies or the store more than MaxCookies, the least
    // recently set one (of the domain, then of the store) is destroyed.
    void StoreCookie(TIdNetscapeCookie& cookie);
    // Whether a cookie of that domain and name (both ignoring case) is stored with the
    // secure attribute.
    bool StoresSecureCookie(std::string_view domain, std::string_view name);
    // How many cookies are indexed.
    int StoredCount() const { return static_cast<int>(FRecentlySet.size()); }

    TIdCookieList& LockDomains(LockMode mode);
    void UnlockDomains(LockMode mode);

private:
    friend class TIdNetscapeCookie;

    // A cookie object and where it is indexed.
    struct Item {
        std::unique_ptr<TIdNetscapeCookie> Cookie;
        // The domain entry it is indexed under; -1 while it is not stored.
        int Domain = -1;
        // Its place in FRecentlySet while it is stored.
        std::list<TIdNetscapeCookie*>::iterator Recent;
        uint64_t SetNumber = 0;
    };

    // Removes the cookie's entry from the index, if it has one.
    void Unindex(const TIdNetscapeCookie& cookie);
    // Counts the stored cookie as set now.
    void MarkSet(TIdNetscapeCookie& cookie);
    void EnforceLimits(int domain);

    TIdCookieList FDomains;
    MultiReadSingleWriteLock FGuard;
    std::unordered_map<const TIdNetscapeCookie*, Item> FItems;
    // The stored cookies, the least recently set first.
    std::list<TIdNetscapeCookie*> FRecentlySet;
    uint64_t FSetCount = 0;
};

// --- The manager ------------------------------------------------------------------------------

class TIdCookieManager : public TIdBaseComponent {
public:
    using TOnManagerEvent = std::function<void(TIdCookieManager& ASender, TIdCookies& ACookieCollection)>;
    using TOnNewCookieEvent = std::function<void(TIdCookieManager& ASender, TIdCookieRFC2109& ACookie, bool& VAccept)>;

    // onCreate, when given, is raised once the store exists.
    explicit TIdCookieManager(TOnManagerEvent onCreate = nullptr);
    // Drops the expired cookies, raises OnDestroy, tells the clients using the manager,
    // and destroys the store with every cookie in it.
    ~TIdCookieManager() override;

    // A "Set-cookie" value received from host: kept when it is at most MaxCookieLength
    // bytes, its name and value hold no control character but tabs, its domain
    // attribute names no public suffix, host may set its domain, and OnNewCookie does
    // not refuse it. A response that did not come over an encrypted channel can neither
    // set a secure cookie nor replace one. Without a domain attribute the cookie is
    // host-only.
    void AcceptCookie(const std::string& text, const std::string& host, bool encryptedChannel);
    // The same for a "Set-cookie2" value.
    void AcceptCookie2(const std::string& text, const std::string& host, bool encryptedChannel);
    // Destroys every cookie whose expiry has passed.
    void DropExpiredCookies();
    // The "Cookie" value for a request to uri: "name=value" of every cookie whose
    // domain matches the host (a host-only cookie's equals it), whose path begins the URI's directory and that has a
    // value (secure ones only when secure), longer paths first, joined with "; ".
    std::string BuildCookieHeader(const TIdURI& uri, bool secure);

    TIdCookies& Store() { return *FStore; }

    // Whoever holds the manager without owning it asks to be told of its destruction.
    void AddDestroyWatch(const void* watcher, std::function<void()> destroyed);
    void RemoveDestroyWatch(const void* watcher);

    TOnManagerEvent OnCreate;
    TOnManagerEvent OnDestroy;
    TOnNewCookieEvent OnNewCookie;

protected:
    virtual void NotifyStoreCreated();
    virtual void NotifyStoreDestroying();
    // OnNewCookie's answer, true when no handler is set.
    virtual bool AskAcceptCookie(TIdCookieRFC2109& cookie);

private:
    void Admit(TIdCookieRFC2109& cookie, const std::string& text, const std::string& host, bool encryptedChannel);

    std::unique_ptr<TIdCookies> FStore;
    std::vector<std::pair<const void*, std::function<void()>>> FDestroyWatches;
    // Clients on several threads may share one manager. The store's own lock guards its
    // domain index only, not the cookies it owns, which admitting and dropping create and
    // destroy: every use of the store through the manager is one at a time.
    std::recursive_mutex FUseLock;
};

// Whether a cookie of domain is sent to host: the host equals the domain, or ends with
// it at a label boundary; a leading dot of the domain and letter case do not count.
bool CookieDomainMatchesHost(std::string_view domain, std::string_view host);
