// Header lines and the records built from them: the header list with its name lookup,
// continuation joining and folding; the entity, request and response header records and
// the proxy settings, each turning fields into lines (ComposeHeaders) or lines into
// fields (ParseHeaders); authentication schemes; the HTTP request and response records
// of one exchange; internet dates over day-count date-times; and the host name tests
// that cookies use.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TStream;

// --- Number texts ------------------------------------------------------------------------

// Strict decimal conversion: an optional sign and digits, nothing else, within 32 bits.
bool TryStrToInt(std::string_view text, int32_t& value);
// Raises EConvertError when the text is not such a number.
int32_t StrToInt(std::string_view text);
int32_t StrToIntDef(std::string_view text, int32_t fallback);

// --- Date-times --------------------------------------------------------------------------

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

constexpr double MinutesPerDay = 24.0 * 60.0;
constexpr double SecondsPerDay = MinutesPerDay * 60.0;

// Years 1 to 9999; false for an impossible date.
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
// Hours 0-23, minutes and seconds 0-59, milliseconds 0-999; false otherwise.
bool TryEncodeTime(int hours, int minutes, int seconds, int milliseconds, TDateTime& time);
// The whole days give the date and the fraction (its absolute value) the time of day,
// rounded to the millisecond.
void DecodeDate(TDateTime dateTime, int& year, int& month, int& day);
void DecodeTime(TDateTime dateTime, int& hours, int& minutes, int& seconds, int& milliseconds);
// 1 for Sunday to 7 for Saturday.
int DayOfWeek(TDateTime dateTime);

// The system clock's date and time in the local zone.
TDateTime LocalNow();
// The local zone's offset from UTC at this moment (daylight saving included) as a day
// fraction, positive east of UTC. Raises EIdFailedToRetreiveTimeZoneInfo when the zone
// cannot be read.
TDateTime LocalUtcOffset();

// Reads the three HTTP date forms ("Sun, 06 Nov 1994 08:49:37 GMT", "Sunday,
// 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994") and kin. The text is consumed:
// what remains afterwards is the zone text. Two-digit years below 80 are 20xx, from 80
// to 99 19xx. Returns 0 for an empty or malformed text; never throws.
TDateTime ParseInternetDate(std::string& text);
// ParseInternetDate moved from the text's zone (a numeric zone; "GMT", "UTC" and no zone
// count as UTC) into the local zone.
TDateTime InternetDateToLocal(std::string text);
// "+hhmm" or "-hhmm" at the start of the trimmed text, as a day fraction; 0 otherwise.
TDateTime ParseZoneOffset(std::string_view text);
// "GMT" for an offset of 0 when asGMT, else "+hhmm" or "-hhmm".
std::string FormatZoneOffset(TDateTime offset, bool asGMT);
// "Mon, 5 Jan 2004 10:11:12 +0100": the date-time as given (no conversion to UTC)
// followed by the local zone's offset.
std::string FormatInternetDate(TDateTime dateTime, bool asGMT = false);

// --- Host names ------------------------------------------------------------------------------

// Four dot-separated numbers 0 to 255 (after trimming); text after a fourth dot is not
// looked at.
bool IsIPv4Address(std::string_view text);
// Neither an IPv4 address nor a text beginning with ".".
bool IsPlainHostName(std::string_view text);
// The host from its first "." on, or the whole host when it has none.
std::string ParentDomainOf(std::string_view host);

// --- Header list -------------------------------------------------------------------------------

// Header lines "Name: value"; a line beginning with a space or a tab continues the line
// before it. Names are found without regard to case.
class TIdHeaderList {
public:
    int Count() const { return static_cast<int>(FLines.size()); }
    const std::string& operator[](int index) const { return FLines.at(static_cast<size_t>(index)); }
    void Put(int index, std::string line);
    void Add(std::string line);
    void Insert(int index, std::string line);
    void Delete(int index);
    void Clear() { FLines.clear(); }
    // Copies the lines of another list; this list's settings stay.
    void Assign(const TIdHeaderList& source) { FLines = source.FLines; }
    void AddStrings(const TIdHeaderList& source);
    // Every line followed by CR LF.
    std::string Text() const;
    const std::vector<std::string>& Lines() const { return FLines; }

