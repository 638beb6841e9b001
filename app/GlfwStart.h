// Starting GLFW with its errors kept, and failing start-up with the cause:
// what every platform's display context does the same way.
#pragma once

#include <string>

namespace Sorva {

// Starts the window system, keeping GLFW's errors from now on.
bool startGlfw();

// The description of GLFW's latest error, or a fallback when it gave none.
std::string glfwCause(const char* fallback);

// Forgets the latest error, so that the next call's can be told.
void clearGlfwCause();

// Ends the window system and throws Rexception(what).
[[noreturn]] void failStartup(const std::string& what);

} // namespace Sorva
