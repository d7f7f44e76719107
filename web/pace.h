/* When the page runs the game's frames. The desktop loop runs a frame every
 * GAME_FRAME_MS, 62.5 a second; a page can run them only on the display's
 * animation frames, at whatever rate it refreshes (60, 90, 144 Hz...). So
 * each frame is due one period after the one before it was due, not after
 * it ended, and an animation frame runs every frame that is due, up to two.
 * A frame later than that is not made up: after a stall, a hidden tab or a
 * slow device, play goes on from now, as a late frame on the desktop simply
 * starts late. Nothing here knows the browser, so that the rule can be
 * tested natively. */
#ifndef FINMAW_WEB_PACE_H
#define FINMAW_WEB_PACE_H

/* All zero to start: the first call then runs a frame at once. */
struct Pace_t {
    double due; /* when the next frame is due, on the caller's clock (ms) */
};

/* The number of frames (0, 1 or 2) to run on the animation frame at now. */
inline int Pace_Frames(Pace_t *pace, double now, double period)
{
    if (now < pace->due)
        return 0;
    /* Two frames cannot catch up: the second would be late by more than
     * its own period. Start again from now. */
    if (now - pace->due > 2.0 * period)
        pace->due = now;
    const int frames = now - pace->due >= period ? 2 : 1;
    pace->due += frames * period;
    return frames;
}

#endif
