/* When the page runs the game's frames. The desktop loop runs a frame every
 * GAME_FRAME_MS, 62.5 a second; a page can run them only on the display's
 * animation frames, at whatever rate it refreshes (30, 60, 90, 144 Hz...)
 * and with some of them missed (a busy phone skips one now and then). So
 * each frame is due one period after the one before it was due, not after
 * it ended, and an animation frame runs every frame that is due, up to two.
 * What is owed beyond those two is dropped, never made up later: play goes
 * on from now, as a late frame on the desktop simply starts late. After a
 * real stall (a hidden tab, a debugger) the schedule starts again from now
 * with one frame, so no burst follows. Nothing here knows the browser, so
 * that the rule can be tested natively. */
#ifndef FINMAW_WEB_PACE_H
#define FINMAW_WEB_PACE_H

/* All zero to start: the first call then runs a frame at once. */
struct Pace_t {
    double due; /* when the next frame is due, on the caller's clock (ms) */
};

/* A frame this late (ms) is a stall, not a missed animation frame or two. */
constexpr double kPaceStallMs = 100;

/* The number of frames (0, 1 or 2) to run on the animation frame at now. */
inline int Pace_Frames(Pace_t *pace, double now, double period)
{
    if (now < pace->due)
        return 0;
    if (now - pace->due > kPaceStallMs) {
        pace->due = now + period;
        return 1;
    }
    const int frames = now - pace->due >= period ? 2 : 1;
    pace->due += frames * period;
    /* What is still owed is dropped: play goes on from now. */
    if (pace->due < now)
        pace->due = now;
    return frames;
}

#endif
