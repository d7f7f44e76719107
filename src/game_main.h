/* The whole program: start-up, frame loop and shutdown, in order. */
#ifndef FINMAW_GAME_MAIN_H
#define FINMAW_GAME_MAIN_H

#ifdef __cplusplus
extern "C" {
#endif

/* Runs the game and returns the process exit status. */
int Game_Main(void);

#ifdef __cplusplus
}
#endif

#endif
