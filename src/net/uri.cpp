#include "net/uri.h"

#include "net/errors.h"
#include "net/text_case.h"

namespace {

size_t FindToken(std::string_view text, std::string_view delimiter, bool matchCase)
{
    if (matchCase)
        return text.find(delimiter);
    if (delimiter.empty())
        return 0;
    for (size_t i = 0; i + delimiter.size() <= text.size(); ++i) {
        if (SameTextAscii(text.substr(i, delimiter.size()), delimiter))
            return i;
    }
    return std::string_view::npos;
}

// 1-based position of the first occurrence of c, 0 when none.
int Pos(char c, std::string_view text)
{
    const size_t at = text.find(c);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

} // namespace

std::string TakeToken(std::string& text, std::string_view delimiter, bool remove, bool matchCase)
{
    const size_t at = FindToken(text, delimiter, matchCase);
    if (at == std::string_view::npos) {
        std::string token = std::move(text);
        text = remove ? std::string() : token;
        return token;
    }
    std::string token = text.substr(0, at);
    if (remove)
        text.erase(0, at + delimiter.size());
    return token;
}

int PosBackward(std::string_view sub, std::string_view text, int start)
{
    if (sub.empty() || sub.size() > text.size())
        return 0;
    const int lastStart = static_cast<int>(text.size() - sub.size()) + 1;
    if (start == -1 || start > lastStart)
        start = lastStart;
    for (int p = start; p >= 1; --p) {
        if (SameTextAscii(text.substr(static_cast<size_t>(p - 1), sub.size()), sub))
            return p;
    }
    return 0;
}

std::string MergePath(std::string_view base, std::string_view path, char delimiter)
{
    if (!path.empty() && path.front() == delimiter)
        return std::string(path);
    const bool trailing = path.empty() || path.back() == delimiter;
    std::string work(base);
    if (!work.empty() && work.back() != delimiter)
        work += delimiter;
    work.append(path);

    std::string result;
    for (size_t i = 0; i < work.size(); ++i) {
        const char c = work[i];
        if (c == delimiter) {
            if (i == 0)
                result.assign(1, delimiter);
            else if (result.empty() || result.back() != delimiter)
                result += delimiter;
        } else if (c == '.' && !result.empty() && result.back() == delimiter && i + 1 < work.size() &&
                   work[i + 1] == '.') {
            result.pop_back();
            while (!result.empty() && result.back() != delimiter)
                result.pop_back();
            ++i;
        } else {
            result += c;
        }
    }
    if (result.size() != 1 && !result.empty() && result.back() == delimiter && !trailing)
        result.pop_back();
    return result;
}

TIdURI::TIdURI(const std::string& text)
{
    if (!text.empty())
        ParseUri(text);
}

void TIdURI::NormalizeSlashes(std::string& text)
{
    for (char& c : text) {
        if (c == '\\')
            c = '/';
    }
}

void TIdURI::ParseUri(const std::string& text)
{
    UriText = text;
    NormalizeSlashes(UriText);
    std::string work = UriText;
    Protocol.clear();
    AuthUser.clear();
    AuthPassword.clear();
    Host.clear();
    PortText.clear();
    Directory.clear();
    DocName.clear();
    QueryPart.clear();
    Fragment.clear();

    const size_t schemeEnd = work.find("://");
    const bool absolute = schemeEnd != std::string::npos;
    if (absolute) {
        Protocol = work.substr(0, schemeEnd);
        work.erase(0, schemeEnd + 3);
        std::string authority = TakeToken(work, "/");
        std::string userInfo;
        const size_t at = authority.find('@');
        if (at != std::string::npos) {
            userInfo = authority.substr(0, at);
            authority.erase(0, at + 1);
        }
        AuthUser = TakeToken(userInfo, ":");
        AuthPassword = AuthUser.empty() ? std::string() : userInfo;
        // An IPv6 literal stands in brackets, its colons not taken for the port's.
        const size_t close = authority.find(']');
        if (authority.starts_with('[') && close != std::string::npos) {
            Host = authority.substr(1, close - 1);
            authority.erase(0, close + 1);
            if (authority.starts_with(':'))
                authority.erase(0, 1);
            PortText = authority;
        } else {
            Host = TakeToken(authority, ":");
            PortText = authority;
        }
    }

    // Positions are 1-based here, 0 meaning "none".
    int query = Pos('?', work);
    if (query == 0)
        query = Pos('=', work);
    const int lastSlash = query > 0 ? PosBackward("/", work, query) : PosBackward("/", work, -1);
    Directory = (absolute ? "/" : "") + work.substr(0, static_cast<size_t>(lastSlash));
    if (query > 0) {
        DocName = work.substr(0, static_cast<size_t>(query - 1));
        QueryPart = work.substr(static_cast<size_t>(query - 1));
    } else {
        DocName = work;
    }
    DocName.erase(0, static_cast<size_t>(lastSlash));

    if (absolute) {
        std::string rest = DocName;
        DocName = TakeToken(rest, "#");
        Fragment = rest;
    }
    if (Fragment.empty()) {
        std::string rest = QueryPart;
        QueryPart = TakeToken(rest, "#");
        Fragment = rest;
    }
}

std::string TIdURI::ComposeUri(TIdURIOptions options) const
{
    if (Protocol.empty())
        throw EIdURIException("Protocol field is empty");
    std::string result = Protocol + "://";
    if (!AuthUser.empty() && (options & uoUserInfo)) {
        result += AuthUser;
        if (!AuthPassword.empty())
            result += ":" + AuthPassword;
        result += "@";
    }
    if (Host.empty())
        throw EIdURIException("Host field is empty");
    result += HostForUrl(Host);
    if (!PortText.empty())
        result += ":" + PortText;
    result += Directory + DocName + QueryPart;
    if (!Fragment.empty() && (options & uoFragment))
        result += "#" + Fragment;
    return result;
}

std::string TIdURI::PlainUri()
{
    UriText = ComposeUri(uoUserInfo | uoFragment);
    return ComposeUri(uoNone);
}

std::string HostForUrl(const std::string& host)
{
    return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}
