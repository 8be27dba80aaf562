// HTTP client figures, each next to curl measured in the same run against the same
// loopback server and the same URLs (see fetch_comparison.h):
//  1. one GET of a 100 MB body with a Content-Length, written into a file;
//  2. 2,000 sequential GETs of a small page, one connection each.
// Our client runs as the program configures it, the body written into a file.
#include "fetch_comparison.h"

#include <cstdio>
#include <memory>

namespace {

constexpr int SmallPageCount = 2000;

} // namespace

int main()
{
    if (!CurlIsThere())
        return 1;
    PageServer server(std::make_unique<PageTransport>());
    BenchClient client;
    const BenchFiles files("http_bench");

    // 1. A 100 MB body, alternating the two clients round by round.
    const Medians body = CompareLargeBody(client.http, server, "", files);
    std::printf("100 MB body into a file, median of %d: ours %.0f MB/s, curl %.0f MB/s: %.0f%% of curl (target 70%%)\n",
                Rounds, body.ours / 1e6, body.curl / 1e6, 100.0 * body.ours / body.curl);
    std::printf("TABLE|HTTP body throughput, 100 MB into a file (MB/s)|%.0f|%.0f|%.2f|>= 0.70\n", body.ours / 1e6,
                body.curl / 1e6, body.ours / body.curl);

    // 2. 2,000 small pages, one connection each.
    const Medians pages =
        CompareSmallPages(client.http, server, SmallPageCount, "header = \"Connection: close\"\n", files);
    std::printf("%d pages, a connection each, median of %d: ours %.0f/s, curl %.0f/s: %.0f%% of curl (target 50%%)\n",
                SmallPageCount, Rounds, pages.ours, pages.curl, 100.0 * pages.ours / pages.curl);
    std::printf("TABLE|Sequential fetches, a connection each (fetches/s)|%.0f|%.0f|%.2f|>= 0.50\n", pages.ours,
                pages.curl, pages.ours / pages.curl);
    return 0;
}
