#include "exchange_case.h"

#include "support/net/pattern_bytes.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

namespace {

struct LogicalLine {
    int number = 0;
    std::string keyword;
    std::string value;
};

std::string TrimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Comment lines dropped, continuation lines ("+ text") joined onto the line before,
// each line split into its keyword and the rest.
std::vector<LogicalLine> ReadLogicalLines(std::istream& in)
{
    std::vector<LogicalLine> lines;
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        const std::string line = TrimBlanks(raw);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '+' && (line.size() == 1 || line[1] == ' ' || line[1] == '\t')) {
            if (lines.empty())
                throw std::invalid_argument("line " + std::to_string(number) + ": a continuation with nothing before it");
            lines.back().value += TrimBlanks(line.substr(1));
            continue;
        }
        const size_t blank = line.find_first_of(" \t");
        LogicalLine logical;
        logical.number = number;
        logical.keyword = line.substr(0, blank);
        logical.value = blank == std::string::npos ? std::string() : TrimBlanks(line.substr(blank));
        lines.push_back(std::move(logical));
    }
    return lines;
}

int64_t ReadNumber(const std::string& text)
{
    size_t used = 0;
    const long long number = std::stoll(text, &used);
    if (used != text.size())
        throw std::invalid_argument("not a number: " + text);
    return number;
}

// "<= N"
int64_t ReadAtMost(const std::string& text)
{
    if (text.rfind("<=", 0) != 0)
        throw std::invalid_argument("expected \"<= N\", found: " + text);
    return ReadNumber(TrimBlanks(text.substr(2)));
}

bool ReadYesNo(const std::string& text)
{
    if (text == "yes")
        return true;
    if (text == "no")
        return false;
    throw std::invalid_argument("expected yes or no, found: " + text);
}

std::pair<std::string, std::string> SplitFirstWord(const std::string& text)
{
    const size_t blank = text.find_first_of(" \t");
    if (blank == std::string::npos)
        return {text, {}};
    return {text.substr(0, blank), TrimBlanks(text.substr(blank))};
}

void ApplyCaseSetting(ExchangeCase& c, const LogicalLine& line)
{
    const std::string& value = line.value;
    if (line.keyword == "redirects") {
        if (value != "on" && value != "off")
            throw std::invalid_argument("redirects is on or off");
        c.handleRedirects = value == "on";
    } else if (line.keyword == "http-version") {
        if (value != "1.0" && value != "1.1")
            throw std::invalid_argument("http-version is 1.0 or 1.1");
        c.version = value == "1.0" ? TIdHTTPProtocolVersion::pv1_0 : TIdHTTPProtocolVersion::pv1_1;
    } else if (line.keyword == "through-proxy") {
        c.throughProxy = true;
    } else if (line.keyword == "through-socks5" || line.keyword == "through-socks5h") {
        c.throughProxy = true;
        c.proxyKind = line.keyword == "through-socks5" ? ProxyKind::Socks5 : ProxyKind::Socks5Remote;
    } else if (line.keyword == "proxy-user") {
        if (value.find(':') == std::string::npos)
            throw std::invalid_argument("proxy-user is user:password");
        c.proxyUser = value;
    } else if (line.keyword == "basic-auth") {
        c.basicAuth = true;
    } else if (line.keyword == "tls") {
        c.tls = true;
    } else if (line.keyword == "recv-buffer") {
        c.recvBufferSize = static_cast<int32_t>(ReadNumber(value));
    } else if (line.keyword == "connect-through-worker") {
        c.connectThroughWorker = true;
    } else if (line.keyword == "anti-freeze") {
        c.antiFreezeSlice = static_cast<int32_t>(ReadNumber(value));
    } else if (line.keyword == "clock-step") {
        c.clockStep = ReadNumber(value);
    } else if (line.keyword == "stop") {
        if (value == "in-status-line")
            c.stop = ExchangeCase::Stop::InStatusLine;
        else if (value == "in-headers")
            c.stop = ExchangeCase::Stop::InHeaders;
        else if (value == "in-body")
            c.stop = ExchangeCase::Stop::InBody;
        else
            throw std::invalid_argument("stop is in-status-line, in-headers or in-body");
    } else {
        throw std::invalid_argument("unknown setting: " + line.keyword);
    }
}

