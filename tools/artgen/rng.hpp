// Our own tiny generator: the standard distributions differ between library
// versions, and the art must come out the same everywhere.
#pragma once

#include <cstdint>

namespace artgen {

class XorShift32 {
public:
    explicit XorShift32(std::uint32_t seed) : s_(seed ? seed : 0x9E3779B9u) {}

    std::uint32_t next()
    {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }

    // Uniform-enough integer in [lo, hi]; the slight modulo bias does not matter for art.
    int range(int lo, int hi)
    {
        const auto span = static_cast<std::uint32_t>(hi - lo + 1);
        return lo + static_cast<int>(next() % span);
    }

private:
    std::uint32_t s_;
};

} // namespace artgen
