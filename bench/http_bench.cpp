// HTTP client figures, each next to curl measured in the same run against the same
// loopback server and the same URLs:
//  1. one GET of a 100 MB body with a Content-Length, written into a file;
//  2. 2,000 sequential GETs of a small page, one connection each (the server answers
//     with "Connection: close" and closes, so neither client can reuse a connection;
//     curl gets all 2,000 URLs on one command line, so it pays for one process start,
//     and our client closes the connection after each GET as the program does).
// Our client runs as the program configures it: redirects followed, an anti-freeze in
// place (its pump has nothing to do here), the body written into a file.
#include "net/anti_freeze.h"
#include "net/http.h"
#include "net/streams.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int64_t LargeBodySize = 100LL * 1024 * 1024;
constexpr int SmallPageCount = 2000;
constexpr int Rounds = 5;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A loopback server on its own thread: every connection gets one response to one
// request and is then closed.
class PageServer {
public:
    PageServer()
    {
        FListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        const int reuse = 1;
        setsockopt(FListener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
        if (bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(FListener, 128) != 0 ||
            getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            std::perror("listen");
            std::exit(1);
        }
        FPort = ntohs(address.sin_port);
        FBlock.assign(1 << 20, 'x');
        FThread = std::thread([this] { Run(); });
    }

    ~PageServer()
    {
        FStopping = true;
        shutdown(FListener, SHUT_RDWR);
        FThread.join();
        close(FListener);
    }

    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(FPort) + path; }

private:
    void Run()
    {
        for (;;) {
            const int connection = accept(FListener, nullptr, nullptr);
            if (connection < 0 || FStopping)
                break;
            Serve(connection);
            close(connection);
        }
    }

    void Serve(int connection)
    {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            request.append(buffer, static_cast<size_t>(n));
        }
        const bool large = request.compare(0, 10, "GET /large") == 0;
        const int64_t size = large ? LargeBodySize : 13;
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) +
                                 "\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n";
        if (!SendAll(connection, head.data(), static_cast<int64_t>(head.size())))
            return;
        if (!large) {
            SendAll(connection, "<html></html>", 13);
        } else {
            for (int64_t left = size; left > 0;) {
                const int64_t piece = std::min<int64_t>(left, static_cast<int64_t>(FBlock.size()));
                if (!SendAll(connection, FBlock.data(), piece))
                    return;
                left -= piece;
            }
        }
        shutdown(connection, SHUT_WR);
        // Wait for the client's close, so that our close never resets the connection.
        while (recv(connection, buffer, sizeof buffer, 0) > 0) {
        }
    }

    static bool SendAll(int connection, const char* data, int64_t size)
    {
        while (size > 0) {
            const ssize_t n = send(connection, data, static_cast<size_t>(size), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            data += n;
            size -= n;
        }
        return true;
    }

    int FListener = -1;
    int FPort = 0;
    std::string FBlock;
    std::atomic<bool> FStopping{false};
    std::thread FThread;
};

class IdleMessages : public MessageQueue {
public:
    bool MessageWaiting() override { return false; }
    void ProcessMessages() override {}
    void HandleMessage() override {}
};

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

// curl: its own measure of the transfer (connect included, process start excluded).
double CurlLargeBodyRate(const std::string& url, const std::string& file)
{
    const std::string output =
        RunCommand("curl -s -o '" + file + "' -w '%{speed_download} %{size_download}' '" + url + "'");
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

int main()
{
    if (RunCommand("curl --version").empty()) {
        std::fprintf(stderr, "curl is needed for the comparison\n");
        return 1;
    }
    PageServer server;
    IdleMessages messages;
    TIdAntiFreeze antiFreeze(messages);
    TIdHTTP http;
    http.HandleRedirects = true;
    http.OnWork = [](TIdComponent&, TWorkMode, int32_t) {};

    char folderTemplate[] = "/tmp/http_bench_XXXXXX";
    const std::string folder = mkdtemp(folderTemplate);
    const std::string ourFile = folder + "/ours.html";
    const std::string curlFile = folder + "/curl.html";

    // 1. A 100 MB body, alternating the two clients round by round.
    std::vector<double> ours;
    std::vector<double> theirs;
    const std::string largeUrl = server.Url("/large");
    for (int round = 0; round < Rounds; ++round) {
        ours.push_back(OurLargeBodyRate(http, largeUrl, ourFile));
        theirs.push_back(CurlLargeBodyRate(largeUrl, curlFile));
    }
    const double ourRate = Median(ours);
    const double curlRate = Median(theirs);
    std::printf("100 MB body into a file, median of %d: ours %.0f MB/s, curl %.0f MB/s: %.0f%% of curl (target 70%%)\n",
                Rounds, ourRate / 1e6, curlRate / 1e6, 100.0 * ourRate / curlRate);
    std::printf("TABLE|HTTP body throughput, 100 MB into a file (MB/s)|%.0f|%.0f|%.2f|>= 0.70\n", ourRate / 1e6,
                curlRate / 1e6, ourRate / curlRate);

    // 2. 2,000 small pages, one connection each.
    std::vector<std::string> urls;
    std::ofstream config(folder + "/urls.curl");
    config << "header = \"Connection: close\"\n";
    for (int i = 0; i < SmallPageCount; ++i) {
        urls.push_back(server.Url("/page/" + std::to_string(i)));
        config << "url = \"" << urls.back() << "\"\noutput = \"" << curlFile << "\"\n";
    }
    config.close();
    ours.clear();
    theirs.clear();
    for (int round = 0; round < Rounds; ++round) {
        ours.push_back(OurRequestRate(http, urls, ourFile));
        theirs.push_back(CurlRequestRate(folder + "/urls.curl", urls.size()));
    }
    const double ourRequests = Median(ours);
    const double curlRequests = Median(theirs);
    std::printf("%d pages, a connection each, median of %d: ours %.0f/s, curl %.0f/s: %.0f%% of curl (target 50%%)\n",
                SmallPageCount, Rounds, ourRequests, curlRequests, 100.0 * ourRequests / curlRequests);
    std::printf("TABLE|Sequential fetches, a connection each (fetches/s)|%.0f|%.0f|%.2f|>= 0.50\n", ourRequests,
                curlRequests, ourRequests / curlRequests);

    std::remove(ourFile.c_str());
    std::remove(curlFile.c_str());
    std::remove((folder + "/urls.curl").c_str());
    rmdir(folder.c_str());
    return 0;
}
