// Opening data files, refusing anything that is not a regular file.
#include "sync/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Sorva {

namespace {

const char* kindOf(mode_t mode) {
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a file";
}

RegularFile failed(int error) {
    RegularFile result;
    result.missing = error == ENOENT;
    result.problem = std::strerror(error);
    return result;
}

RegularFile refused(mode_t mode) {
    RegularFile result;
    result.problem = std::string(kindOf(mode)) + ", not a regular file";
    return result;
}

} // namespace

RegularFile openRegularFile(const std::string& path) {
    // Looked at before opening, so that no device is ever opened.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return failed(errno);
    if (!S_ISREG(info.st_mode))
        return refused(info.st_mode);

    // Non-blocking, and checked again once open, in case the path was
    // replaced in between; the flag means nothing to a regular file.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    if (fstat(fd, &info) != 0) {
        const int error = errno;
        close(fd);
        return failed(error);
    }
    if (!S_ISREG(info.st_mode)) {
        close(fd);
        return refused(info.st_mode);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    RegularFile result;
    result.file = fdopen(fd, "rb");
    if (!result.file) {
        const int error = errno;
        close(fd);
        return failed(error);
    }
    return result;
}

bool readToEnd(std::FILE* file, std::string& text) {
    char buffer[64 * 1024];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

} // namespace Sorva
