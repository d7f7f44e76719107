// Integer helpers for drawing. Floating point maths can round differently
// between compilers and CPUs; these cannot.
#pragma once

#include <cstdint>
#include <vector>

#include "image.hpp"
#include "rng.hpp"

namespace artgen {

// sin(deg) * 1024, by Bhaskara's approximation; smooth enough for art.
inline int ISin(int deg)
{
    deg %= 360;
    if (deg < 0)
        deg += 360;
    const int sign = deg < 180 ? 1 : -1;
    const int a = deg % 180;
    const int p = a * (180 - a);
    return sign * (4 * p * 1024) / (40500 - p);
}

inline int ISqrt(int v)
{
    if (v <= 0)
        return 0;
    int r = 0;
    while ((r + 1) * (r + 1) <= v)
        ++r;
    return r;
}

inline int ClampInt(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// a..b by t out of 256.
inline Rgb Mix(Rgb a, Rgb b, int t)
{
    t = ClampInt(t, 0, 256);
    auto one = [t](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(x + ((y - x) * t) / 256);
    };
    return {one(a.r, b.r), one(a.g, b.g), one(a.b, b.b)};
}

// Adds d to every channel, clamped.
inline Rgb Brighten(Rgb c, int d)
{
    auto one = [d](std::uint8_t x) { return static_cast<std::uint8_t>(ClampInt(x + d, 0, 255)); };
    return {one(c.r), one(c.g), one(c.b)};
}

// Smooth 1D value noise: random heights every `cell` pixels, eased between.
class Noise1D {
public:
    Noise1D(std::uint32_t seed, int length, int cell, int amplitude) : cell_(cell)
    {
        XorShift32 rng(seed);
        for (int i = 0; i <= length / cell + 1; ++i)
            knots_.push_back(rng.range(-amplitude, amplitude));
    }

    int at(int x) const
    {
        const int i = x / cell_;
        const int t = (x % cell_) * 256 / cell_;
        const int s = t * t * (3 * 256 - 2 * t) / (256 * 256); // smoothstep
        const int a = knots_[static_cast<std::size_t>(i)];
        const int b = knots_[static_cast<std::size_t>(i + 1)];
        return a + (b - a) * s / 256;
    }

private:
    int cell_;
    std::vector<int> knots_;
};

} // namespace artgen
