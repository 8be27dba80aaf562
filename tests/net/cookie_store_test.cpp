// The cookie store without a network: which cookies are admitted, kept, replaced,
// dropped and sent, and the "Cookie" value they make.
#include "net/cookies.h"
#include "net/errors.h"
#include "net/uri.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

struct Received {
    std::string setCookie;
    std::string host;
    bool encrypted = false; // the response came over https
};

struct Sent {
    std::string url;
    std::string cookieHeader;
    bool secure = false;
};

struct StoreCase {
    const char* name;
    std::vector<Received> received;
    std::vector<Sent> requests;
};

class CookieSelection : public testing::TestWithParam<StoreCase> {};

std::string HeaderFor(TIdCookieManager& manager, const std::string& url, bool secure = false)
{
    const TIdURI uri(url);
    return manager.BuildCookieHeader(uri, secure);
}

} // namespace

TEST_P(CookieSelection, SendsWhatMatchesTheHostAndPath)
{
    const StoreCase& c = GetParam();
    TIdCookieManager manager;
    for (const Received& cookie : c.received)
        manager.AcceptCookie(cookie.setCookie, cookie.host, cookie.encrypted);
    for (const Sent& request : c.requests)
        EXPECT_EQ(HeaderFor(manager, request.url, request.secure), request.cookieHeader) << request.url;
}

