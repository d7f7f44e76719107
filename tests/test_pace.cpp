/* The page's frame pace (web/pace.h), fed the timestamps a browser's
 * animation frames carry: 62.5 frames a second at any refresh rate, also
 * when the display misses animation frames (60 at 30 Hz, where two frames an
 * animation frame is all there is), at most two per animation frame, and no
 * burst after a stall. */
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "pace.h"

namespace {

struct Display {
    double hz;
    double jitter_ms; /* each timestamp off by up to this, either way */
    int missed;       /* one animation frame in this many does not come (0: none) */
    double stall_ms;  /* no animation frame for this long, 4 s in */
    double fps_low, fps_high;
    int most; /* frames run in one animation frame, at most */
};

TEST(Pace, KeepsTheGamesPaceOnEveryDisplayWithoutABurst) {
    const Display displays[] = {
        {60, 0, 0, 0, 62, 63, 2},
        {90, 0, 0, 0, 62, 63, 1},
        {120, 0, 0, 0, 62, 63, 1},
        {144, 0, 0, 0, 62, 63, 1},
        {60, 2, 0, 0, 62, 63, 2},
        {90, 2, 0, 0, 62, 63, 1},
        {144, 2, 0, 0, 62, 63, 1},
        {60, 1, 0, 2000, 62, 63, 2},
        {144, 1, 0, 2000, 62, 63, 1},
        {60, 1, 3, 0, 61.5, 63, 2},
        {60, 1, 5, 0, 61.5, 63, 2},
        {30, 1, 0, 0, 59.5, 60.5, 2},
        {60, 1, 3, 2000, 61.5, 63, 2},
    };
    for (const Display &d : displays) {
        std::minstd_rand random(7);
        std::uniform_real_distribution<double> jitter(-d.jitter_ms, d.jitter_ms);
        Pace_t pace{};
        int frames = 0, most = 0, after_stall = -1, shown = 0;
        double spent = 0;
        for (double t = 1000; t < 11000 + d.stall_ms; t += 1000 / d.hz) {
            if (t >= 5000 && t < 5000 + d.stall_ms) continue;
            if (d.missed && ++shown % d.missed == 0) continue;
            const int n = Pace_Frames(&pace, t + jitter(random), 16);
            if (after_stall < 0 && d.stall_ms > 0 && t >= 5000) after_stall = n;
            frames += n;
            most = std::max(most, n);
            spent = t - 1000 - (t >= 5000 ? d.stall_ms : 0);
        }
        const double fps = frames * 1000 / spent;
        const std::string what = std::to_string(int(d.hz)) + " Hz, missed " + std::to_string(d.missed) + ", stall " +
                                 std::to_string(int(d.stall_ms)) + ": ";
        EXPECT_TRUE(fps >= d.fps_low && fps <= d.fps_high) << what << fps << " frames a second";
        EXPECT_EQ(most, d.most) << what << most << " the most frames in one animation frame";
        EXPECT_EQ(after_stall, d.stall_ms > 0 ? 1 : -1) << what << "frames just after the stall";
    }
}

} // namespace
