// What a hostile server can make the client work through, as times (nothing asserted):
//  1. 100,000 cookies admitted for one host (the store keeps 50 of them);
//  2. 100,000 cookies admitted for 100,000 hosts (the store keeps 3,000);
//  3. one response whose head is 256 KiB of Set-Cookie lines, fetched through the
//     in-memory transport (head read, cookies admitted, the next request's Cookie line);
//  4. the value of a header line with 40,000 continuation lines.
// Each was quadratic once: admission walked the store, joining copied the value per line.
#include "net/cookies.h"
#include "net/header_list.h"
#include "net/http.h"
#include "net/streams.h"
#include "support/net/memory_transport.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main()
{
    {
        TIdCookieManager manager;
        const auto start = Clock::now();
        for (int i = 0; i < 100000; ++i)
            manager.AcceptCookie("c" + std::to_string(i) + "=value; path=/", "www.site.test", false);
        std::printf("100,000 cookies for one host admitted: %.0f ms, %d kept (target < 1000 ms)\n",
                    MillisecondsSince(start), manager.Store().StoredCount());
    }
    {
        TIdCookieManager manager;
        const auto start = Clock::now();
        for (int i = 0; i < 100000; ++i)
            manager.AcceptCookie("c=value; path=/", "host" + std::to_string(i) + ".site.test", false);
        std::printf("100,000 cookies for 100,000 hosts admitted: %.0f ms, %d kept (target < 1000 ms)\n",
                    MillisecondsSince(start), manager.Store().StoredCount());
    }
    {
        std::string head = "HTTP/1.1 200 OK\r\n";
        int lines = 0;
        for (; head.size() < 256 * 1024 - 64; ++lines)
            head += "Set-Cookie: c" + std::to_string(lines) + "=1; path=/\r\n";
        head += "Content-Length: 2\r\n\r\nok";
        auto transport = std::make_shared<MemoryTransport>(std::vector<MemoryTransport::Peer>{
            {0, head + "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", MemoryTransport::Peer::End::Close, {}}});
        TIdHTTP http;
        http.SetIOHandler(transport);
        MemoryStream first;
        MemoryStream second;
        const auto start = Clock::now();
        http.HttpGet("http://www.site.test/", first);
        http.HttpGet("http://www.site.test/", second);
        std::printf("a head of %d Set-Cookie lines (256 KiB) read, and the next request sent: %.0f ms (target < 200 ms)\n",
                    lines, MillisecondsSince(start));
    }
    {
        TIdHeaderList list;
        list.Add("X-Long: a");
        for (int i = 0; i < 40000; ++i)
            list.Add(" b");
        list.Add("Content-Length: 2");
        const auto start = Clock::now();
        const size_t length = list.ValueOf("X-Long").size() + list.ValueOf("Content-Length").size();
        std::printf("a value of 40,000 continuation lines joined (%zu bytes): %.1f ms (target < 50 ms)\n", length,
                    MillisecondsSince(start));
    }
    return 0;
}
