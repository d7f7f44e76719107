#include <climits>
#include <cstring>

#include "object.h"

#include "ashare/alloc.h"
#define FM_LOG_FILE "object"
#include "ashare/log.h"

/* Stored beside the collision kinds it names, so that the classes reading it
 * need nothing from the shell, which fills it at start-up. */
char *CollisionNames[COLLISION_KIND_COUNT];

namespace {
int g_started = 0;
ClassLoader_t g_loaders[OBJECT_MAX_LOADERS];
int g_loader_count = 0;
int g_class_count = 0;
char **g_temp_names = nullptr;  /* OBJECT_MAX_CLASSES slots while loading */
char **g_final_names = nullptr; /* exactly g_class_count slots once started */
int32_t g_next_id = 0;
bool g_ids_exhausted = false;

const char *ClassNameOrNull(int id)
{
    return Object_GetClassString(id);
}
} // namespace

int Object_Begin(void)
{
    g_temp_names = static_cast<char **>(Mem_Calloc(OBJECT_MAX_CLASSES, sizeof(char *)));
    if (!g_temp_names) {
        LOG_ERR("Out of memory.");
        return -1;
    }
    return 0;
}

int Object_PushLoadForClass(ClassLoader_t loader)
{
    if (g_started) {
        LOG_ERR("Object systems have started, cannot set new class for loading.");
        return -1;
    }
    if (!loader) {
        LOG_ERR("Function given for Class loading was NULL.");
        return -1;
    }
    /* The queue has fixed room; writing past it would corrupt the registry. */
    if (g_loader_count >= OBJECT_MAX_LOADERS) {
        LOG_ERR("No room to queue another Class loader.");
        return -1;
    }
    g_loaders[g_loader_count++] = loader;
    return 0;
}

int Object_AssignClassID(const char *name)
{
    if (g_started) {
        LOG_ERR("Object systems have started, cannot get new Class type no.");
        return -1;
    }
    if (!name) {
        LOG_ERR("Given name for class was NULL.");
        return -1;
    }
    if (!g_temp_names) {
        LOG_ERR("Class name list is invalid!");
        return -1;
    }
    if (g_class_count >= OBJECT_MAX_CLASSES) {
        LOG_ERR("No room for another Class ID.");
        return -1;
    }
    LOG_INFO("Assigning class ID - Class: %s, ID: %d", name, g_class_count);
    char *copy = Mem_StrDup(name);
    if (!copy) {
        LOG_ERR("Out of memory.");
        return -1;
    }
    g_temp_names[g_class_count] = copy;
    return g_class_count++;
}

int Object_LoadClasses(void)
{
    if (g_started) {
        LOG_ERR("Cannot load classes if the Object system has started.");
        return -1;
    }
    LOG_INFO("Loading Class data from export functions...");
    for (int i = 0; i < g_loader_count; ++i) {
        if (g_loaders[i]() != 0) {
            LOG_ERR("Failed to load a Class!");
            return -1;
        }
    }
    if (!g_temp_names) {
        LOG_ERR("Class name list is invalid!");
        return -1;
    }
    /* One slot at least, so an empty registry still has a list to free. */
    char **names =
        static_cast<char **>(Mem_Calloc(g_class_count > 0 ? g_class_count : 1, sizeof(char *)));
    if (!names) {
        LOG_ERR("Out of memory.");
        return -1;
    }
    LOG_INFO("Memory allocated for Class Name array, temp String count: %d", g_class_count);
    for (int i = 0; i < g_class_count; ++i) {
        names[i] = g_temp_names[i];
        g_temp_names[i] = nullptr;
        LOG_INFO("Copying class name: %s", names[i]);
    }
    Mem_Free(g_temp_names);
    g_temp_names = nullptr;
    g_final_names = names;
    LOG_INFO("Object system started.");
    g_started = 1;
    return 0;
}

const char *Object_GetClassString(int id)
{
    if (id < 0 || id >= g_class_count) {
        LOG_ERR("Invalid class id:%d", id);
        return nullptr;
    }
    char **list = g_started ? g_final_names : g_temp_names;
    if (!list || !list[id]) {
        LOG_ERR("Bad Class name string, id:%d.", id);
        return nullptr;
    }
    return list[id];
}

int Object_Create(Object_t *object, const Object_t *prototype, ...)
{
    /* Without a prototype there is no class to name or copy from. */
    if (!prototype) {
        LOG_ERR("Prototype given for object creation was NULL.");
        LOG_WARN("Could not create object of Class %s", "(null)");
        return -1;
    }
    if (!object) {
        LOG_ERR("Attempting to create an object that is NULL, please preallocate.");
    } else {
        LOG_DEBUG("Prototype is valid, creating Object of Class: %s",
                  ClassNameOrNull(prototype->class_id));
        LOG_DEBUG_FLUSH();
        object->class_id = prototype->class_id;
        object->INIT = prototype->INIT;
        object->ANIM = prototype->ANIM;
        object->UPDATE = prototype->UPDATE;
        object->LOG = prototype->LOG;
        object->COLLISION = prototype->COLLISION;

        /* Looked up only when a line needs it: the lookup itself logs an
         * unregistered class, which a successful creation must not. */
        const auto name = [prototype] { return ClassNameOrNull(prototype->class_id); };
        bool slots_ok = false;
        if (!object->INIT)
            LOG_ERR("Failed to setup Object INIT function - Class:%s", name());
        else if (!object->UPDATE)
            LOG_ERR("Failed to setup Object UPDATE function - Class:%s", name());
        else if (!object->ANIM)
            LOG_ERR("Failed to setup Object ANIM function - Class:%s", name());
        else if (!object->LOG)
            LOG_ERR("Failed to setup Object LOG function - Class:%s", name());
        else if (!object->COLLISION)
            LOG_ERR("Failed to setup Object COLLISION function - Class:%s", name());
        else
            slots_ok = true;

        if (!slots_ok) {
            /* reported above */
        } else if (g_ids_exhausted) {
            LOG_ERR("Could not generate a proper ID for object!");
        } else {
            object->id = g_next_id;
            if (g_next_id == INT32_MAX)
                g_ids_exhausted = true;
            else
                ++g_next_id;

            va_list args;
            va_start(args, prototype);
            const int result = object->INIT(object, args);
            va_end(args);
            if (result != -1)
                return 0;
            LOG_ERR("Failed to initialise Object - Class: %s, ID: %d",
                    ClassNameOrNull(prototype->class_id), object->id);
        }
    }
    LOG_WARN("Could not create object of Class %s", ClassNameOrNull(prototype->class_id));
    return -1;
}

Object_t *Object_Alloc(int count)
{
    Object_t *block =
        count > 0
            ? static_cast<Object_t *>(Mem_Calloc(static_cast<size_t>(count), sizeof(Object_t)))
            : nullptr;
    if (!block)
        LOG_ERR("Could not allocate for Object.");
    return block;
}

int Object_Free(Object_t *block)
{
    if (!block)
        return -2;
    Mem_Free(block);
    return 0;
}

int Object_CleanAll(void)
{
    char **list = g_started ? g_final_names : g_temp_names;
    LOG_INFO("Cleaning String data for Object classes.");
    LOG_DEBUG_FLUSH();
    if (!list) {
        LOG_ERR("Class name list is invalid!");
        return -1;
    }
    for (int i = 0; i < g_class_count; ++i)
        Mem_Free(list[i]);
    Mem_Free(list);
    if (g_started)
        g_final_names = nullptr;
    else
        g_temp_names = nullptr;
    LOG_INFO("Class String memory released.");
    return 0;
}
