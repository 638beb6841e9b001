// Opening data files on Windows, refusing anything that is not a file on
// disk. Paths are UTF-8, as everywhere in the program, and are opened through
// the wide API, so that any folder name works whatever the ANSI code page.
#include "sync/RegularFile.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace Sorva {

namespace {

std::wstring widened(const std::string& path) {
    const auto convert = [&](UINT codePage, DWORD flags) {
        const int size =
            MultiByteToWideChar(codePage, flags, path.data(), int(path.size()), nullptr, 0);
        std::wstring wide(std::size_t(size), L'\0');
        MultiByteToWideChar(codePage, flags, path.data(), int(path.size()), wide.data(), size);
        return wide;
    };
    // A name that is not UTF-8 came from an ANSI API.
    std::wstring wide = convert(CP_UTF8, MB_ERR_INVALID_CHARS);
    return wide.empty() && !path.empty() ? convert(CP_ACP, 0) : wide;
}

RegularFile failed(DWORD error) {
    RegularFile result;
    // The same words as on Linux for what a user meets most.
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        result.missing = error != ERROR_INVALID_NAME;
        result.problem = std::strerror(ENOENT);
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
        result.problem = std::strerror(EACCES);
        break;
    default:
        result.problem = std::system_category().message(int(error));
        while (!result.problem.empty() &&
               (result.problem.back() == '\n' || result.problem.back() == '\r' ||
                result.problem.back() == '.'))
            result.problem.pop_back();
    }
    return result;
}

RegularFile refused(const char* kind) {
    RegularFile result;
    result.problem = std::string(kind) + ", not a regular file";
    return result;
}

// Opens path for access in the given way, refusing folders before opening
// and anything but a disk file once open (a pipe or a device such as CON or
// NUL), then hands the handle to the C runtime in binary mode.
RegularFile openChecked(const std::string& path, DWORD access, DWORD disposition, const char* mode,
                        std::uintmax_t maxBytes) {
    const std::wstring wide = widened(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return refused("a directory");
    if (attributes == INVALID_FILE_ATTRIBUTES && disposition == OPEN_EXISTING)
        return failed(GetLastError());

    HANDLE handle =
        CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return failed(GetLastError());
    const DWORD type = GetFileType(handle);
    if (type != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return refused(type == FILE_TYPE_PIPE ? "a pipe" : "a character device");
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        return failed(error);
    }
    if (std::uintmax_t(size.QuadPart) > maxBytes) {
        CloseHandle(handle);
        RegularFile result;
        result.problem = std::to_string(size.QuadPart) + " bytes, more than the " +
                         std::to_string(maxBytes) + " allowed";
        return result;
    }
    // Emptied only now that it is known to be a file.
    if ((access & GENERIC_WRITE) && !SetEndOfFile(handle)) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        return failed(error);
    }
    const int flags = ((access & GENERIC_WRITE) ? _O_WRONLY : _O_RDONLY) | _O_BINARY;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) {
        CloseHandle(handle);
        return failed(ERROR_TOO_MANY_OPEN_FILES);
    }
    RegularFile result;
    result.file = _fdopen(fd, mode);
    if (!result.file) {
        _close(fd);
        return failed(ERROR_NOT_ENOUGH_MEMORY);
    }
    return result;
}

} // namespace

RegularFile openRegularFile(const std::string& path, std::uintmax_t maxBytes) {
    return openChecked(path, GENERIC_READ, OPEN_EXISTING, "rb", maxBytes);
}

RegularFile createRegularFile(const std::string& path) {
    return openChecked(path, GENERIC_WRITE, OPEN_ALWAYS, "wb", anySize);
}

} // namespace Sorva
