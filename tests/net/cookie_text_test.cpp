// Reading a cookie text into fields and writing it back.
#include "net/cookies.h"
#include "net/errors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ParseCase {
    const char* name;
    std::string text;
    std::string cookieName;
    std::string value;
    std::string path;
    std::string domain;
    bool secure;
    std::string formatted;
};

class CookieText : public testing::TestWithParam<ParseCase> {};

} // namespace

TEST_P(CookieText, ReadsFieldsAndFormatsThemBack)
{
    const ParseCase& c = GetParam();
    TIdCookies store;
    TIdCookieRFC2109& cookie = store.NewCookie();

    cookie.ParseCookieText(c.text);

    EXPECT_EQ(cookie.NameText(), c.cookieName);
    EXPECT_EQ(cookie.ValueText(), c.value);
    EXPECT_EQ(cookie.PathText(), c.path);
    EXPECT_EQ(cookie.DomainText(), c.domain);
    EXPECT_EQ(cookie.Secure(), c.secure);
    EXPECT_EQ(cookie.FormatCookie(), c.formatted);
    EXPECT_EQ(cookie.FormatClientCookie(), c.cookieName + "=" + c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cookie, CookieText,
    testing::Values(
        ParseCase{"NameValueAndAttributes", "sid=abc; Path=/x/; Domain=.site.test; SECURE", "sid", "abc", "/x/",
                  ".site.test", true, "sid=abc; path=/x/; domain=.site.test; secure"},
        ParseCase{"FirstOfARepeatedAttributeWins", "a=1; path=/first; PATH=/second", "a", "1", "/first", "", false,
                  "a=1; path=/first"},
        ParseCase{"BlankBeforeEqualsIsNotTheAttribute", "a=1; path =/x", "a", "1", "", "", false, "a=1"},
        ParseCase{"QuotedPath", "a=1; path=\"/q/\"", "a", "1", "/q/", "", false, "a=1; path=/q/"},
        ParseCase{"ValueWithEquals", "a=b=c; path=/", "a", "b=c", "/", "", false, "a=b=c; path=/"},
        ParseCase{"NoSemicolonIsOneEntry", "a=1", "a", "1", "", "", false, "a=1"},
        ParseCase{"NoNameNoValue", "justtext", "", "", "", "", false, ""},
        ParseCase{"TrailingSemicolon", "a=1; path=/;", "a", "1", "/", "", false, "a=1; path=/"},
        ParseCase{"CommentAndVersionWrittenBack", "a=1; comment=hi; version=1", "a", "1", "", "", false,
                  "a=1; comment=hi; version=1"}),
    [](const testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

TEST(Cookie, AnExpiresAttributeKeepsTheFlavourAndIsNotWrittenBack)
{
    TIdCookies store;
    TIdCookieRFC2109& withExpiry = store.NewCookie();
    withExpiry.ParseCookieText("a=1; path=/; expires=Sun, 06 Nov 2044 08:49:37 GMT");
    EXPECT_EQ(withExpiry.Flavor(), cfRFC2109);
    EXPECT_EQ(withExpiry.ExpiresText(), "Sun, 06 Nov 2044 08:49:37 GMT");
    // The max-age the expiry gave is replaced by the (missing) max-age attribute.
    EXPECT_EQ(withExpiry.MaxAgeSeconds(), -1);
    EXPECT_EQ(withExpiry.FormatCookie(), "a=1; path=/");

    // Without one the cookie reads as a Netscape cookie, whose expiry is written.
    TIdCookieRFC2109& withMaxAge = store.NewCookie();
    withMaxAge.ParseCookieText("a=1; path=/; max-age=3600");
    EXPECT_EQ(withMaxAge.Flavor(), cfNetscape);
    EXPECT_EQ(withMaxAge.FormatCookie(), "a=1; path=/; expires=" + withMaxAge.ExpiresText());
}

TEST(Cookie, TheSameTextTwiceChangesNothing)
{
    TIdCookies store;
    TIdCookieRFC2109& cookie = store.NewCookie();
    cookie.ParseCookieText("a=1; path=/");
    cookie.SetDomainText("kept.test");
    cookie.ParseCookieText("a=1; path=/");
    EXPECT_EQ(cookie.DomainText(), "kept.test");
    cookie.ParseCookieText("a=2; path=/");
    EXPECT_EQ(cookie.DomainText(), "");
    EXPECT_EQ(cookie.RawText(), "a=2; path=/");
}

TEST(Cookie, Version2CookiesReadTheirPortsCommentUrlAndDiscard)
{
    const struct {
        const char* text;
        std::vector<int32_t> ports;
    } cases[] = {
        {"a=1", {80}},
        {"a=1; Port=\"8080, 8081,8082\"", {8080, 8081, 8082}},
        {"a=1; Port=\"\"", {80}},
        {"a=1; Port=8080", {}},
    };
    for (const auto& c : cases) {
        TIdCookies store;
        TIdCookieRFC2965& cookie = store.NewCookie2();
        cookie.ParseCookieText(c.text);
        EXPECT_EQ(cookie.Ports(), c.ports) << c.text;
        EXPECT_EQ(cookie.Flavor(), cfNetscape) << c.text;
    }

    TIdCookies store;
    TIdCookieRFC2965& cookie = store.NewCookie2();
    cookie.ParseCookieText("a=1; CommentURL=http://x.test/; Discard");
    EXPECT_EQ(cookie.CommentURLText(), "http://x.test/");
    EXPECT_TRUE(cookie.Discard());
}

TEST(Cookie, SetPortAtGrowsByOneAndRefusesOtherIndexes)
{
    TIdCookies store;
    TIdCookieRFC2965& cookie = store.NewCookie2();
    cookie.SetPortAt(0, 1);
    cookie.SetPortAt(1, 2);
    cookie.SetPortAt(0, 3);
    EXPECT_EQ(cookie.Ports(), (std::vector<int32_t>{3, 2}));
    for (int index : {-1, 3}) {
        try {
            cookie.SetPortAt(index, 9);
            FAIL() << index;
        } catch (const EIdException& error) {
            EXPECT_STREQ(error.what(), "Index out of range.");
        }
    }
}

TEST(Cookie, AVersion2PortThatIsNoNumberFailsAndLeavesNothingBehind)
{
    TIdCookieManager manager;
    EXPECT_THROW(manager.AcceptCookie2("a=1; path=/; Port=\"80,x1\"", "a.site.test", false), EConvertError);
    EXPECT_EQ(manager.Store().Count(), 0);
}
