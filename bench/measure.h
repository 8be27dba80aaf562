// What the benchmarks measure with: the wall time of a piece of work and the memory the
// process holds.
#pragma once

#include <chrono>
#include <fstream>
#include <string>

// The resident set in KiB, from /proc/self/status; -1 when it cannot be read.
inline long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

template <typename Work>
double Seconds(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
