#include <gtest/gtest.h>

#include <cstdarg>

#include "object.h"
#include "test_support.h"

namespace {

int g_init_result = 0;
const void *g_seen[4];
int g_seen_count = 0;

int init_probe(Object_t *, va_list args)
{
    g_seen_count = 0;
    for (;;) {
        const void *p = va_arg(args, const void *);
        g_seen[g_seen_count++] = p;
        if (!p || g_seen_count == 4)
            break;
    }
    return g_init_result;
}
int update_stub(Object_t *, World_t *) { return 0; }
int anim_stub(Object_t *) { return 0; }
int log_stub(Object_t *) { return 0; }
int collision_stub(Object_t *, float, float) { return 0; }

Object_t g_proto;
int load_probe()
{
    g_proto.class_id = Object_AssignClassID("Probe");
    g_proto.INIT = init_probe;
    g_proto.UPDATE = update_stub;
    g_proto.ANIM = anim_stub;
    g_proto.LOG = log_stub;
    g_proto.COLLISION = collision_stub;
    return g_proto.class_id == -1 ? -1 : 0;
}
int g_second_calls = 0;
int load_second()
{
    ++g_second_calls;
    return Object_AssignClassID("Second") == -1 ? -1 : 0;
}
int load_failing() { return 1; }

void start(std::initializer_list<ClassLoader_t> loaders)
{
    ASSERT_EQ(Object_Begin(), 0);
    for (auto l : loaders)
        ASSERT_EQ(Object_PushLoadForClass(l), 0);
}

} // namespace

TEST(Object, ClassesGetIdsInQueueOrderAndNamesSurviveTheStart)
{
    fmtest::LogCapture log;
    start({load_probe, load_second});
    ASSERT_EQ(Object_LoadClasses(), 0);
    EXPECT_EQ(g_proto.class_id, 0);
    EXPECT_STREQ(Object_GetClassString(0), "Probe"); /* final list */
    EXPECT_STREQ(Object_GetClassString(1), "Second");
    EXPECT_EQ(Object_GetClassString(2), nullptr);
    EXPECT_EQ(Object_GetClassString(-1), nullptr);
    EXPECT_TRUE(fmtest::InOrder(log.lines(),
        {"Assigning class ID - Class: Probe, ID: 0", "Assigning class ID - Class: Second, ID: 1",
         "Memory allocated for Class Name array, temp String count: 2", "Copying class name: Probe",
         "Copying class name: Second", "Object system started.", "Invalid class id:2",
         "Invalid class id:-1"}));
    EXPECT_EQ(Object_CleanAll(), 0);
}

TEST(Object, StartedRegistryRefusesChanges)
{
    fmtest::LogCapture log;
    start({load_probe});
    ASSERT_EQ(Object_LoadClasses(), 0);
    EXPECT_EQ(Object_AssignClassID("Late"), -1);
    EXPECT_EQ(Object_PushLoadForClass(load_second), -1);
    EXPECT_EQ(Object_LoadClasses(), -1);
    EXPECT_EQ(Object_GetClassString(1), nullptr); /* count unchanged */
    EXPECT_TRUE(log.contains("Object systems have started, cannot get new Class type no."));
    EXPECT_TRUE(log.contains("Object systems have started, cannot set new class for loading."));
    EXPECT_TRUE(log.contains("Cannot load classes if the Object system has started."));
}

TEST(Object, FailingLoaderStopsTheRunAndStaysLoading)
{
    fmtest::LogCapture log;
    start({load_probe, load_failing, load_second});
    EXPECT_EQ(Object_PushLoadForClass(nullptr), -1);
    EXPECT_EQ(Object_LoadClasses(), -1);
    EXPECT_EQ(g_second_calls, 0);
    EXPECT_TRUE(log.contains("Failed to load a Class!"));
    EXPECT_TRUE(log.contains("Function given for Class loading was NULL."));
    /* still loading: more classes may be registered */
    EXPECT_EQ(Object_AssignClassID("More"), 1);
    EXPECT_EQ(Object_AssignClassID("More"), 2); /* same name twice, two ids */
    EXPECT_STREQ(Object_GetClassString(2), "More"); /* from the temporary list */
    EXPECT_EQ(Object_CleanAll(), 0);
}