bool ApplyStep(CaseConnection& connection, const LogicalLine& line)
{
    using Kind = CaseStep::Kind;
    if (line.keyword == "request") {
        const auto [target, extra] = SplitFirstWord(line.value);
        connection.steps.push_back({Kind::Request, target, extra});
    } else if (line.keyword == "request-raw") {
        connection.steps.push_back({Kind::RequestRaw, line.value, {}});
    } else if (line.keyword == "read-raw") {
        connection.steps.push_back({Kind::ReadRaw, line.value, {}});
    } else if (line.keyword == "send") {
        connection.steps.push_back({Kind::Send, line.value, {}});
    } else if (line.keyword == "drip") {
        connection.steps.push_back({Kind::Drip, line.value, {}});
    } else if (line.keyword == "hold") {
        connection.steps.push_back({Kind::Hold, line.value, {}});
    } else if (line.keyword == "close") {
        connection.steps.push_back({Kind::Close, {}, {}});
    } else if (line.keyword == "reset") {
        connection.steps.push_back({Kind::Reset, {}, {}});
    } else if (line.keyword == "hello") {
        connection.steps.push_back({Kind::Hello, {}, {}});
    } else if (line.keyword == "handshake") {
        connection.steps.push_back({Kind::Handshake, line.value, {}});
    } else if (line.keyword == "refuse") {
        connection.steps.push_back({Kind::Refuse, line.value, {}});
    } else if (line.keyword == "cut") {
        connection.steps.push_back({Kind::Cut, {}, {}});
    } else if (line.keyword == "send-raw") {
        connection.steps.push_back({Kind::SendRaw, line.value, {}});
    } else {
        return false;
    }
    return true;
}

bool ApplyExpectation(CaseFetch& fetch, const LogicalLine& line)
{
    const std::string& value = line.value;
    if (line.keyword == "destination") {
        fetch.destinationBefore = value;
    } else if (line.keyword == "body") {
        fetch.body = value;
    } else if (line.keyword == "body-length") {
        fetch.bodyLength = ReadAtMost(value);
    } else if (line.keyword == "error") {
        const auto [errorClass, message] = SplitFirstWord(value);
        fetch.errorClass = errorClass;
        fetch.errorMessage = message;
    } else if (line.keyword == "reply-code") {
        fetch.replyCode = static_cast<int>(ReadNumber(value));
    } else if (line.keyword == "error-page") {
        fetch.errorPage = value;
    } else if (line.keyword == "error-page-length") {
        fetch.errorPageLength = ReadAtMost(value);
    } else if (line.keyword == "status-line") {
        fetch.statusLine = value;
    } else if (line.keyword == "work-begins") {
        std::vector<int32_t> begins;
        std::istringstream numbers(value);
        for (std::string number; numbers >> number;)
            begins.push_back(static_cast<int32_t>(ReadNumber(number)));
        fetch.workBegins = begins;
    } else if (line.keyword == "work-ends") {
        fetch.workEnds = static_cast<int>(ReadNumber(value));
    } else if (line.keyword == "connected") {
        fetch.connected = ReadYesNo(value);
    } else if (line.keyword == "connect-used-worker") {
        fetch.connectUsedWorker = ReadYesNo(value);
    } else if (line.keyword == "peak-buffer") {
        fetch.peakBuffer = ReadAtMost(value);
    } else if (line.keyword == "peak-destination") {
        fetch.peakDestination = ReadAtMost(value);
    } else if (line.keyword == "stopped-within") {
        fetch.stoppedWithin = ReadNumber(value);
    } else if (line.keyword == "pump-gaps-within") {
        fetch.pumpGapsWithin = ReadNumber(value);
    } else {
        return false;
    }
    return true;
}

// Every byte text of the case expanded once, so that a malformed one is reported when
// the cases are loaded.
void CheckByteTexts(const ExchangeCase& c)
{
    const CasePorts ports{1, 2};
    for (const CaseConnection& connection : c.connections) {
        for (const CaseStep& step : connection.steps) {
            if (step.kind != CaseStep::Kind::Hold)
                ExpandCaseBytes(step.text + step.extraHeader, ports);
        }
    }
    for (const CaseFetch& fetch : c.fetches) {
        for (const std::optional<std::string>& text : {std::optional<std::string>(fetch.url),
                                                       std::optional<std::string>(fetch.destinationBefore), fetch.body,
                                                       fetch.errorMessage, fetch.errorPage, fetch.statusLine}) {
            if (text)
                ExpandCaseBytes(*text, ports);
        }
    }
    if (c.fetches.empty())
        throw std::invalid_argument("a case needs at least one fetch");
    if ((c.stop != ExchangeCase::Stop::Never || c.clockStep > 0 || c.connectThroughWorker) && !c.antiFreezeSlice)
        throw std::invalid_argument("stops, clock steps and the connect worker need an anti-freeze");
}

