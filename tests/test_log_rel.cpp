
#include "test_support.h"
#define FM_LOG_FILE "game"
#include "ashare/log.h"

namespace {
int InitOk(Object_t *, va_list) { return 0; }
int UpdateStub(Object_t *, World_t *) { return 0; }
int AnimStub(Object_t *) { return 0; }
int CollisionStub(Object_t *, float, float) { return 0; }
} // namespace

/* Without a DEBUG line to fill, a successful creation never looks the class
 * name up, so an unregistered class costs no line and leaves errno alone. */
TEST(LogRelease, SuccessfulCreationLooksNoClassNameUp) {
    fmtest::LogCapture log;
    const Object_t proto{nullptr, 9, 0, {}, 0, 0, 0, 0, {}, UpdateStub, AnimStub, InitOk, AnimStub, CollisionStub};
    Object_t made{};
    errno = EINVAL;
    EXPECT_EQ(Object_Create(&made, &proto, nullptr), 0);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_TRUE(log.lines().empty());
}
