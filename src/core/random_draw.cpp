#include "core/random_draw.h"

#include <chrono>
#include <random>

SeededRandomDraw::SeededRandomDraw(SeedSource seed) : FSeed(std::move(seed)) {}

std::size_t SeededRandomDraw::Draw(std::size_t count)
{
    std::mt19937_64 generator(FSeed());
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(generator);
}

std::uint64_t SeededRandomDraw::ClockSeed()
{
    return static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
}
