#include "app/ShowDirectory.h"

#include <filesystem>
#include <system_error>

namespace Sorva {

void enterShowDirectory(const std::filesystem::path& fromExecutable,
                        const std::filesystem::path& marker) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(marker, ec))
        return;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        fs::current_path(exe.parent_path() / fromExecutable, ec);
}

} // namespace Sorva
