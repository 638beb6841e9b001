// Start-up in a browser: the show's files are the page's data package at the
// root of its file system, where the program starts; no console, no module.
#include "app/ProgramStart.h"

namespace Sorva {

std::filesystem::path executablePath() {
    return {};
}

void* ownModule() {
    return nullptr;
}

void hideConsole() {}

} // namespace Sorva
