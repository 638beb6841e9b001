// Start-up on Linux: the executable from /proc; there is no console window
// to hide on X11, and no module handle.
#include "app/ProgramStart.h"

#include <system_error>

namespace Sorva {

std::filesystem::path executablePath() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

void* ownModule() {
    return nullptr;
}

void hideConsole() {}

std::string pageQuery() {
    return {};
}

bool shaderEchoUnasked() {
    return true;
}

void deliverStill(const StillFrame&) {}

int programEnds(int status) {
    return status;
}

} // namespace Sorva