    // The line up to its first ":", upper-cased unless MatchCase; empty without ":".
    std::string NameAt(int index) const;
    // The line after its first ":" (a line without one: all of it), with the
    // continuation lines after it joined on by one space when JoinContinuations,
    // trimmed; empty for an index outside the list.
    std::string ValueAt(int index) const;
    // The first line whose name equals name ignoring case; -1 when none.
    int FindName(std::string_view name) const;
    std::string ValueOf(std::string_view name) const;
    // Replaces the first line of that name where it stands (with its continuation
    // lines), or appends one; folds the new line when FoldOnSet. An empty value removes
    // the line.
    void SetValueOf(std::string_view name, std::string_view value);
    // Appends the value of every line of that name, in order, to destination (when
    // there is one).
    void ExtractAll(std::string_view name, TIdHeaderList* destination) const;
    // The line broken after a space, tab or comma into pieces of about FoldWidth
    // columns, never inside double quotes; the pieces after the first begin with a
    // space. A line that fits comes back as one piece.
    std::vector<std::string> FoldHeaderLine(std::string_view line) const;

    std::string Separator = ": ";
    bool MatchCase = false;
    bool JoinContinuations = true;
    bool FoldOnSet = true;
    int FoldWidth = 78;

private:
    bool IsContinuation(int index) const;
    void DeleteContinuations(int index);

    std::vector<std::string> FLines;
};

// Inserts breakText where the text passes width columns, after the last of
// breakCharacters seen; never inside double quotes; a breakText already in the text is
// kept as a break.
std::string WrapHeaderText(std::string_view text, std::string_view breakText, std::string_view breakCharacters,
                           int width);

// --- Authentication ----------------------------------------------------------------------------

// A scheme that answers a server's challenge with an "Authorization" (or
// "Proxy-Authorization") value. The user name and password live in Params under
// "Username" and "Password".
class TIdAuthentication {
public:
    TIdAuthentication();
    virtual ~TIdAuthentication() = default;

    // The header value for the next step; empty when there is nothing to send.
    virtual std::string Authentication() = 0;
    // True once every step of the scheme has been sent.
    bool StepsComplete() const { return FCurrentStep >= StepCount(); }
    // Starts the scheme again from its first step.
    void Reset() { FCurrentStep = 0; }

    std::string Username() const { return Params.ValueOf("Username"); }
    void SetUsername(std::string_view username) { Params.SetValueOf("Username", username); }
    std::string Password() const { return Params.ValueOf("Password"); }
    void SetPassword(std::string_view password) { Params.SetValueOf("Password", password); }

    TIdHeaderList Params;

protected:
    virtual int StepCount() const { return 1; }

    int FCurrentStep = 0;
};

// "Basic " + Base64 of user name, ":" and password; one step.
class TIdBasicAuthentication : public TIdAuthentication {
public:
    std::string Authentication() override;
};

// Creates an object of a registered scheme; the registry holds "Basic".
using TIdAuthenticationClass = std::unique_ptr<TIdAuthentication> (*)();
// The scheme named by the first word of a challenge such as "Basic realm=\"x\"", with
// the name compared ignoring case; nullptr when none is registered under it.
TIdAuthenticationClass FindAuthenticationScheme(std::string_view challenge);

// MIME Base64 with "=" fill and no line breaks.
std::string EncodeBase64(std::string_view bytes);

// --- Header records ------------------------------------------------------------------------------

// Fields common to requests and responses. RawLines holds the lines as last composed or
// received.
class TIdEntityHeaderInfo {
public:
    TIdEntityHeaderInfo();
    virtual ~TIdEntityHeaderInfo() = default;
    TIdEntityHeaderInfo(const TIdEntityHeaderInfo&) = delete;
    TIdEntityHeaderInfo& operator=(const TIdEntityHeaderInfo&) = delete;

    // Sets the defaults; run once at creation.
    virtual void ResetFields();

    int32_t ContentLength() const { return FContentLength; }
    // Also sets ContentLengthGiven to (length >= 0).
    void SetContentLength(int32_t length);

