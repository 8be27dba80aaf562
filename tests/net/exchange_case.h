// Exchange cases kept as data in tests/net/cases/*.cases (the format is described in
// tests/net/cases/README.md): what the server sends, the request bytes it must receive,
// and what each fetch of the client ends with.
#pragma once

#include "net/header_records.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Byte texts stay as written (escapes and {...} expansions unresolved) until a run knows
// the ports of its servers.
struct CasePorts {
    int32_t first = 0;
    int32_t second = 0;
};

struct CaseStep {
    // Hello, Handshake, Refuse, Cut and SendRaw belong to servers that speak TLS.
    enum class Kind { Request, RequestRaw, ReadRaw, Send, Drip, Hold, Close, Reset, Hello, Handshake, Refuse, Cut, SendRaw };
    Kind kind;
    // Request: the target; RequestRaw, ReadRaw, Send, Drip, SendRaw: the bytes; Hold: the name;
    // Handshake, Refuse: the certificate's name.
    std::string text;
    // Request: an extra header line after the program's own ones (without its CR LF).
    std::string extraHeader;
};

struct CaseConnection {
    // 0: the first server, 1: the second.
    int server = 0;
    std::vector<CaseStep> steps;
};

struct CaseFetch {
    int line = 0;
    std::string url;
    std::string destinationBefore;
    std::optional<std::string> body;
    std::optional<int64_t> bodyLength;
    std::optional<std::string> errorClass;
    std::optional<std::string> errorMessage;
    std::optional<int> replyCode;
    std::optional<std::string> errorPage;
    std::optional<int64_t> errorPageLength;
    std::optional<std::string> statusLine;
    std::optional<std::vector<int32_t>> workBegins;
    std::optional<int> workEnds;
    std::optional<bool> connected;
    std::optional<bool> connectUsedWorker;
    std::optional<int64_t> peakBuffer;
    std::optional<int64_t> peakDestination;
    std::optional<int64_t> stoppedWithin;
    std::optional<int64_t> pumpGapsWithin;
};

struct ExchangeCase {
    std::string file;
    std::string name;
    int line = 0;
    // Set when the case could not be read; the test then fails with it.
    std::string problem;

    // The phase of the request in which a pump closes the connection, as the Stop
    // button handled in a pump does.
    enum class Stop { Never, InStatusLine, InHeaders, InBody };

    bool handleRedirects = true;
    TIdHTTPProtocolVersion version = TIdHTTPProtocolVersion::pv1_1;
    bool throughProxy = false;
    // The proxy is a SOCKS5 one (through-socks5, through-socks5h: the proxy looks up).
    ProxyKind proxyKind = ProxyKind::Http;
    // "user:password" the client gives the proxy (Basic); empty: none.
    std::string proxyUser;
    // The client sends Basic credentials from its request record (a URL's user info).
    bool basicAuth = false;
    // The servers speak TLS and the client has the secure transport, trusting the test
    // authority.
    bool tls = false;
    std::optional<int32_t> recvBufferSize;
    bool connectThroughWorker = false;
    // The anti-freeze's IdleTimeOut; none is in use while it is unset.
    std::optional<int32_t> antiFreezeSlice;
    // Each look at the anti-freeze's clock moves it on this much; 0: the clock stands.
    int64_t clockStep = 0;
    Stop stop = Stop::Never;

    std::vector<CaseConnection> connections;
    std::vector<CaseFetch> fetches;

    // A test name: the file's stem and the case's name.
    std::string TestName() const;
    // Whether the in-memory transport can play it: no holds, drips, stops, pumps or
    // connect worker.
    bool PlayableInMemory() const;
};

// gtest prints a case by its name.
void PrintTo(const ExchangeCase& c, std::ostream* out);

// Every case of every *.cases file in the folder, files in name order.
std::vector<ExchangeCase> LoadExchangeCases(const std::string& folder);

// Resolves the escapes (\r \n \t \0 \s \\ \xHH) and expansions ({port}, {port2},
// {host}, {host2}, {url PATH}, {url2 PATH}, {surl PATH}, {surl2 PATH}, {repeat N TEXT},
// {pattern N}) of a byte text.
// Raises std::invalid_argument for a malformed text.
std::string ExpandCaseBytes(const std::string& text, const CasePorts& ports);
