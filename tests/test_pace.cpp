/* The page's frame pace (web/pace.h), fed the timestamps a browser's
 * animation frames carry: 62.5 frames a second at any refresh rate, at most
 * two per animation frame, and no burst after a stall. */
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "../web/pace.h"

namespace {

struct Display {
    double hz;
    double jitter_ms; /* each timestamp off by up to this, either way */
    double stall_ms;  /* no animation frame for this long, 4 s in */
};

TEST(Pace, KeepsTheGamesPaceOnEveryDisplayWithoutABurst) {
    const Display displays[] = {
        {60, 0, 0},
        {90, 0, 0},
        {120, 0, 0},
        {144, 0, 0},
        {60, 2, 0},
        {90, 2, 0},
        {144, 2, 0},
        {60, 1, 2000},
        {144, 1, 2000},
    };
    for (const Display &d : displays) {
        std::minstd_rand random(7);
        std::uniform_real_distribution<double> jitter(-d.jitter_ms, d.jitter_ms);
        Pace_t pace{};
        int frames = 0, most = 0, after_stall = -1;
        double shown = 0;
        for (double t = 1000; t < 11000 + d.stall_ms; t += 1000 / d.hz) {
            if (t >= 5000 && t < 5000 + d.stall_ms) continue;
            const int n = Pace_Frames(&pace, t + jitter(random), 16);
            if (after_stall < 0 && d.stall_ms > 0 && t >= 5000) after_stall = n;
            frames += n;
            most = std::max(most, n);
            shown = t - 1000 - (t >= 5000 ? d.stall_ms : 0);
        }
        const double fps = frames * 1000 / shown;
        EXPECT_TRUE(fps >= 62 && fps <= 63) << d.hz << " Hz: " << fps << " frames a second";
        EXPECT_LE(most, 2) << d.hz << " Hz";
        EXPECT_EQ(after_stall, d.stall_ms > 0 ? 1 : -1) << d.hz << " Hz: frames just after the stall";
    }
}

} // namespace
