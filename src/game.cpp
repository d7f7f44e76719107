/* The game shell: start-up, the log files, the frame loop with its keys, and
 * shutdown. The drawing steps are in game_draw.cpp. */
#include <cerrno>
#include <cstring>

#include "ashare/alloc.h"
#include "class/fish.h"
#include "class/playershark.h"
#include "game.h"
#include "game_main.h"
#include "image.h"
#include "object.h"
#include "world.h"

#define FM_LOG_FILE "game"
#include "ashare/log.h"

/* The shell flushes after every INFO and DEBUG line it writes, so that the
 * log is complete up to the last step even if the process dies. */
#define SHELL_INFO(...)        \
    do {                       \
        LOG_INFO(__VA_ARGS__); \
        Log_Flush();           \
    } while (0)
#define SHELL_DEBUG(...)        \
    do {                        \
        LOG_DEBUG(__VA_ARGS__); \
        LOG_DEBUG_FLUSH();      \
    } while (0)

/* Start-up, the frame loop and shutdown are one entry function in the game's
 * log format: their lines name WinMain on every platform, although the
 * steps live in separate functions here so that tests can drive them. */
namespace {
constexpr const char *kEntryFunc = "WinMain";
} // namespace
#define ENTRY_INFO(...)                                                            \
    do {                                                                           \
        Log_Write(LOG_LEVEL_INFO, FM_LOG_FILE, kEntryFunc, __LINE__, __VA_ARGS__); \
        Log_Flush();                                                               \
    } while (0)
#define ENTRY_ERR(...)                                                              \
    do {                                                                            \
        Log_Write(LOG_LEVEL_ERROR, FM_LOG_FILE, kEntryFunc, __LINE__, __VA_ARGS__); \
        errno = 0;                                                                  \
    } while (0)

SDL_Window *GameWindow = nullptr;
const char *RunLogName = "run.log";

namespace {
constexpr int kCollisionNameSize = 100;
constexpr const char *kStartupLogName = "startup.log";
} // namespace

int Main_FillCollisionNames(void)
{
    static constexpr const char *kNames[COLLISION_KIND_COUNT] = {
        "COLLISION_NULL",  "COLLISION_PLAYER", "COLLISION_FISH",
        "COLLISION_DEATH", "COLLISION_HARM",   "COLLISION_POISON",
    };
    int result = 0;
    for (int k = 0; k < COLLISION_KIND_COUNT; ++k) {
        if (!CollisionNames[k])
            CollisionNames[k] = static_cast<char *>(Mem_Alloc(kCollisionNameSize));
        /* A buffer that could not be had stays null and gets no name. */
        if (!CollisionNames[k]) {
            result = -1;
            continue;
        }
        strncpy(CollisionNames[k], kNames[k], kCollisionNameSize - 1);
        CollisionNames[k][kCollisionNameSize - 1] = '\0';
    }
    return result;
}

int Main_InitWindow(SDL_Surface **screen)
{
    SHELL_DEBUG("I reach this point.");
    if (*screen)
        LOG_WARN("Screen handle parameter should be NULL - check initialisation.");

    /* The window surface is all the game draws on. SDL's default is to back
     * it with a texture on an accelerated renderer; under X that costs a
     * full texture upload per frame, while the plain framebuffer is a cheap
     * image copy. */
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");

    GameWindow = SDL_CreateWindow("Finmaw", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                  FIELD_W, FIELD_H, SDL_WINDOW_SHOWN);
    if (!GameWindow) {
        LOG_ERR("Failed to initialise SDL_Window: %s", SDL_GetError());
        return -1;
    }
    SHELL_DEBUG("Boop.");
    *screen = SDL_GetWindowSurface(GameWindow);
    if (!*screen) {
        LOG_ERR("Failed to initialise SDL_Surface as a screen: %s", SDL_GetError());
        return -1;
    }
    SHELL_DEBUG("I reach the end of this point.");
    return 0;
}

