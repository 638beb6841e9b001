// GLFW's errors, kept by an error callback: the way to learn them that every
// GLFW 3 release has.
#include "app/GlfwStart.h"

#include "sync/Rexception.h"

#include <GLFW/glfw3.h>

namespace Sorva {

namespace {

std::string& latestGlfwError() {
    static std::string description;
    return description;
}

void keepGlfwError(int, const char* description) {
    latestGlfwError() = description ? description : "";
}

} // namespace

bool startGlfw() {
    glfwSetErrorCallback(&keepGlfwError);
    latestGlfwError().clear();
    return glfwInit() != 0;
}

std::string glfwCause(const char* fallback) {
    const std::string& description = latestGlfwError();
    return description.empty() ? fallback : description;
}

void clearGlfwCause() {
    latestGlfwError().clear();
}

void failStartup(const std::string& what) {
    glfwTerminate();
    throw Rexception(what);
}

} // namespace Sorva
