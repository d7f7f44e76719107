#include "test_support.h"

namespace {

int g_init_result = 0;
std::string g_seen; // the texts the last INIT found in its list, each in brackets, up to the ending null
Object_t g_proto;

int InitProbe(Object_t *, va_list args) {
    g_seen.clear();
    while (const char *text = va_arg(args, const char *)) g_seen += "[" + std::string(text) + "]";
    return g_init_result;
}
int UpdateStub(Object_t *, World_t *) { return 0; }
int AnimStub(Object_t *) { return 0; }
int CollisionStub(Object_t *, float, float) { return 0; }
int LoadProbe() {
    g_proto = Object_t{nullptr, Object_AssignClassID("Probe"), 0, {}, 0, 0, 0, 0, {}, UpdateStub, AnimStub, InitProbe,
        AnimStub, CollisionStub};
    return g_proto.class_id == -1 ? -1 : 0;
}
int LoadSecond() { return Object_AssignClassID("Second") == -1 ? -1 : 0; }
int LoadFailing() { return 1; }

} // namespace

using namespace fmtest;

TEST(Object, StartedRegistryNamesClassesAndCreatesNumberedObjects) {
    Transcript t("object_started");
    SAY(t, Object_Begin());
    SAY(t, Object_PushLoadForClass(LoadProbe));
    SAY(t, Object_PushLoadForClass(LoadSecond));
    SAY(t, Object_LoadClasses());
    SAY(t, Object_GetClassString(1)); // from the final list
    SAY(t, Object_AssignClassID("Late"));
    SAY(t, Object_PushLoadForClass(LoadSecond));
    SAY(t, Object_LoadClasses());
    SAY(t, Object_GetClassString(-1));
    SAY(t, Object_GetClassString(2)); // the count did not move
    Object_t broken = g_proto;
    broken.ANIM = nullptr;
    broken.LOG = nullptr;
    Object_t o{};
    SAY(t, Object_Create(&o, &broken, nullptr));
    SAY(t, Object_Create(nullptr, &g_proto, nullptr));
    SAY(t, Object_Create(&o, nullptr, nullptr));
    o.hitbox.x = 77; // creation leaves it alone
    SAY(t, Object_Create(&o, &g_proto, "x", "name", nullptr));
    SAY(t, g_seen);
    SAY(t, o.hitbox.x);
    SAY(t, o.id);       // refused creations took no identifier
    g_init_result = -1; // a failed INIT keeps its identifier taken
    SAY(t, Object_Create(&o, &g_proto, nullptr));
    SAY(t, o.id);
    g_init_result = 1; // anything but -1 is success
    SAY(t, Object_Create(&o, &g_proto, nullptr));
    SAY(t, o.id);
    SAY(t, Object_CleanAll());
}

TEST(Object, FailingLoaderLeavesItLoadingAndFullListsRefuse) {
    Transcript t("object_full");
    SAY(t, Object_Begin());
    SAY(t, Object_PushLoadForClass(LoadProbe));
    SAY(t, Object_PushLoadForClass(LoadFailing));
    SAY(t, Object_PushLoadForClass(LoadSecond));
    SAY(t, Object_PushLoadForClass(nullptr));
    SAY(t, Object_LoadClasses());
    SAY(t, Object_AssignClassID("More")); // still loading, and the loader after the failing one never ran
    for (int i = 3; i < OBJECT_MAX_LOADERS; ++i) Object_PushLoadForClass(LoadFailing);
    SAY(t, Object_PushLoadForClass(LoadFailing));
    FILE *kept = std::exchange(LOG_STREAM, nullptr); // the ids in between, one line each, say nothing new
    for (int i = 2; i < OBJECT_MAX_CLASSES; ++i) Object_AssignClassID("X"); // one name, many identifiers
    LOG_STREAM = kept;
    SAY(t, Object_AssignClassID("X"));
    SAY(t, Object_GetClassString(OBJECT_MAX_CLASSES - 1)); // from the temporary list
    SAY(t, Object_CleanAll());
}

TEST(Object, AllocFreeAndTheRegistryWithoutItsLists) {
    Transcript t("object_lists");
    SAY(t, Object_Free(Object_Alloc(3)));
    SAY(t, Object_Alloc(0));
    SAY(t, Object_Free(nullptr));
    SAY(t, Object_CleanAll()); // never begun
    SAY(t, Object_AssignClassID("Early"));
    SAY(t, Object_LoadClasses());
    SAY(t, Starved(1, Object_Begin));
    SAY(t, Object_Begin());
    SAY(t, Object_AssignClassID(nullptr));
    SAY(t, Starved(1, [] { return Object_AssignClassID("Copy"); })); // the name copy
    SAY(t, Starved(1, Object_LoadClasses));                          // the final list
    SAY(t, Object_GetClassString(0));                                // nothing registered yet
    SAY(t, Object_CleanAll());
}