int Main_StartObj(void)
{
    if (Object_Begin() != 0) {
        LOG_ERR("ASSERT catch");
        return -1;
    }
    /* Queue order fixes the class identifiers: Fish 0, PlayerShark 1. */
    Object_PushLoadForClass(Class_LoadFish);
    Object_PushLoadForClass(Class_LoadPlayerShark);
    if (Object_LoadClasses() != 0) {
        LOG_ERR("ASSERT catch");
        return -1;
    }
    return 0;
}

SDL_Renderer *Main_CreateHitboxRenderer(Game_t *game)
{
    SDL_Surface *screen = game ? game->screen : nullptr;
    if (!screen || !screen->format)
        return nullptr;
    SDL_Surface *surface =
        SDL_CreateRGBSurfaceWithFormat(0, screen->w, screen->h, 0, screen->format->format);
    if (!surface)
        return nullptr;
    /* Copied over the window surface as it is, never blended. */
    SDL_SetSurfaceBlendMode(surface, SDL_BLENDMODE_NONE);
    SDL_Renderer *renderer = SDL_CreateSoftwareRenderer(surface);
    if (!renderer) {
        SDL_FreeSurface(surface);
        return nullptr;
    }
    game->hitbox_surface = surface;
    game->renderer = renderer;
    return renderer;
}

int Main_CloseAll(Game_t *game)
{
    SHELL_INFO("Cleaning resources...");
    /* The renderer draws on the surface, so it goes first. */
    if (game && game->renderer) {
        SDL_DestroyRenderer(game->renderer);
        game->renderer = nullptr;
    }
    if (game && game->hitbox_surface) {
        SDL_FreeSurface(game->hitbox_surface);
        game->hitbox_surface = nullptr;
    }
    if (GameWindow) {
        SDL_DestroyWindow(GameWindow);
        GameWindow = nullptr;
    }
    Image_FreeAll();
    Object_CleanAll();
    Fish_FreeAll();
    SDL_Quit();
    SHELL_INFO("All cleaning done.");
    Log_Close();
    return 0;
}

/* ------------------------------------------------------------------------ */
/* Start-up and shutdown                                                     */

