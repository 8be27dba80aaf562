// The cookie classes: reading a "Set-cookie" or "Set-cookie2" value into fields,
// writing it back, the expiry, and the host check at admission.
#include "net/cookies.h"

#include "net/errors.h"
#include "net/number_text.h"
#include "net/text_case.h"
#include "net/uri.h"

namespace {

// The entry's name and value around its first "="; false for an entry without one.
bool SplitEntry(std::string_view entry, std::string_view& name, std::string_view& value)
{
    const size_t equals = entry.find('=');
    if (equals == std::string_view::npos)
        return false;
    name = entry.substr(0, equals);
    value = entry.substr(equals + 1);
    return true;
}

// The value of the first entry of that name (ignoring case); entries without "=" have
// no name.
std::string FirstValueOf(const std::vector<std::string>& entries, std::string_view name)
{
    for (const std::string& entry : entries) {
        std::string_view entryName;
        std::string_view value;
        if (SplitEntry(entry, entryName, value) && SameTextAscii(entryName, name))
            return std::string(value);
    }
    return {};
}

// Lines split at CR, LF or CR LF; a line end at the very end gives no empty line.
std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        lines.emplace_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

// The entries of a cookie text: its ";"-separated parts trimmed, or, without any ";",
// its lines.
std::vector<std::string> SplitCookieText(const std::string& text)
{
    std::vector<std::string> entries;
    std::string rest = text;
    while (rest.find(';') != std::string::npos) {
        entries.push_back(Trim(TakeToken(rest, ";")));
        if (rest.find(';') == std::string::npos && !rest.empty())
            entries.push_back(Trim(rest));
    }
    if (entries.empty())
        entries = SplitLines(text);
    return entries;
}

// Blank- and comma-separated items; empty items are skipped.
std::vector<std::string> SplitPortList(std::string_view text)
{
    std::vector<std::string> items;
    std::string item;
    for (const char c : text) {
        if (c == ',' || c == ' ') {
            if (!item.empty())
                items.push_back(std::move(item));
            item.clear();
        } else {
            item += c;
        }
    }
    if (!item.empty())
        items.push_back(std::move(item));
    return items;
}

} // namespace

// --- Netscape cookies ---------------------------------------------------------------------------

TIdNetscapeCookie::TIdNetscapeCookie(TIdCookies& collection) : FCollection(collection) {}

TIdNetscapeCookie::~TIdNetscapeCookie()
{
    FCollection.Unindex(*this);
}

void TIdNetscapeCookie::ParseCookieText(const std::string& text)
{
    if (text == FRawText)
        return;
    FRawText = text;

    std::vector<std::string> entries = SplitCookieText(text);
    std::string_view name;
    std::string_view value;
    FNameText = entries.empty() || !SplitEntry(entries.front(), name, value) ? std::string() : std::string(name);
    FValueText = FirstValueOf(entries, FNameText);
    if (!entries.empty())
        entries.erase(entries.begin());

    // Attribute names in upper case; of a repeated attribute the first value wins.
    // Nothing is trimmed around "=", so "path =/" is an attribute named "PATH ".
    CookieAttributes attributes;
    attributes.reserve(entries.size());
    for (const std::string& entry : entries) {
        if (SplitEntry(entry, name, value))
            attributes.push_back(UpperAscii(name) + "=" + FirstValueOf(entries, name));
        else
            attributes.push_back(UpperAscii(entry));
    }
    LoadAttributes(attributes);
}

void TIdNetscapeCookie::LoadAttributes(const CookieAttributes& attributes)
{
    FPathText = AttributeValue(attributes, "PATH");
    if (!FPathText.empty() && FPathText.front() == '"')
        FPathText.erase(0, 1);
    if (!FPathText.empty() && FPathText.back() == '"')
        FPathText.pop_back();
    SetExpiry(AttributeValue(attributes, "EXPIRES"));
    FDomainText = AttributeValue(attributes, "DOMAIN");
    FSecureFlag = HasFlag(attributes, "SECURE");
}

void TIdNetscapeCookie::SetExpiry(const std::string& text)
{
    FExpiresText = text;
}

std::string TIdNetscapeCookie::FormatCookie() const
{
    std::string text;
    if (!FValueText.empty())
        AppendAttribute(text, FNameText, FValueText);
    AppendAttribute(text, "path", FPathText);
    if (FFlavor == cfNetscape)
        AppendAttribute(text, "expires", FExpiresText);
    AppendAttribute(text, "domain", FDomainText);
    if (FSecureFlag)
        AppendFlag(text, "secure");
    return text;
}

