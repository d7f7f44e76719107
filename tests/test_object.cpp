

#include "test_support.h"

namespace {

int g_init_result = 0;
std::vector<const void *> g_seen; // what the last INIT found in its list, up to the ending null
Object_t g_proto;

int InitProbe(Object_t *, va_list args) {
    g_seen.clear();
    while (g_seen.size() < 4 && (g_seen.empty() || g_seen.back())) g_seen.push_back(va_arg(args, const void *));
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

TEST(Object, StartedRegistryNamesClassesAndCreatesNumberedObjects) {
    fmtest::LogCapture log;
    ASSERT_TRUE(Object_Begin() == 0 && Object_PushLoadForClass(LoadProbe) == 0 &&
                Object_PushLoadForClass(LoadSecond) == 0 && Object_LoadClasses() == 0);
    EXPECT_STREQ(Object_GetClassString(1), "Second"); // from the final list
    EXPECT_EQ(
        (std::vector<int>{Object_AssignClassID("Late"), Object_PushLoadForClass(LoadSecond), Object_LoadClasses()}),
        (std::vector<int>{-1, -1, -1}));
    EXPECT_TRUE(!Object_GetClassString(-1) && !Object_GetClassString(2)); // the count did not move
    Object_t broken = g_proto, o{};
    broken.ANIM = nullptr, broken.LOG = nullptr;
    EXPECT_EQ((std::vector<int>{Object_Create(&o, &broken, nullptr), Object_Create(nullptr, &g_proto, nullptr),
                  Object_Create(&o, nullptr, nullptr)}),
        (std::vector<int>{-1, -1, -1}));
    int x = 5;
    const char *name = "name";
    o.hitbox.x = 77; // creation leaves it alone
    ASSERT_EQ(Object_Create(&o, &g_proto, &x, name, nullptr), 0);
    EXPECT_EQ(g_seen, (std::vector<const void *>{&x, name, nullptr}));
    EXPECT_EQ((std::vector<int>{o.hitbox.x, o.id}), (std::vector<int>{77, 0}))
        << "refused creations took no identifier";
    g_init_result = -1; // a failed INIT keeps its identifier taken
    EXPECT_EQ(Object_Create(&o, &g_proto, nullptr), -1);
    EXPECT_EQ(o.id, 1);
    g_init_result = 1; // anything but -1 is success
    EXPECT_EQ(Object_Create(&o, &g_proto, nullptr), 0);
    EXPECT_EQ(o.id, 2);
    EXPECT_EQ(Object_CleanAll(), 0);
    EXPECT_TRUE(fmtest::InOrder(log.lines(),
        {"Copying class name: Second", "Object system started.",
            "Cannot load classes if the Object system has started.", "Invalid class id:-1", "Invalid class id:2",
            "errno: None) Failed to setup Object ANIM function - Class:Probe", "[WARN] (object:Object_Create():",
            "Prototype given for object creation was NULL.", "Failed to initialise Object - Class: Probe, ID: 1"}));
    EXPECT_FALSE(log.contains("LOG function"));
}

TEST(Object, FailingLoaderLeavesItLoadingAndFullListsRefuse) {
    fmtest::LogCapture log;
    ASSERT_TRUE(Object_Begin() == 0 && Object_PushLoadForClass(LoadProbe) == 0 &&
                Object_PushLoadForClass(LoadFailing) == 0 && Object_PushLoadForClass(LoadSecond) == 0);
    EXPECT_EQ(Object_PushLoadForClass(nullptr) + Object_LoadClasses(), -2);
    EXPECT_EQ(Object_AssignClassID("More"), 1); // still loading, and the loader after the failing one never ran
    for (int i = 3; i < OBJECT_MAX_LOADERS; ++i) ASSERT_EQ(Object_PushLoadForClass(LoadFailing), 0);
    EXPECT_EQ(Object_PushLoadForClass(LoadFailing), -1);
    for (int i = 2; i < OBJECT_MAX_CLASSES; ++i) ASSERT_EQ(Object_AssignClassID("X"), i); // one name, many identifiers
    EXPECT_EQ(Object_AssignClassID("X"), -1);
    EXPECT_STREQ(Object_GetClassString(OBJECT_MAX_CLASSES - 1), "X"); // from the temporary list
    EXPECT_EQ(Object_CleanAll(), 0);
    EXPECT_TRUE(
        fmtest::InOrder(log.lines(), {"Function given for Class loading was NULL.", "Failed to load a Class!"}));
}

TEST(Object, AllocFreeAndTheRegistryWithoutItsLists) {
    fmtest::LogCapture log;
    EXPECT_EQ(Object_Free(Object_Alloc(3)), 0);
    EXPECT_EQ(Object_Alloc(0), nullptr);
    using fmtest::Starved;
    EXPECT_EQ(
        (std::vector<int>{Object_Free(nullptr), Object_CleanAll() /* never begun */, Object_AssignClassID("Early"),
            Object_LoadClasses(), Starved(1, Object_Begin), Object_Begin(), Object_AssignClassID(nullptr),
            Starved(1, [] { return Object_AssignClassID("Copy"); }), /* the name copy */
            Starved(1, Object_LoadClasses)}),                        /* the final list */
        (std::vector<int>{-2, -1, -1, -1, -1, 0, -1, -1, -1}));
    EXPECT_EQ(Object_GetClassString(0), nullptr); // nothing registered yet
    EXPECT_EQ(Object_CleanAll(), 0);
    EXPECT_EQ(
        log.Take(), (fmtest::Lines{"[ERROR] Could not allocate for Object.",
                        "[INFO] Cleaning String data for Object classes.", "[ERROR] Class name list is invalid!",
                        "[ERROR] Class name list is invalid!", "[INFO] Loading Class data from export functions...",
                        "[ERROR] Class name list is invalid!", "[ERROR] Out of memory.",
                        "[ERROR] Given name for class was NULL.", "[INFO] Assigning class ID - Class: Copy, ID: 0",
                        "[ERROR] Out of memory.", "[INFO] Loading Class data from export functions...",
                        "[ERROR] Out of memory.", "[ERROR] Invalid class id:0",
                        "[INFO] Cleaning String data for Object classes.", "[INFO] Class String memory released."}));
}