int Game_Startup(Game_t *game)
{
    game->status = 0;

    /* The collision-name table comes before the log exists; should it
     * fail, the log is still opened so that the cause is on record. */
    if (Main_FillCollisionNames() != 0) {
        Log_Open(kStartupLogName, "w");
        ENTRY_ERR("Out of memory.");
        game->status = -1;
        return -1;
    }

    Log_Open(kStartupLogName, "w");
    ENTRY_INFO("Starting up...");

    /* Without an input table the keys simply record nothing. */
    Player_InputInit();

    /* The status is set to -1 here although the step returns no status of
     * its own: a game that never started must not exit 0. */
    int sdl = SDL_Init(SDL_INIT_VIDEO);
    if (sdl < 0) {
        ENTRY_ERR("Failed to initialise SDL. Err #%d: %s", sdl, SDL_GetError());
        game->status = -1;
        return -1;
    }
    ENTRY_INFO("Started SDL systems.");

    game->status = Main_InitWindow(&game->screen);
    if (game->status != 0) {
        ENTRY_ERR("Failed to initialise game window/screen.");
        return -1;
    }
    ENTRY_INFO("Created Window and SDL Surfaces.");

    game->status = Main_StartImage();
    if (game->status != 0) {
        ENTRY_ERR("Failed to initialise image module data.");
        return -1;
    }
    ENTRY_INFO("Started Image systems.");

    game->status = Main_StartObj();
    if (game->status != 0) {
        ENTRY_ERR("Failed to initialise oject module data.");
        return -1;
    }
    ENTRY_INFO("Started Object systems.");

    game->status = Main_LoadFish();
    if (game->status != 0) {
        ENTRY_ERR("Failed to load fish data!");
        return -1;
    }
    ENTRY_INFO("Loaded Fish data!");

    game->status = World_Create(&game->world, GAME_MAX_FISH);
    if (game->status != 0) {
        ENTRY_ERR("Failed to create game world.");
        return -1;
    }
    ENTRY_INFO("Initialised Game world.");

    game->status = World_SpawnPlayer(&game->world, GAME_PLAYER_START_X, GAME_PLAYER_START_Y);
    if (game->status != 0) {
        ENTRY_ERR("Could not spawn player.");
        return -1;
    }
    ENTRY_INFO("Created Player in world.");

    /* The shark's own data, read once. Exits -1, not 0: a start-up that
     * stopped is a failure. */
    game->player_data =
        game->world.player ? static_cast<SharkData *>(game->world.player->data) : nullptr;
    if (!game->player_data) {
        ENTRY_ERR("Failed to initialise player properly!");
        game->status = -1;
        return -1;
    }

    /* Not checked: a missing sheet just draws nothing. */
    game->background = Image_Get_SpriteSheet("background1", -1);
    game->font = Image_Get_SpriteSheet("font", -1);

    /* Where the digit glyphs are in the font, and where they go. */
    for (int d = 0; d < GAME_GLYPH_COUNT; ++d)
        game->glyphs[d] = SDL_Rect{GAME_GLYPH_W * d, 0, GAME_GLYPH_W, GAME_GLYPH_H};
    game->score_rect = SDL_Rect{GAME_SCORE_X, GAME_SCORE_Y, GAME_GLYPH_W, GAME_GLYPH_H};
    game->health_rect = SDL_Rect{GAME_HEALTH_X, GAME_HEALTH_Y, GAME_GLYPH_W, GAME_GLYPH_H};
    memset(game->score_digits, 0, sizeof game->score_digits);

    /* The hitbox view's renderer. Exits -1, not 0, like every other failed
     * step. */
    if (!Main_CreateHitboxRenderer(game)) {
        ENTRY_ERR("Failed to create hitbox SDL Renderer!");
        game->status = -1;
        return -1;
    }

    game->status = SDL_SetRenderDrawColor(game->renderer, 255, 0, 0, 255);
    if (game->status != 0) {
        ENTRY_ERR("SDL_SetRenderDrawColor() failed: %s", SDL_GetError());
        return -1;
    }

    /* Start-up is over: from here on the run has its own log. */
    Log_Close();
    Log_Open(RunLogName, "w");
    ENTRY_INFO("Starting up...");
    return 0;
}

int Game_Shutdown(Game_t *game)
{
    ENTRY_INFO("Closing down systems.");
    World_Destroy(&game->world);
    Main_CloseAll(game);
    /* Everything these pointed into is gone now. */
    game->screen = nullptr;
    game->background = nullptr;
    game->font = nullptr;
    game->player_data = nullptr;
    return game->status;
}

/* ------------------------------------------------------------------------ */
/* Frame loop                                                                */

void Game_LoopBegin(Game_t *game)
{
    game->running = 1;
    game->paused = 0;
    game->hitbox_view = 0;
    game->next_frame = 1;
    game->score_countdown = 0;
    memset(&game->quit_event, 0, sizeof game->quit_event);
    game->quit_event.type = SDL_QUIT;
}

namespace {

void TogglePause(Game_t *game)
{
    if (!game->paused) {
        game->paused = 1;
        ENTRY_INFO("Score: %d", game->world.score);
        Log_Close();
    } else {
        game->paused = 0;
        /* Appends after the lines written before the pause. While the file
         * was closed, lines had no stream and were dropped. */
        Log_Open(RunLogName, "a");
    }
}

void HandleKeyDown(Game_t *game, SDL_Keycode key)
{
    const KeyBinding *binding = Main_FindKey(key);
    if (!binding)
        return;
    switch (binding->action) {
    case KEY_INPUT:
        Player_SetInput(binding->input, 1);
        break;
    case KEY_SPAWN:
        World_SpawnFish(&game->world, binding->start_y, binding->fish_type);
        break;
    case KEY_QUIT:
        SDL_PushEvent(&game->quit_event);
        break;
    case KEY_HITBOX_VIEW:
        game->hitbox_view = !game->hitbox_view;
        break;
    case KEY_HEALTH:
        if (game->player_data)
            game->player_data->health += 1;
        break;
    case KEY_PAUSE:
        TogglePause(game);
        break;
    default:
        break;
    }
}

/* Only the shark's inputs are released; every other key acts on key-down. */
void HandleKeyUp(SDL_Keycode key)
{
    const KeyBinding *binding = Main_FindKey(key);
    if (binding && binding->action == KEY_INPUT)
        Player_SetInput(binding->input, 0);
}

} // namespace

