#include "net/cookies.h"
#include "net/errors.h"
#include "net/number_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HostNames, IPv4AddressIsFourNumbersUpTo255)
{
    const std::pair<std::string, bool> cases[] = {
        {"1.2.3.4", true},     {"0.0.0.0", true},     {"255.255.255.255", true}, {" 10.0.0.1\t", true},
        {"1.2.3.4.5", true},   {"1.2.3.4.x", true},   {"256.1.1.1", false},      {"1.2.3", false},
        {"1.2.3.", false},     {"a.b.c.d", false},    {"1.2.3.-1", false},       {"", false},
        {"a.site.test", false}, {".1.2.3.4", false},  {"1..2.3", false},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(IsIPv4Address(text), expected) << "'" << text << "'";
}

TEST(HostNames, PlainHostNameIsNeitherAddressNorDomain)
{
    EXPECT_TRUE(IsPlainHostName("a.site.test"));
    EXPECT_TRUE(IsPlainHostName("localhost"));
    EXPECT_FALSE(IsPlainHostName(".site.test"));
    EXPECT_FALSE(IsPlainHostName("127.0.0.1"));
}

TEST(HostNames, ParentDomainStartsAtTheFirstDot)
{
    EXPECT_EQ(ParentDomainOf("a.site.test"), ".site.test");
    EXPECT_EQ(ParentDomainOf("a.b.site.test"), ".b.site.test");
    EXPECT_EQ(ParentDomainOf("site.test"), ".test");
    EXPECT_EQ(ParentDomainOf("localhost"), "localhost");
    EXPECT_EQ(ParentDomainOf(".site.test"), ".site.test");
    EXPECT_EQ(ParentDomainOf(""), "");
}

TEST(NumberText, StrictDecimalConversion)
{
    const std::pair<std::string, int> good[] = {{"0", 0},   {"12", 12},  {"-7", -7},
                                                {"+7", 7},  {"007", 7},  {"2147483647", 2147483647},
                                                {"-2147483648", -2147483647 - 1}};
    for (const auto& [text, value] : good) {
        int32_t parsed = 0;
        EXPECT_TRUE(TryStrToInt(text, parsed)) << text;
        EXPECT_EQ(parsed, value) << text;
    }
    for (const std::string text : {"", "-", "+", " 7", "7 ", "1e3", "0x10", "$10", "2147483648", "abc", "1.5"}) {
        int32_t parsed = 0;
        EXPECT_FALSE(TryStrToInt(text, parsed)) << text;
        EXPECT_EQ(StrToIntDef(text, -9), -9) << text;
    }
    EXPECT_EQ(StrToInt("-12"), -12);
    try {
        StrToInt("12a");
        FAIL() << "converted 12a";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'12a' is not a valid integer value");
    }
}

// The public suffix list decides, in any letter case, with or without the leading dot;
// a domain that is the host itself is left to the host check.
TEST(NamesPublicSuffix, RefusesTheSuffixesOfTheList)
{
    const struct {
        const char* domain;
        const char* host;
        bool suffix;
    } cases[] = {
        {".com", "bank.com", true},           {"com", "bank.com", true},
        {".COM", "bank.com", true},           {".co.uk", "bank.co.uk", true},
        {".bank.com", "www.bank.com", false}, {".bank.co.uk", "www.bank.co.uk", false},
        {".test", "site.test", true},         {".site.test", "a.site.test", false},
        {"localhost", "localhost", false},    {".localhost", "localhost", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NamesPublicSuffix(c.domain, c.host), c.suffix) << c.domain << " / " << c.host;
}

} // namespace
