// Reading a result count out of a JSON page of 1 MB (target: under 10 ms): the count
// stands after 1 MB of result items, so the whole page is walked, as in the worst case
// of a real answer; the same with the count first (an answer read only as far as it
// must be), and the 10,000 phrases of a 1 MB OpenSearch suggestion page.
// Then a 64 MiB page of nested items with the count at its end, once: the time, and how
// far the process's peak memory grew while reading it (the page is never built into a
// tree, so the growth stays well below the page's own size).
// Prints the figures (the quickest of several runs); asserts nothing.
#include "util/json_reading.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <time.h>

namespace {

constexpr std::size_t PageBytes = 1000000;
constexpr int Runs = 21;

std::string Items()
{
    std::string items = "\"items\":[";
    for (int i = 0; items.size() < PageBytes; ++i) {
        items += (i ? "," : "");
        items += "{\"kind\":\"customsearch#result\",\"title\":\"Golf clubs \\u00e9 " + std::to_string(i) +
                 "\",\"link\":\"https://example.com/golf/" + std::to_string(i) +
                 "\",\"snippet\":\"Cheap golf clubs, bags and balls \\\"on sale\\\" today.\",\"rank\":" +
                 std::to_string(i) + ",\"score\":0." + std::to_string(i % 97) + "}";
    }
    return items + "]";
}

const std::string CountText = "\"searchInformation\":{\"searchTime\":0.42,\"totalResults\":\"1,234,567\"}";

double ThreadCpuMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The quickest run, in wall time; `cpu` gets that run's processor time, which a busy
// machine does not inflate.
template <typename Work>
double BestMilliseconds(Work work, double& cpu)
{
    double best = 1e9;
    for (int run = 0; run < Runs; ++run) {
        const double cpuStart = ThreadCpuMilliseconds();
        const auto start = std::chrono::steady_clock::now();
        work();
        const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (wall < best) {
            best = wall;
            cpu = ThreadCpuMilliseconds() - cpuStart;
        }
    }
    return best;
}

long PeakKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main()
{
    const std::string last = "{\"kind\":\"customsearch#search\"," + Items() + "," + CountText + "}";
    const std::string first = "{\"kind\":\"customsearch#search\"," + CountText + "," + Items() + "}";
    std::string suggestions = "[\"golf\",[";
    for (int i = 0; i < 10000; ++i)
        suggestions += std::string(i ? "," : "") + "\"golf clubs for sale " + std::to_string(i) + std::string(70, 'x') + "\"";
    suggestions += "]]";
    const JsonPointer count = *JsonPointer::Parse("/searchInformation/totalResults");
    const JsonPointer items = *JsonPointer::Parse("/1");
    const JsonPointer itself = *JsonPointer::Parse("");

    std::string read;
    double lastCpu = 0;
    double firstCpu = 0;
    double suggestCpu = 0;
    const double lastMs = BestMilliseconds([&] { read = ReadJsonCount(last, count); }, lastCpu);
    if (read != "1,234,567") {
        std::fprintf(stderr, "read \"%s\", not the count\n", read.c_str());
        return 1;
    }
    const double firstMs = BestMilliseconds([&] { read = ReadJsonCount(first, count); }, firstCpu);
    std::size_t rows = 0;
    const double suggestMs =
        BestMilliseconds([&] { rows = ReadJsonSuggestions(suggestions, items, itself, {}).size(); }, suggestCpu);
    if (rows != 10000) {
        std::fprintf(stderr, "read %zu suggestions, not 10000\n", rows);
        return 1;
    }

    std::printf("count after %.1f MB of items   %.2f ms (processor %.2f ms)   (target < 10 ms)\n", last.size() / 1e6,
                lastMs, lastCpu);
    std::printf("count before the items         %.3f ms (processor %.3f ms)\n", firstMs, firstCpu);
    std::printf("10,000 OpenSearch phrases, %.1f MB   %.2f ms (processor %.2f ms)\n", suggestions.size() / 1e6,
                suggestMs, suggestCpu);
    // Reserved at once, so that building the page does not leave a peak of its own.
    std::string huge;
    huge.reserve((64u << 20) + 4096);
    huge = "{\"pages\":[";
    const std::string item = "{\"a\":[1,2,{\"b\":\"text text text text\"}],\"c\":{\"d\":null,\"e\":12.5}},";
    while (huge.size() < (64u << 20))
        huge += item;
    huge.back() = ']';
    huge += "," + CountText + "}";
    const long before = PeakKilobytes();
    const auto start = std::chrono::steady_clock::now();
    read = ReadJsonCount(huge, count);
    const double hugeMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const long grown = PeakKilobytes() - before;
    std::printf("count after %.0f MiB of items   %.0f ms, peak memory grew %ld KB   (%s)\n", huge.size() / 1048576.0,
                hugeMs, grown, read == "1,234,567" ? "read" : "NOT read");

    std::printf("TABLE|JSON count at the end of a 1 MB page (ms)|%.2f|||< 10\n", lastMs);
    std::printf("TABLE|JSON suggestions, 1 MB page of 10,000 phrases (ms)|%.2f|||-\n", suggestMs);
    return 0;
}