TEST(Object, QueueAndIdListRefuseToOverflow)
{
    fmtest::LogCapture log;
    start({});
    for (int i = 0; i < OBJECT_MAX_LOADERS; ++i)
        ASSERT_EQ(Object_PushLoadForClass(load_failing), 0);
    EXPECT_EQ(Object_PushLoadForClass(load_failing), -1);
    for (int i = 0; i < OBJECT_MAX_CLASSES; ++i)
        ASSERT_EQ(Object_AssignClassID("X"), i);
    EXPECT_EQ(Object_AssignClassID("X"), -1);
    EXPECT_EQ(Object_GetClassString(OBJECT_MAX_CLASSES - 1)[0], 'X');
    EXPECT_EQ(Object_CleanAll(), 0);
}

TEST(Object, CreateCopiesSlotsPassesArgumentsAndNumbersObjects)
{
    fmtest::LogCapture log;
    start({load_probe});
    ASSERT_EQ(Object_LoadClasses(), 0);
    Object_t a{}, b{};
    int x = 5;
    const char *name = "name";
    a.hitbox.x = 77; /* left alone by creation */
    ASSERT_EQ(Object_Create(&a, &g_proto, &x, name, (void *)nullptr), 0);
    ASSERT_EQ(g_seen_count, 3);
    EXPECT_EQ(g_seen[0], &x);
    EXPECT_EQ(g_seen[1], name);
    EXPECT_EQ(g_seen[2], nullptr);
    EXPECT_EQ(a.hitbox.x, 77);
    EXPECT_EQ(a.UPDATE, update_stub);
    EXPECT_EQ(a.id, 0);

    g_init_result = -1; /* a failed INIT keeps its id taken */
    EXPECT_EQ(Object_Create(&b, &g_proto, (void *)nullptr), -1);
    EXPECT_EQ(b.id, 1);
    g_init_result = 1; /* anything but -1 is success */
    EXPECT_EQ(Object_Create(&b, &g_proto, (void *)nullptr), 0);
    EXPECT_EQ(b.id, 2);
    EXPECT_TRUE(fmtest::InOrder(log.lines(), {"Prototype is valid, creating Object of Class: Probe",
        "Failed to initialise Object - Class: Probe, ID: 1", "Could not create object of Class Probe"}));
}

TEST(Object, CreateChecksSlotsInOrderAndRefusesNulls)
{
    fmtest::LogCapture log;
    start({load_probe});
    ASSERT_EQ(Object_LoadClasses(), 0);
    Object_t proto = g_proto;
    proto.ANIM = nullptr;
    proto.LOG = nullptr;
    Object_t o{};
    EXPECT_EQ(Object_Create(&o, &proto, (void *)nullptr), -1);
    EXPECT_EQ(o.class_id, proto.class_id);
    EXPECT_EQ(o.UPDATE, update_stub);
    EXPECT_TRUE(fmtest::InOrder(log.lines(), {"errno: None) Failed to setup Object ANIM function - Class:Probe",
        "[WARN] (object:Object_Create():"}));
    EXPECT_FALSE(log.contains("LOG function"));
    /* the counter did not move */
    EXPECT_EQ(Object_Create(&o, &g_proto, (void *)nullptr), 0);
    EXPECT_EQ(o.id, 0);

    EXPECT_EQ(Object_Create(nullptr, &g_proto, (void *)nullptr), -1);
    EXPECT_TRUE(log.contains("Attempting to create an object that is NULL, please preallocate."));
    EXPECT_EQ(Object_Create(&o, nullptr, (void *)nullptr), -1);
    EXPECT_TRUE(log.contains("Prototype given for object creation was NULL."));
}

TEST(Object, AllocFreeAndCleaningWithoutAList)
{
    fmtest::LogCapture log;
    Object_t *block = Object_Alloc(3);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[2].id, 0);
    EXPECT_EQ(block[2].UPDATE, nullptr);
    EXPECT_EQ(Object_Free(block), 0);
    EXPECT_EQ(Object_Free(nullptr), -2);
    EXPECT_EQ(Object_CleanAll(), -1); /* never begun */
    EXPECT_TRUE(fmtest::InOrder(log.lines(), {"Cleaning String data for Object classes.", "Class name list is invalid!"}));
}