// A TLS step in a plain case, or a step the TLS peer cannot play.
std::string TlsStepProblem(const ExchangeCase& c)
{
    using Kind = CaseStep::Kind;
    for (const CaseConnection& connection : c.connections) {
        for (const CaseStep& step : connection.steps) {
            const bool tlsOnly = step.kind == Kind::Hello || step.kind == Kind::Handshake || step.kind == Kind::Refuse ||
                                 step.kind == Kind::Cut || step.kind == Kind::SendRaw;
            if (tlsOnly && !c.tls)
                return "case at line " + std::to_string(c.line) + ": hello, handshake, refuse, cut and send-raw need tls";
            if (step.kind == Kind::Drip && c.tls)
                return "case at line " + std::to_string(c.line) + ": the TLS peer does not drip";
        }
    }
    return {};
}

std::vector<ExchangeCase> ReadCaseFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    const std::string file = path.stem().string();
    std::vector<ExchangeCase> cases;
    std::vector<LogicalLine> lines;
    try {
        lines = ReadLogicalLines(in);
    } catch (const std::exception& error) {
        ExchangeCase broken;
        broken.file = file;
        broken.name = "Unreadable";
        broken.problem = error.what();
        return {broken};
    }

    enum class Section { None, Settings, Connection, Fetch } section = Section::None;
    for (const LogicalLine& line : lines) {
        if (line.keyword == "case") {
            ExchangeCase c;
            c.file = file;
            c.name = line.value;
            c.line = line.number;
            cases.push_back(std::move(c));
            section = Section::Settings;
            continue;
        }
        if (cases.empty()) {
            ExchangeCase broken;
            broken.file = file;
            broken.name = "BeforeTheFirstCase";
            broken.problem = "line " + std::to_string(line.number) + ": \"" + line.keyword + "\" before any case";
            return {broken};
        }
        ExchangeCase& c = cases.back();
        if (!c.problem.empty())
            continue;
        try {
            if (line.keyword == "connection") {
                CaseConnection connection;
                if (line.value == "on second")
                    connection.server = 1;
                else if (!line.value.empty())
                    throw std::invalid_argument("connection takes nothing or \"on second\"");
                c.connections.push_back(connection);
                section = Section::Connection;
            } else if (line.keyword == "fetch") {
                CaseFetch fetch;
                fetch.line = line.number;
                fetch.url = line.value;
                c.fetches.push_back(fetch);
                section = Section::Fetch;
            } else if (section == Section::Connection && ApplyStep(c.connections.back(), line)) {
            } else if (section == Section::Fetch && ApplyExpectation(c.fetches.back(), line)) {
            } else if (section == Section::Settings) {
                ApplyCaseSetting(c, line);
            } else {
                throw std::invalid_argument("\"" + line.keyword + "\" does not belong here");
            }
        } catch (const std::exception& error) {
            c.problem = "line " + std::to_string(line.number) + ": " + error.what();
        }
    }

    std::set<std::string> names;
    for (ExchangeCase& c : cases) {
        const bool plainName = !c.name.empty() && std::all_of(c.name.begin(), c.name.end(), [](char ch) {
            return std::isalnum(static_cast<unsigned char>(ch)) != 0;
        });
        if (c.problem.empty() && !plainName)
            c.problem = "line " + std::to_string(c.line) + ": a case name is letters and digits";
        if (c.problem.empty() && !names.insert(c.name).second)
            c.problem = "line " + std::to_string(c.line) + ": a second case named " + c.name;
        if (c.problem.empty())
            c.problem = TlsStepProblem(c);
        if (c.problem.empty()) {
            try {
                CheckByteTexts(c);
            } catch (const std::exception& error) {
                c.problem = "case at line " + std::to_string(c.line) + ": " + error.what();
            }
        }
        if (!plainName)
            c.name = "Line" + std::to_string(c.line);
    }
    return cases;
}

// The "}" that closes an expansion begun before `from`; expansions may nest, and "\{"
// and "\}" do not count.
size_t ClosingBrace(const std::string& text, size_t from)
{
    int depth = 0;
    for (size_t i = from; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == '{') {
            ++depth;
        } else if (text[i] == '}') {
            if (depth == 0)
                return i;
            --depth;
        }
    }
    throw std::invalid_argument("an expansion without its \"}\": " + text);
}

