/* The program's entry: everything it runs lives in the game library. */
#include "game_main.h"

#ifdef _WIN32
#include <windows.h>
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return Game_Main();
}
#else
int main()
{
    return Game_Main();
}
#endif
