#include "fetch_comparison.h"

#include "net/streams.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char SmallPage[] = "<html></html>";
constexpr int64_t SmallPageSize = sizeof SmallPage - 1;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool SendAll(PageConnection& connection, const char* data, int64_t size)
{
    while (size > 0) {
        const long n = connection.Write(data, static_cast<size_t>(size));
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

std::string RunCommand(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        pclose(pipe);
    }
    return output;
}

// Our client: bytes per second of one GET into a file.
double OurLargeBodyRate(TIdHTTP& http, const std::string& url, const std::string& file)
{
    FileStream destination(file, FileStream::Mode::CreateEmpty);
    const Clock::time_point start = Clock::now();
    http.HttpGet(url, destination);
    http.CloseConnection();
    const double seconds = SecondsSince(start);
    if (destination.Size() != LargeBodySize) {
        std::fprintf(stderr, "short body: %lld bytes\n", static_cast<long long>(destination.Size()));
        std::exit(1);
    }
    return static_cast<double>(LargeBodySize) / seconds;
}

// curl: its own measure of the transfer (connect and any handshake included, process
// start excluded).
double CurlLargeBodyRate(const std::string& url, const std::string& options, const std::string& file)
{
    const std::string output =
        RunCommand("curl -s" + options + " -o '" + file + "' -w '%{speed_download} %{size_download}' '" + url + "'");
    double speed = 0;
    long long size = 0;
    if (std::sscanf(output.c_str(), "%lf %lld", &speed, &size) != 2 || size != LargeBodySize) {
        std::fprintf(stderr, "curl failed: %s\n", output.c_str());
        std::exit(1);
    }
    return speed;
}

// Our client: requests per second, each fetch into a new file as the program does.
double OurRequestRate(TIdHTTP& http, const std::vector<std::string>& urls, const std::string& file)
{
    const Clock::time_point start = Clock::now();
    for (const std::string& url : urls) {
        FileStream destination(file, FileStream::Mode::CreateEmpty);
        http.HttpGet(url, destination);
        http.CloseConnection();
    }
    return static_cast<double>(urls.size()) / SecondsSince(start);
}

// curl: requests per second of one process given every URL, each written to the file,
// timed from the process start to its end.
double CurlRequestRate(const std::string& configFile, size_t count)
{
    const Clock::time_point start = Clock::now();
    const std::string output = RunCommand("curl -s -K '" + configFile + "' -w '%{http_code}\\n'");
    const double seconds = SecondsSince(start);
    const size_t ok = static_cast<size_t>(std::count(output.begin(), output.end(), '\n'));
    if (ok != count || output.find("200") != 0) {
        std::fprintf(stderr, "curl made %zu requests\n", ok);
        std::exit(1);
    }
    return static_cast<double>(count) / seconds;
}

} // namespace

long PageConnection::Read(char* into, size_t size)
{
    return recv(FSocket, into, size, 0);
}

long PageConnection::Write(const char* from, size_t size)
{
    return send(FSocket, from, size, MSG_NOSIGNAL);
}

PageServer::PageServer(std::unique_ptr<PageTransport> transport) : FTransport(std::move(transport))
{
    FListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const int reuse = 1;
    setsockopt(FListener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    if (bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(FListener, 128) != 0 ||
        getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("listen");
        std::exit(1);
    }
    FPort = ntohs(address.sin_port);
    FBlock.assign(1 << 20, 'x');
    FThread = std::thread([this] { Run(); });
}

PageServer::~PageServer()
{
    FStopping = true;
    shutdown(FListener, SHUT_RDWR);
    FThread.join();
    close(FListener);
}

std::string PageServer::Url(const std::string& path) const
{
    return FTransport->Scheme() + "://127.0.0.1:" + std::to_string(FPort) + path;
}

void PageServer::Run()
{
    for (;;) {
        const int socket = accept(FListener, nullptr, nullptr);
        if (socket < 0 || FStopping)
            break;
        if (std::unique_ptr<PageConnection> connection = FTransport->Open(socket); connection && Serve(*connection))
            connection->End();
        shutdown(socket, SHUT_WR);
        // Wait for the client's close, so that our close never resets the connection.
        char rest[4096];
        while (recv(socket, rest, sizeof rest, 0) > 0) {
        }
        close(socket);
    }
}

bool PageServer::Serve(PageConnection& connection)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const long n = connection.Read(buffer, sizeof buffer);
        if (n <= 0)
            return false;
        request.append(buffer, static_cast<size_t>(n));
    }
    const bool large = request.compare(0, 10, "GET /large") == 0;
    const int64_t size = large ? LargeBodySize : SmallPageSize;
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) +
                             "\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n";
    if (!SendAll(connection, head.data(), static_cast<int64_t>(head.size())))
        return false;
    if (!large)
        return SendAll(connection, SmallPage, SmallPageSize);
    for (int64_t left = size; left > 0;) {
        const int64_t piece = std::min<int64_t>(left, static_cast<int64_t>(FBlock.size()));
        if (!SendAll(connection, FBlock.data(), piece))
            return false;
        left -= piece;
    }
    return true;
}

BenchClient::BenchClient()
{
    http.HandleRedirects = true;
    http.OnWork = [](TIdComponent&, TWorkMode, int32_t) {};
}

BenchFiles::BenchFiles(const std::string& benchmark)
{
    std::string folderTemplate = "/tmp/" + benchmark + "_XXXXXX";
    folder = mkdtemp(folderTemplate.data());
    ours = In("ours.html");
    curls = In("curl.html");
}

BenchFiles::~BenchFiles()
{
    std::filesystem::remove_all(folder);
}

bool CurlIsThere()
{
    if (!RunCommand("curl --version").empty())
        return true;
    std::fprintf(stderr, "curl is needed for the comparison\n");
    return false;
}

Medians CompareLargeBody(TIdHTTP& http, const PageServer& server, const std::string& curlOptions,
                         const BenchFiles& files)
{
    std::vector<double> ours;
    std::vector<double> theirs;
    const std::string url = server.Url("/large");
    for (int round = 0; round < Rounds; ++round) {
        ours.push_back(OurLargeBodyRate(http, url, files.ours));
        theirs.push_back(CurlLargeBodyRate(url, curlOptions, files.curls));
    }
    return {Median(ours), Median(theirs)};
}

Medians CompareSmallPages(TIdHTTP& http, const PageServer& server, int count, const std::string& curlConfig,
                          const BenchFiles& files)
{
    std::vector<std::string> urls;
    const std::string configFile = files.In("urls.curl");
    std::ofstream config(configFile);
    config << curlConfig;
    for (int i = 0; i < count; ++i) {
        urls.push_back(server.Url("/page/" + std::to_string(i)));
        config << "url = \"" << urls.back() << "\"\noutput = \"" << files.curls << "\"\n";
    }
    config.close();
    std::vector<double> ours;
    std::vector<double> theirs;
    for (int round = 0; round < Rounds; ++round) {
        ours.push_back(OurRequestRate(http, urls, files.ours));
        theirs.push_back(CurlRequestRate(configFile, urls.size()));
    }
    return {Median(ours), Median(theirs)};
}
