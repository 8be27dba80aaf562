// URLs: splitting an absolute or relative URL into its parts, composing it back, and
// resolving a relative path against the previous one.
#pragma once

#include <string>
#include <string_view>

enum TIdURIOptions : unsigned {
    uoNone = 0,
    uoUserInfo = 1u << 0,
    uoFragment = 1u << 1,
};

constexpr TIdURIOptions operator|(TIdURIOptions a, TIdURIOptions b)
{
    return static_cast<TIdURIOptions>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

// A URL in parts; each field is empty when absent. An IPv6 literal's Host is the address
// without its brackets. For
// http://u:p@h:81/a/b/c.html?x=1#top: Protocol "http", AuthUser "u", AuthPassword "p",
// Host "h", PortText "81", Directory "/a/b/", DocName "c.html", QueryPart "?x=1",
// Fragment "top".
class TIdURI {
public:
    TIdURI() = default;
    // Parses text when it is not empty.
    explicit TIdURI(const std::string& text);

    // Replaces every field. A text holding "://" anywhere is absolute: the protocol is
    // what stands before the first "://". The query starts at the first "?", or at the
    // first "=" when there is no "?". The fragment is cut from the document name of an
    // absolute URL, or else from the query.
    void ParseUri(const std::string& text);
    // Raises EIdURIException "Protocol field is empty" or "Host field is empty".
    std::string ComposeUri(TIdURIOptions options) const;
    // The URL without user info and fragment; UriText becomes the full URL.
    std::string PlainUri();
    // Every backslash becomes "/".
    static void NormalizeSlashes(std::string& text);

    std::string Protocol;
    std::string AuthUser;
    std::string AuthPassword;
    std::string Host;
    std::string PortText;
    std::string Directory; // up to and including the last "/"
    std::string DocName;
    std::string QueryPart; // with its leading "?" (or "=")
    std::string Fragment;  // without the "#"
    // The last text parsed (slashes normalised), or the last full URL of PlainUri.
    std::string UriText;
};

// The text before the first delimiter, or the whole text when there is none. With
// remove, text becomes what follows the delimiter (empty when there is none). Without
// matchCase the search folds ASCII letters.
std::string TakeToken(std::string& text, std::string_view delimiter, bool remove = true, bool matchCase = true);

// 1-based position of the last occurrence of sub that begins at or before start (-1 for
// the end of text), ignoring ASCII letter case; 0 when there is none.
int PosBackward(std::string_view sub, std::string_view text, int start = -1);

// Resolves path against base: an absolute path is taken as it is; otherwise runs of the
// delimiter collapse, "x/../" segments are dropped ("./" segments stay), and a trailing
// delimiter is kept only when path is empty or ends with one.
std::string MergePath(std::string_view base, std::string_view path, char delimiter = '/');

// The host as a URL or a Host header writes it: an IPv6 address (the only host with a
// colon) in brackets.
std::string HostForUrl(const std::string& host);
