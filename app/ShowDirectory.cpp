#include "app/ShowDirectory.h"

#include <filesystem>
#include <system_error>

namespace Sorva {

void enterShowDirectory() {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory("data", ec))
        return;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        fs::current_path(exe.parent_path(), ec);
}

} // namespace Sorva