INSTANTIATE_TEST_SUITE_P(
    CookieStore, CookieSelection,
    testing::Values(
        StoreCase{"PathSlashGoesEverywhereOnItsHost",
                  {{"sid=abc; path=/", "a.site.test"}},
                  {{"http://a.site.test/x/y.html", "sid=abc"}, {"http://other.test/x/y.html", ""}}},
        StoreCase{"WithoutPathNeverSent", {{"sid=abc", "a.site.test"}}, {{"http://a.site.test/", ""}}},
        StoreCase{"LongerPathsFirst",
                  {{"a=1; path=/", "a.site.test"}, {"b=2; path=/x/", "a.site.test"}},
                  {{"http://a.site.test/x/p", "b=2; a=1"}, {"http://a.site.test/p", "a=1"}}},
        StoreCase{"EqualPathsLastStoredFirst",
                  {{"a=1; path=/", "a.site.test"}, {"b=2; path=/", "a.site.test"}},
                  {{"http://a.site.test/", "b=2; a=1"}}},
        StoreCase{"PathComparedExactly",
                  {{"a=1; path=/X/", "a.site.test"}, {"b=2; path=\"/x/\"", "a.site.test"}},
                  {{"http://a.site.test/x/", "b=2"}}},
        StoreCase{"SameNameOtherCaseReplaces",
                  {{"sid=1; path=/", "a.site.test"}, {"SID=2; path=/other", "a.site.test"}},
                  {{"http://a.site.test/other/x", "SID=2"}, {"http://a.site.test/", ""}}},
        StoreCase{"ParentDomainReachesSiblings",
                  {{"a=1; domain=.site.test; path=/", "a.site.test"}},
                  {{"http://b.site.test/", "a=1"}, {"http://site.test/", "a=1"}, {"http://B.SITE.TEST/", "a=1"}}},
        // Without a domain attribute a cookie is host-only: its subdomains never see it.
        StoreCase{"CookieWithoutDomainStaysWithItsHost",
                  {{"a=1; path=/", "site.test"}},
                  {{"http://a.site.test/", ""}, {"http://site.test/", "a=1"}, {"http://SITE.test/", "a=1"},
                   {"http://notsite.test/", ""}}},
        StoreCase{"DomainNamingTheHostReachesSubdomains",
                  {{"a=1; domain=site.test; path=/", "site.test"}},
                  {{"http://a.site.test/", "a=1"}, {"http://site.test/", "a=1"}}},
        // Replacing a cookie also replaces whether it is host-only.
        StoreCase{"HostOnlyReplacedByDomainCookie",
                  {{"a=1; path=/", "site.test"}, {"a=2; domain=site.test; path=/", "site.test"}},
                  {{"http://a.site.test/", "a=2"}}},
        StoreCase{"DomainCookieReplacedByHostOnly",
                  {{"a=1; domain=site.test; path=/", "site.test"}, {"a=2; path=/", "site.test"}},
                  {{"http://a.site.test/", ""}, {"http://site.test/", "a=2"}}},
        StoreCase{"HostOnlyOnAnIPv6Literal",
                  {{"a=1; path=/", "::1"}},
                  {{"http://[::1]/", "a=1"}}},
        // A plain http answer can neither set a secure cookie nor replace one.
        StoreCase{"SecureCookieFromPlainHttpIgnored",
                  {{"s=1; path=/; secure", "a.site.test", false}},
                  {{"https://a.site.test/", "", true}}},
        StoreCase{"SecureCookieFromHttpsKept",
                  {{"s=1; path=/; secure", "a.site.test", true}},
                  {{"https://a.site.test/", "s=1", true}, {"http://a.site.test/", "", false}}},
        StoreCase{"PlainHttpCannotReplaceASecureCookie",
                  {{"s=1; path=/; secure", "a.site.test", true}, {"s=2; path=/", "a.site.test", false},
                   {"S=3; path=/", "a.site.test", false}},
                  {{"https://a.site.test/", "s=1", true}}},
        StoreCase{"HttpsReplacesASecureCookie",
                  {{"s=1; path=/; secure", "a.site.test", true}, {"s=2; path=/", "a.site.test", true}},
                  {{"http://a.site.test/", "s=2", false}}},
        // A domain is matched at a label boundary only: no leak to an unrelated host
        // whose name merely contains it.
        StoreCase{"DomainMatchedAtALabelBoundary",
                  {{"a=1; domain=.site.test; path=/", "a.site.test"}},
                  {{"http://x.site.test.other.test/", ""}, {"http://xsite.test/", ""}}},
        StoreCase{"TopDomainFromItsOwnHostRejected",
                  {{"a=1; domain=.site.test; path=/", "site.test"}},
                  {{"http://site.test/", ""}, {"http://a.site.test/", ""}}},
        StoreCase{"SecureNeverSentOverPlainHttp", {{"a=1; path=/; secure", "a.site.test"}}, {{"http://a.site.test/", ""}}},
        StoreCase{"ExpiredDroppedBeforeTheHeaderIsBuilt",
                  {{"a=1; path=/; expires=Thu, 01-Jan-1970 00:00:00 GMT", "a.site.test"}},
                  {{"http://a.site.test/", ""}}},
        StoreCase{"UnreadableExpiryCountsAsExpired",
                  {{"a=1; path=/; expires=soon", "a.site.test"}},
                  {{"http://a.site.test/", ""}}},
        StoreCase{"EmptyValueReplacingStopsSending",
                  {{"a=1; path=/", "a.site.test"}, {"a=; path=/", "a.site.test"}},
                  {{"http://a.site.test/", ""}}},
        StoreCase{"NoSemicolonNoEqualsNeverSent", {{"justtext", "a.site.test"}}, {{"http://a.site.test/", ""}}},
        // No host may set a cookie for a public suffix, which would reach every site
        // under it; a host that is a suffix itself keeps its own cookies.
        StoreCase{"PublicSuffixDomainsRefused",
                  {{"a=1; domain=.com; path=/", "bank.com"},
                   {"b=2; domain=.co.uk; path=/", "bank.co.uk"},
                   {"c=3; domain=.test; path=/", "site.test"},
                   {"own=4; domain=bank.com; path=/", "bank.com"},
                   {"self=5; domain=localhost; path=/", "localhost"}},
                  {{"http://www.bank.com/", "own=4"},
                   {"http://www.bank.co.uk/", ""},
                   {"http://a.site.test/", ""},
                   {"http://localhost/", "self=5"}}},
        // A CR, LF or other control character in a name or value would end or bend the
        // Cookie line; a tab is allowed.
        StoreCase{"ControlCharactersInNameOrValueRefused",
                  {{"a=1\rX-Injected: yes; path=/", "a.site.test"},
                   {"b\n=2; path=/", "a.site.test"},
                   {"c=\x7f; path=/", "a.site.test"},
                   {"d=\x01; path=/", "a.site.test"},
                   {"e=x\ty; path=/", "a.site.test"}},
                  {{"http://a.site.test/", "e=x\ty"}}},
        StoreCase{"LongerThan4096BytesRefused",
                  {{"big=" + std::string(4093, 'a') + "; path=/", "a.site.test"},
                   {"kept=" + std::string(4083, 'b') + "; path=/", "a.site.test"}},
                  {{"http://a.site.test/", "kept=" + std::string(4083, 'b')}}}),
    [](const testing::TestParamInfo<StoreCase>& info) { return info.param.name; });

