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

// Opens path with the flags, refusing anything that is not a regular file:
// looked at before opening, so that no device is ever opened, and again once
// open, in case the path was replaced in between. Non-blocking while opened;
// the flag means nothing to a regular file.
RegularFile openChecked(const std::string& path, int flags, const char* mode,
                        std::uintmax_t maxBytes) {
    struct stat info {};
    const bool exists = stat(path.c_str(), &info) == 0;
    const int statError = exists ? 0 : errno;
    if (!exists && (statError != ENOENT || !(flags & O_CREAT)))
        return failed(statError);
    if (exists && !S_ISREG(info.st_mode))
        return refused(info.st_mode);

    const int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
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
    if (std::uintmax_t(info.st_size) > maxBytes) {
        close(fd);
        RegularFile result;
        result.problem = std::to_string(info.st_size) + " bytes, more than the " +
                         std::to_string(maxBytes) + " allowed";
        return result;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    RegularFile result;
    result.file = fdopen(fd, mode);
    if (!result.file) {
        const int error = errno;
        close(fd);
        return failed(error);
    }
    return result;
}

} // namespace

RegularFile openRegularFile(const std::string& path, std::uintmax_t maxBytes) {
    return openChecked(path, O_RDONLY, "rb", maxBytes);
}

RegularFile createRegularFile(const std::string& path) {
    return openChecked(path, O_WRONLY | O_CREAT | O_TRUNC, "wb", anySize);
}

} // namespace Sorva
