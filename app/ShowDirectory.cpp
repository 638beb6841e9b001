// Entering the show directory from wherever the program was started.
#include "app/ShowDirectory.h"

#include "app/ProgramStart.h"

#include <filesystem>
#include <system_error>

namespace Sorva {

void enterShowDirectory(const std::filesystem::path& fromExecutable,
                        const std::filesystem::path& marker) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(marker, ec))
        return;
    const fs::path exe = executablePath();
    if (!exe.empty())
        fs::current_path(exe.parent_path() / fromExecutable, ec);
}

} // namespace Sorva