std::string Expansion(const std::string& inside, const CasePorts& ports)
{
    const auto [name, argument] = SplitFirstWord(inside);
    const auto host = [](int32_t port) { return "127.0.0.1:" + std::to_string(port); };
    if (name == "port")
        return std::to_string(ports.first);
    if (name == "port2")
        return std::to_string(ports.second);
    if (name == "host")
        return host(ports.first);
    if (name == "host2")
        return host(ports.second);
    if (name == "url")
        return "http://" + host(ports.first) + ExpandCaseBytes(argument, ports);
    if (name == "url2")
        return "http://" + host(ports.second) + ExpandCaseBytes(argument, ports);
    if (name == "surl")
        return "https://" + host(ports.first) + ExpandCaseBytes(argument, ports);
    if (name == "surl2")
        return "https://" + host(ports.second) + ExpandCaseBytes(argument, ports);
    if (name == "pattern")
        return PatternBytes(static_cast<size_t>(ReadNumber(argument)));
    if (name == "repeat") {
        // The text keeps a leading blank only as "\s".
        const auto [count, text] = SplitFirstWord(argument);
        const std::string once = ExpandCaseBytes(text, ports);
        std::string repeated;
        const int64_t times = ReadNumber(count);
        repeated.reserve(once.size() * static_cast<size_t>(std::max<int64_t>(times, 0)));
        for (int64_t i = 0; i < times; ++i)
            repeated += once;
        return repeated;
    }
    throw std::invalid_argument("unknown expansion {" + inside + "}");
}

} // namespace

std::string ExchangeCase::TestName() const
{
    std::string stem;
    for (const char ch : file)
        stem += std::isalnum(static_cast<unsigned char>(ch)) != 0 ? ch : '_';
    return stem + "_" + name;
}

bool ExchangeCase::PlayableInMemory() const
{
    // A SOCKS proxy answers step by step: its replies cannot all come at once.
    if (antiFreezeSlice || connectThroughWorker || tls || proxyKind != ProxyKind::Http)
        return false;
    for (const CaseConnection& connection : connections) {
        for (const CaseStep& step : connection.steps) {
            if (step.kind == CaseStep::Kind::Hold || step.kind == CaseStep::Kind::Drip)
                return false;
        }
    }
    return true;
}

void PrintTo(const ExchangeCase& c, std::ostream* out)
{
    *out << c.file << ".cases: " << c.name;
}

std::vector<ExchangeCase> LoadExchangeCases(const std::string& folder)
{
    if (!std::filesystem::is_directory(folder)) {
        ExchangeCase broken;
        broken.file = "cases";
        broken.name = "Missing";
        broken.problem = "no folder " + folder;
        return {broken};
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".cases")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<ExchangeCase> cases;
    for (const auto& file : files) {
        std::vector<ExchangeCase> read = ReadCaseFile(file);
        cases.insert(cases.end(), read.begin(), read.end());
    }
    return cases;
}

std::string ExpandCaseBytes(const std::string& text, const CasePorts& ports)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '{') {
            const size_t end = ClosingBrace(text, i + 1);
            bytes += Expansion(text.substr(i + 1, end - i - 1), ports);
            i = end;
            continue;
        }
        if (c != '\\') {
            bytes += c;
            continue;
        }
        if (++i == text.size())
            throw std::invalid_argument("a \"\\\" at the end of: " + text);
        switch (text[i]) {
        case 'r':
            bytes += '\r';
            break;
        case 'n':
            bytes += '\n';
            break;
        case 't':
            bytes += '\t';
            break;
        case '0':
            bytes += '\0';
            break;
        case 's':
            bytes += ' ';
            break;
        case 'x': {
            const std::string digits = text.substr(i + 1, 2);
            if (digits.size() != 2 || !std::isxdigit(static_cast<unsigned char>(digits[0])) ||
                !std::isxdigit(static_cast<unsigned char>(digits[1])))
                throw std::invalid_argument("\\x needs two hexadecimal digits: " + text);
            bytes += static_cast<char>(std::stoi(digits, nullptr, 16));
            i += 2;
            break;
        }
        default:
            // \\, \{, \} and any other character stand for themselves.
            bytes += text[i];
            break;
        }
    }
    return bytes;
}
