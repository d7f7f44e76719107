// A plain RGB picture in memory, top row first.
#pragma once

#include <cstdint>
#include <vector>

namespace artgen {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

// The colour the game treats as see-through on sprite sheets.
inline constexpr Rgb kMagenta{255, 0, 255};

class Image {
public:
    Image(int width, int height, Rgb fill);

    int width() const { return w_; }
    int height() const { return h_; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }

    Rgb get(int x, int y) const { return px_[index(x, y)]; }
    void set(int x, int y, Rgb c) { px_[index(x, y)] = c; }
    // Writes only when inside; handy for shapes that cross the border.
    void plot(int x, int y, Rgb c)
    {
        if (contains(x, y))
            set(x, y, c);
    }

private:
    std::size_t index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(w_) +
               static_cast<std::size_t>(x);
    }
    int w_, h_;
    std::vector<Rgb> px_;
};

} // namespace artgen