    std::string CacheControl;
    std::string Connection;
    std::string ContentEncoding;
    std::string ContentLanguage;
    uint32_t ContentRangeEnd = 0;
    uint32_t ContentRangeStart = 0;
    std::string ContentType;
    std::string ContentVersion;
    TIdHeaderList CustomHeaders;
    TDateTime Date = 0;
    TDateTime Expires = 0;
    TDateTime LastModified = 0;
    std::string Pragma;
    TIdHeaderList RawLines;
    bool ContentLengthGiven = false;

private:
    void ResetEntityFields();

    int32_t FContentLength = -1;
};

class TIdRequestHeaderInfo : public TIdEntityHeaderInfo {
public:
    TIdRequestHeaderInfo();

    void ResetFields() override;
    // Rebuilds RawLines from the fields: the entity lines, the custom lines as they are,
    // the request lines, Range and Authorization, each only when it has a value. A custom
    // line of a name set later keeps its place and gets the record's value.
    void ComposeHeaders();

    std::string Accept;
    std::string AcceptCharSet;
    std::string AcceptEncoding;
    std::string AcceptLanguage;
    std::string From;
    std::string Host;
    std::string Password;
    std::string ProxyConnection;
    std::string Referer;
    std::string UserAgent;
    std::string Username;
    bool BasicAuthentication = false;
    // The scheme in use, if any: a Basic object made by ComposeHeaders when
    // BasicAuthentication is set, or the scheme the client chose for a 401.
    std::unique_ptr<TIdAuthentication> Authenticator;

private:
    void ResetRequestFields();
};

class TIdResponseHeaderInfo : public TIdEntityHeaderInfo {
public:
    TIdResponseHeaderInfo();

    void ResetFields() override;
    // Fills the fields from RawLines. Raises EConvertError when a Content-Range start or
    // end is not a number; everything else is total.
    void ParseHeaders();

    std::string Location;
    std::string Server;
    std::string ProxyConnection;
    TIdHeaderList WWWAuthenticate;
    TIdHeaderList ProxyAuthenticate;

private:
    void ResetResponseFields();
};

// Proxy settings; they add the "Proxy-Authorization" line to a request.
class TIdProxyConnectionInfo {
public:
    void ResetFields();
    // Sets "Proxy-Authorization" in lines from the Authenticator, or from a Basic scheme
    // made from ProxyUsername and ProxyPassword when BasicAuthentication is set.
    void ComposeHeaders(TIdHeaderList& lines);

    const std::string& ProxyServer() const { return FProxyServer; }
    // A server that differs ignoring case frees the Authenticator.
    void SetProxyServer(std::string server);
    int32_t ProxyPort() const { return FProxyPort; }
    // A different port frees the Authenticator.
    void SetProxyPort(int32_t port);

    std::string ProxyUsername;
    std::string ProxyPassword;
    bool BasicAuthentication = false;
    std::unique_ptr<TIdAuthentication> Authenticator;

private:
    std::string FProxyServer;
    int32_t FProxyPort = 0;
};

// --- The HTTP exchange's records ----------------------------------------------------------------

enum class TIdHTTPMethod { hmHead, hmGet, hmPost, hmOptions, hmTrace, hmPut, hmDelete, hmConnect };
enum class TIdHTTPProtocolVersion { pv1_0, pv1_1 };
enum class TIdHTTPRoute { rkDirect, rkDirectTls, rkProxy, rkProxyTunnel };

class TIdHTTPRequest : public TIdRequestHeaderInfo {
public:
    // The URL given to the request, replaced by the request target when it is prepared.
    std::string Target;
    TIdHTTPMethod RequestMethod = TIdHTTPMethod::hmGet;
    TStream* UploadStream = nullptr; // not owned
    TIdHTTPRoute Route = TIdHTTPRoute::rkDirect;
};

class TIdHTTPResponse : public TIdResponseHeaderInfo {
public:
    // The number after the status line's first space ("HTTP/1.1 200 OK" gives 200); -1
    // when there is none.
    int StatusCode() const;

    // The status line exactly as read, without its line end.
    std::string StatusLine;
    TStream* BodyStream = nullptr; // not owned
};
