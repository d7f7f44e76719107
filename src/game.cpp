#include "game_main.h"

/* Placeholder until the shell lands. */
int Game_Main(void)
{
    return 0;
}
