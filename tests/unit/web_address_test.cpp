#include "core/web_address.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// Every example of reference resolution in RFC 3986 (5.4), normal and abnormal, from
// the one base address it uses.
TEST(ResolveReferenceTest, ResolvesAsABrowserDoes)
{
    const char* base = "http://a/b/c/d;p?q";
    const std::pair<const char*, const char*> cases[] = {
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"},
        {"g?y#s", "http://a/b/c/g?y#s"},
        {";x", "http://a/b/c/;x"},
        {"g;x", "http://a/b/c/g;x"},
        {"g;x?y#s", "http://a/b/c/g;x?y#s"},
        {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../", "http://a/"},
        {"../../g", "http://a/g"},
        {"../../../g", "http://a/g"},
        {"../../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {".g", "http://a/b/c/.g"},
        {"g..", "http://a/b/c/g.."},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"./g/.", "http://a/b/c/g/"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/./x", "http://a/b/c/g?y/./x"},
        {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"g#s/./x", "http://a/b/c/g#s/./x"},
        {"g#s/../x", "http://a/b/c/g#s/../x"},
        {"http:g", "http:g"},
    };
    for (const auto& [reference, expected] : cases)
        EXPECT_EQ(ResolveReference(base, reference), expected) << reference;
}

TEST(ResolveReferenceTest, EdgesOfBaseAndReference)
{
    struct Case {
        const char* Base;
        const char* Reference;
        const char* Expected;
    };
    const Case cases[] = {
        // An absolute address stands alone, its dot segments removed.
        {"http://a/b", "https://c:8443/x/../y.png?q=a/../b", "https://c:8443/y.png?q=a/../b"},
        // A base with no path: the reference starts at its root.
        {"http://a:8301", "captcha.png", "http://a:8301/captcha.png"},
        {"http://a:8301?x=1", "?y=2", "http://a:8301?y=2"},
        // The base's own query and fragment are not kept for a new path.
        {"http://a/p/q.html?x=1#top", "r.png", "http://a/p/r.png"},
        // Nothing to resolve against: the reference as it is.
        {"", "captcha.png", "captcha.png"},
        {"/tool/page.html", "captcha.png", "captcha.png"},
        // An empty reference names no picture.
        {"http://a/b", "", ""},
        // Bytes beyond ASCII and percent-encodings pass through untouched.
        {"http://a/b/", "caf\xE9/%41.png", "http://a/b/caf\xE9/%41.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveReference(c.Base, c.Reference), c.Expected) << c.Base << " + " << c.Reference;
}

TEST(AddressSchemeTest, IsTheNameBeforeTheFirstColon)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://a/", "http"},     {"MailTo:x@y", "MailTo"}, {"svn+ssh://h", "svn+ssh"},
        {"a/b:c", ""},             {"1http://a", ""},        {"://a", ""},
        {"www.example.com", ""},   {"", ""},                 {"x?y:z", ""},
    };
    for (const auto& [address, scheme] : cases)
        EXPECT_EQ(AddressScheme(address), scheme) << address;
}

TEST(PercentEncodeBytesTest, WritesEveryByteOutsidePrintableAsciiAsItsCode)
{
    const std::pair<std::string, std::string> cases[] = {
        {"http://h/caf\xE9", "http://h/caf%E9"},             // Latin-1: a byte that is not UTF-8
        {"http://h/caf\xC3\xA9", "http://h/caf%C3%A9"},      // UTF-8: each byte of the letter
        {"http://h/a\r\nHost: b", "http://h/a%0D%0AHost: b"}, // control bytes
        {std::string("http://h/\x7F\0x", 12), "http://h/%7F%00x"},
        {"http://h/%41 b?c=\"d\"#e", "http://h/%41 b?c=\"d\"#e"}, // printable ASCII as written
    };
    for (const auto& [address, encoded] : cases)
        EXPECT_EQ(PercentEncodeBytes(address), encoded) << address;
}

} // namespace
