// PATH lookup.
#include "tools/capture/FindOnPath.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace Sorva {

std::filesystem::path findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    std::size_t begin = 0;
    while (begin <= dirs.size()) {
        std::size_t end = dirs.find(':', begin);
        if (end == std::string::npos)
            end = dirs.size();
        const std::filesystem::path candidate =
            std::filesystem::path(end == begin ? "." : dirs.substr(begin, end - begin)) / name;
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        begin = end + 1;
    }
    return {};
}

} // namespace Sorva
