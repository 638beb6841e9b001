// Linked into every program of the sanitizer build (HALVO_SANITIZE).
#include <dlfcn.h>

// The leak checker reads the tree's suppressions without being told (a
// suppressions= in LSAN_OPTIONS takes their place).
extern "C" const char* __lsan_default_options() {
    return "suppressions=" HALVO_LSAN_SUPPRESSIONS;
}

// No library is unloaded: the leak check runs at exit, and a library unloaded
// before it (the GL driver goes with the window) leaves its caches pointed to
// from nowhere, reported as leaks in an unknown module. Loaded, its globals
// still hold them, and what it does leak is reported under its name.
extern "C" int dlclose(void*) {
    return 0;
}