// The least recently set cookie of a domain goes once the domain holds more than 50;
// setting a stored cookie again counts as setting it.
TEST(CookieStore, FiftyPerDomainTheLeastRecentlySetGoes)
{
    TIdCookieManager manager;
    for (int i = 0; i < 50; ++i)
        manager.AcceptCookie("c" + std::to_string(i) + "=1; path=/", "a.site.test", false);
    manager.AcceptCookie("c0=2; path=/", "a.site.test", false);
    manager.AcceptCookie("c50=1; path=/", "a.site.test", false);

    EXPECT_EQ(manager.Store().StoredCount(), 50);
    const std::string header = HeaderFor(manager, "http://a.site.test/");
    EXPECT_NE(header.find("c0=2"), std::string::npos) << header;
    EXPECT_EQ(header.find("c1="), std::string::npos) << header;
    EXPECT_NE(header.find("c50=1"), std::string::npos) << header;
    // The cookies of another domain do not count.
    manager.AcceptCookie("other=1; path=/", "b.site.test", false);
    EXPECT_EQ(manager.Store().StoredCount(), 51);
}

TEST(CookieStore, ThreeThousandInAllTheLeastRecentlySetGo)
{
    TIdCookieManager manager;
    for (int domain = 0; domain < 61; ++domain) {
        for (int i = 0; i < 50; ++i)
            manager.AcceptCookie("c" + std::to_string(i) + "=1; path=/", "d" + std::to_string(domain) + ".test", false);
    }

    EXPECT_EQ(manager.Store().StoredCount(), MaxCookies);
    EXPECT_EQ(manager.Store().Count(), MaxCookies) << "a dropped cookie is destroyed";
    EXPECT_EQ(HeaderFor(manager, "http://d0.test/"), "");
    EXPECT_NE(HeaderFor(manager, "http://d1.test/"), "");
    EXPECT_NE(HeaderFor(manager, "http://d60.test/"), "");
}

