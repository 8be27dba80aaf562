// The random picks of the branding: a uniform draw from a fresh seed before every draw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

class RandomDraw {
public:
    virtual ~RandomDraw() = default;
    // A number from 0 to count - 1, each equally likely; count is at least 1.
    virtual std::size_t Draw(std::size_t count) = 0;
};

// Seeds a new generator before each draw from the given source; by default the clock,
// so every run draws differently. A fixed source makes the picks repeatable.
class SeededRandomDraw : public RandomDraw {
public:
    using SeedSource = std::function<std::uint64_t()>;
    explicit SeededRandomDraw(SeedSource seed = ClockSeed);

    std::size_t Draw(std::size_t count) override;

    static std::uint64_t ClockSeed();

private:
    SeedSource FSeed;
};