void Game_HandleEvent(Game_t *game, const SDL_Event *event)
{
    switch (event->type) {
    case SDL_QUIT:
        game->running = 0;
        ENTRY_INFO("Quit message recieved.");
        break;
    case SDL_KEYDOWN:
        /* Auto-repeats count as fresh presses. */
        HandleKeyDown(game, event->key.keysym.sym);
        break;
    case SDL_KEYUP:
        HandleKeyUp(event->key.keysym.sym);
        break;
    default:
        break;
    }
}

void Game_DrainEvents(Game_t *game)
{
    SDL_Event event;
    /* A quit does not stop the draining: later events are still handled. */
    while (SDL_PollEvent(&event))
        Game_HandleEvent(game, &event);
}

int Game_Frame(Game_t *game)
{
    Game_DrawFrameStart(game);

    game->status = World_NewFrame(&game->world);
    if (game->status != 0) {
        ENTRY_ERR("Failed to initialise world data for new frame.");
        return game->status;
    }

    game->status =
        World_GetEntityList(&game->world, &game->entities, &game->alive, &game->entity_count);
    if (game->status != 0) {
        ENTRY_ERR("Failed to get entity list from World.");
        return game->status;
    }

    for (int32_t i = 0; i < game->entity_count; ++i) {
        if (game->alive[i] != 1)
            continue;
        Object_t *record = &game->entities[i];
        game->entity_copy = *record;
        if (!game->paused && game->entity_copy.UPDATE)
            game->entity_copy.UPDATE(record, &game->world);
        /* Drawn from the copy: the picture shows the frame's starting state. */
        Game_DrawEntity(game, &game->entity_copy);
        if (game->hitbox_view) {
            int drawn = Game_DrawHitbox(game, &game->entity_copy);
            if (drawn != 0) {
                game->status = drawn;
                ENTRY_ERR("Could not draw rect!");
                return game->status;
            }
        }
        if (!game->paused)
            Player_CheckCollision(record, &game->world);
    }

    game->status = Game_DrawScore(game);
    if (game->status != 0) {
        ENTRY_ERR("Bad data from World_GetScoreAsArray()!");
        return game->status;
    }

    game->score_countdown -= 1;
    if (game->score_countdown <= 0) {
        ENTRY_INFO("Score: %d", game->world.score);
        game->score_countdown = GAME_SCORE_LOG_PERIOD;
    }

    game->next_frame = SDL_GetTicks() + GAME_FRAME_MS;
    Game_Present(game);
    return 0;
}

int Game_Loop(Game_t *game)
{
    Game_LoopBegin(game);
    while (game->running) {
        /* Spin on the queue and the clock until the frame is due, without
         * sleeping; the running flag is looked at only after a frame, so a
         * quit still lets the next frame run. The difference is signed so
         * the tick counter's wrap does not stall the loop. */
        do
            Game_DrainEvents(game);
        while (static_cast<int32_t>(game->next_frame - SDL_GetTicks()) > 0);
        int result = Game_Frame(game);
        if (result != 0)
            return result;
    }
    return 0;
}

void Game_LogCleanEnd(void)
{
    ENTRY_INFO("Successfully reached end of execution.");
}

int Game_Main(void)
{
    static Game_t game;
    memset(&game, 0, sizeof game);
    if (Game_Startup(&game) == 0) {
        if (Game_Loop(&game) == 0)
            Game_LogCleanEnd();
    }
    return Game_Shutdown(&game);
}