TEST(CookieStore, DomainMatchAtLabelBoundaries)
{
    const struct {
        const char* domain;
        const char* host;
        bool matches;
    } cases[] = {
        {"site.test", "site.test", true},         {"site.test", "a.site.test", true},
        {".site.test", "b.site.test", true},      {".site.test", "a.b.site.test", true},
        {".site.test", "site.test", true},        {".SITE.test", "a.site.TEST", true},
        {".site.test", "x.site.test.other.test", false}, {"site.test", "xsite.test", false},
        {"a.site.test", "site.test", false},      {"127.0.0.1", "127.0.0.1", true},
        {".", "a.site.test", false},
        {"", "a.site.test", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CookieDomainMatchesHost(c.domain, c.host), c.matches) << c.domain << " / " << c.host;
}

TEST(CookieStore, HostCheckAtAdmission)
{
    const struct {
        const char* domain;
        const char* host;
        bool admitted;
    } cases[] = {
        {".site.test", "a.site.test", true},  {"site.test", "a.site.test", false}, {".SITE.test", "a.site.test", false},
        {".test", "a.site.test", false},      {".site.test", "a.b.site.test", false},
        {".test", "site.test", true},         {".site.test", "site.test", false},
        {"10.0.0.1", "10.0.0.1", true},       {".0.0.1", "10.0.0.1", false},
        {"localhost", "localhost", true},     {".site.test", ".a.site.test", false},
        {".A.site.test", ".a.site.test", true},
    };
    for (const auto& c : cases) {
        TIdCookies store;
        TIdCookieRFC2109& cookie = store.NewCookie();
        cookie.SetDomainText(c.domain);
        EXPECT_EQ(cookie.MatchesServerHost(c.host), c.admitted) << c.domain << " / " << c.host;
    }
}

TEST(CookieStore, ACookieWithoutDomainTakesTheRequestHost)
{
    TIdCookieManager manager;
    manager.AcceptCookie("a=1; path=/", "a.site.test", false);

    TIdCookieList& domains = manager.Store().LockDomains(TIdCookies::LockMode::Read);
    ASSERT_EQ(domains.Count(), 1);
    EXPECT_EQ(domains.TextAt(0), "a.site.test");
    manager.Store().UnlockDomains(TIdCookies::LockMode::Read);
}

TEST(CookieStore, ReplacementKeepsTheFirstNameAndTheTakenOverCookieGoes)
{
    TIdCookieManager manager;
    manager.AcceptCookie("sid=1; path=/", "a.site.test", false);
    manager.AcceptCookie("SID=2; path=/other", "a.site.test", false);

    EXPECT_EQ(manager.Store().Count(), 1);
    TIdCookieList& domains = manager.Store().LockDomains(TIdCookies::LockMode::Read);
    ASSERT_EQ(domains.Count(), 1);
    ASSERT_EQ(domains.CookiesAt(0).Count(), 1);
    EXPECT_EQ(domains.CookiesAt(0).TextAt(0), "sid");
    const TIdNetscapeCookie* cookie = domains.CookiesAt(0).CookieAt(0);
    EXPECT_EQ(cookie->NameText(), "SID");
    EXPECT_EQ(cookie->ValueText(), "2");
    EXPECT_EQ(cookie->PathText(), "/other");
    manager.Store().UnlockDomains(TIdCookies::LockMode::Read);
}

// A stored cookie renamed by a replacement, and cookies that expire, leave the index
// consistent with the collection: every entry has its cookie and no cookie is lost.
TEST(CookieStore, TheIndexFollowsRenamingAndExpiry)
{
    TIdCookieManager manager;
    manager.AcceptCookie("a=1; path=/", "a.site.test", false);
    manager.AcceptCookie("a=; path=/; max-age=0", "a.site.test", false);
    manager.AcceptCookie("b=1; path=/; expires=Thu, 01-Jan-1970 00:00:00 GMT", "a.site.test", false);
    manager.AcceptCookie("c=1; path=/", "a.site.test", false);
    const TIdURI uri("http://a.site.test/");
    EXPECT_EQ(manager.BuildCookieHeader(uri, false), "c=1");

    TIdCookieList& domains = manager.Store().LockDomains(TIdCookies::LockMode::Read);
    ASSERT_EQ(domains.Count(), 1);
    const TIdCookieList& cookies = domains.CookiesAt(0);
    EXPECT_EQ(cookies.IndexOf("b"), -1);
    EXPECT_EQ(cookies.Count(), manager.Store().Count());
    for (int i = 0; i < cookies.Count(); ++i)
        EXPECT_NE(cookies.CookieAt(i), nullptr);
    manager.Store().UnlockDomains(TIdCookies::LockMode::Read);
}

TEST(CookieStore, MaxAgeSetsAnExpiryInTheNumericZoneFormat)
{
    TIdCookieManager manager;
    manager.AcceptCookie("a=1; path=/; max-age=60", "a.site.test", false);

    TIdCookieList& domains = manager.Store().LockDomains(TIdCookies::LockMode::Read);
    const TIdCookieRFC2109* cookie = static_cast<const TIdCookieRFC2109*>(domains.CookiesAt(0).CookieAt(0));
    const std::string expires = cookie->ExpiresText();
    manager.Store().UnlockDomains(TIdCookies::LockMode::Read);

    EXPECT_EQ(expires.substr(expires.size() - 5, 1).find_first_of("+-"), 0u) << expires;
    const double secondsAhead = (InternetDateToLocal(expires) - LocalNow()) * SecondsPerDay;
    EXPECT_GT(secondsAhead, 50);
    EXPECT_LE(secondsAhead, 60);
    EXPECT_EQ(HeaderFor(manager, "http://a.site.test/"), "a=1");
}

TEST(CookieStore, TheNewCookieHandlerMayRefuse)
{
    TIdCookieManager manager;
    std::vector<std::string> offered;
    manager.OnNewCookie = [&](TIdCookieManager&, TIdCookieRFC2109& cookie, bool& accept) {
        offered.push_back(cookie.NameText());
        accept = cookie.NameText() != "tracker";
    };
    manager.AcceptCookie("tracker=1; path=/", "a.site.test", false);
    manager.AcceptCookie("sid=1; path=/", "a.site.test", false);
    manager.AcceptCookie("foreign=1; domain=.other.test; path=/", "a.site.test", false);

    EXPECT_EQ(offered, (std::vector<std::string>{"tracker", "sid"}));
    EXPECT_EQ(manager.Store().Count(), 1);
    EXPECT_EQ(HeaderFor(manager, "http://a.site.test/"), "sid=1");
}

TEST(CookieStore, SecureCookiesGoOnlyOverASecureTransport)
{
    TIdCookieManager manager;
    manager.AcceptCookie("a=1; path=/; secure", "a.site.test", true);
    EXPECT_EQ(HeaderFor(manager, "http://a.site.test/", false), "");
    EXPECT_EQ(HeaderFor(manager, "http://a.site.test/", true), "a=1");
}

TEST(CookieStore, TheManagersLifeIsAnnounced)
{
    std::vector<int> destroyedWith;
    bool created = false;
    {
        TIdCookieManager manager([&](TIdCookieManager&, TIdCookies&) { created = true; });
        manager.OnDestroy = [&](TIdCookieManager&, TIdCookies& cookies) { destroyedWith.push_back(cookies.Count()); };
        manager.AcceptCookie("kept=1; path=/", "a.site.test", false);
        manager.AcceptCookie("gone=1; path=/; expires=Thu, 01-Jan-1970 00:00:00 GMT", "a.site.test", false);
        EXPECT_TRUE(created);
    }
    // Expired cookies are dropped before the store is announced as going.
    EXPECT_EQ(destroyedWith, std::vector<int>{1});
}

TEST(CookieStore, TheWriterMayTakeTheLockAgain)
{
    TIdCookies store;
    store.LockDomains(TIdCookies::LockMode::ReadWrite);
    store.LockDomains(TIdCookies::LockMode::Read);
    store.LockDomains(TIdCookies::LockMode::ReadWrite);
    store.UnlockDomains(TIdCookies::LockMode::ReadWrite);
    store.UnlockDomains(TIdCookies::LockMode::Read);
    // A cookie destroyed while the writer holds the lock takes itself out of the index.
    TIdCookieRFC2109& cookie = store.NewCookie();
    cookie.ParseCookieText("a=1; path=/");
    cookie.SetDomainText("a.site.test");
    store.StoreCookie(cookie);
    store.DestroyCookie(cookie);
    TIdCookieList& domains = store.LockDomains(TIdCookies::LockMode::Read);
    EXPECT_EQ(domains.CookiesAt(0).Count(), 0);
    store.UnlockDomains(TIdCookies::LockMode::Read);
    store.UnlockDomains(TIdCookies::LockMode::ReadWrite);

    // Released: another thread can write now.
    bool wrote = false;
    std::thread other([&] {
        store.LockDomains(TIdCookies::LockMode::ReadWrite);
        wrote = true;
        store.UnlockDomains(TIdCookies::LockMode::ReadWrite);
    });
    other.join();
    EXPECT_TRUE(wrote);
}
