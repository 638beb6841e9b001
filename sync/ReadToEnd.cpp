// Reading the rest of an opened data file, the same on every platform.
#include "sync/RegularFile.h"

namespace Sorva {

bool readToEnd(std::FILE* file, std::string& text, std::uintmax_t maxBytes) {
    char buffer[64 * 1024];
    std::uintmax_t total = 0;
    bool tooLong = false;
    for (std::size_t got; !tooLong && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        total += got;
        tooLong = total > maxBytes;
        if (!tooLong)
            text.append(buffer, got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed && !tooLong;
}

} // namespace Sorva