std::string TIdNetscapeCookie::FormatClientCookie() const
{
    return FNameText + "=" + FValueText;
}

bool TIdNetscapeCookie::MatchesServerHost(const std::string& host) const
{
    if (IsIPv4Address(host))
        return FDomainText == host;
    if (IsPlainHostName(host)) {
        if (IsPlainHostName(FDomainText))
            return FDomainText == host;
        return FDomainText == ParentDomainOf(host);
    }
    return SameTextAscii(FDomainText, ParentDomainOf(host));
}

void TIdNetscapeCookie::AppendAttribute(std::string& text, std::string_view key, std::string_view value)
{
    if (value.empty())
        return;
    if (!text.empty())
        text += "; ";
    text.append(key).append("=").append(value);
}

void TIdNetscapeCookie::AppendFlag(std::string& text, std::string_view flag)
{
    if (!text.empty())
        text += "; ";
    text.append(flag);
}

std::string TIdNetscapeCookie::AttributeValue(const CookieAttributes& attributes, std::string_view name)
{
    return FirstValueOf(attributes, name);
}

bool TIdNetscapeCookie::HasFlag(const CookieAttributes& attributes, std::string_view flag)
{
    for (const std::string& attribute : attributes) {
        if (SameTextAscii(attribute, flag))
            return true;
    }
    return false;
}

// --- RFC 2109 cookies ------------------------------------------------------------------------------

TIdCookieRFC2109::TIdCookieRFC2109(TIdCookies& collection) : TIdNetscapeCookie(collection)
{
    FFlavor = cfRFC2109;
}

void TIdCookieRFC2109::SetExpiry(const std::string& text)
{
    if (!text.empty()) {
        try {
            FMaxAgeSeconds = static_cast<int64_t>((InternetDateToLocal(text) - LocalNow()) * SecondsPerDay);
        } catch (const EIdException&) {
            // The zone could not be read: the max-age stays as it was.
        }
    }
    TIdNetscapeCookie::SetExpiry(text);
}

void TIdCookieRFC2109::LoadAttributes(const CookieAttributes& attributes)
{
    TIdNetscapeCookie::LoadAttributes(attributes);
    FMaxAgeSeconds = StrToIntDef(AttributeValue(attributes, "MAX-AGE"), -1);
    FVersionText = AttributeValue(attributes, "VERSION");
    FCommentText = AttributeValue(attributes, "COMMENT");
    if (FExpiresText.empty()) {
        FFlavor = cfNetscape;
        if (FMaxAgeSeconds >= 0)
            SetExpiry(FormatInternetDate(LocalNow() + static_cast<double>(FMaxAgeSeconds) / SecondsPerDay, false));
    }
}

std::string TIdCookieRFC2109::FormatCookie() const
{
    std::string text = TIdNetscapeCookie::FormatCookie();
    if (FMaxAgeSeconds >= 0 && FExpiresText.empty())
        AppendAttribute(text, "max-age", std::to_string(FMaxAgeSeconds));
    AppendAttribute(text, "comment", FCommentText);
    AppendAttribute(text, "version", FVersionText);
    return text;
}

// --- RFC 2965 cookies ------------------------------------------------------------------------------

TIdCookieRFC2965::TIdCookieRFC2965(TIdCookies& collection) : TIdCookieRFC2109(collection)
{
    FFlavor = cfRFC2965;
}

void TIdCookieRFC2965::LoadAttributes(const CookieAttributes& attributes)
{
    TIdCookieRFC2109::LoadAttributes(attributes);
    FCommentURLText = AttributeValue(attributes, "CommentURL");
    FDiscardFlag = HasFlag(attributes, "DISCARD");

    const std::string ports = AttributeValue(attributes, "Port");
    if (ports.empty()) {
        FPorts = {80};
    } else if (ports.size() >= 2 && ports.front() == '"' && ports.back() == '"') {
        int index = 0;
        for (const std::string& item : SplitPortList(std::string_view(ports).substr(1, ports.size() - 2)))
            SetPortAt(index++, StrToInt(item));
        if (index == 0)
            FPorts = {80};
    }
}

void TIdCookieRFC2965::SetPortAt(int index, int32_t port)
{
    if (index < 0 || index > static_cast<int>(FPorts.size()))
        throw EIdException("Index out of range.");
    if (index == static_cast<int>(FPorts.size()))
        FPorts.push_back(port);
    else
        FPorts[static_cast<size_t>(index)] = port;
}
