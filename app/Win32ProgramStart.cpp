// Start-up on Windows: the executable and module from the loader, and the
// console window hidden at once, its output sent to a log file instead.
#include "app/ProgramStart.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

namespace Sorva {

namespace {

// True when a standard handle shows nowhere once the console is hidden: the
// console itself, or no handle at all. A file or pipe it was redirected to
// is left alone.
bool goesToConsole(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return true;
    const DWORD type = GetFileType(handle);
    return type == FILE_TYPE_CHAR || type == FILE_TYPE_UNKNOWN;
}

// The log beside the executable, or in the temporary folder when that
// folder is read-only; -1 when neither can be written.
int openLog() {
    const std::filesystem::path exe = executablePath();
    std::filesystem::path candidates[2] = {exe.parent_path() / exe.stem(), {}};
    wchar_t temp[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, temp) > 0)
        candidates[1] = std::filesystem::path(temp) / exe.stem();
    for (std::filesystem::path& candidate : candidates) {
        if (candidate.empty() || candidate.filename().empty())
            continue;
        candidate += ".log";
        const int fd = _wopen(candidate.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY,
                              _S_IREAD | _S_IWRITE);
        if (fd >= 0)
            return fd;
    }
    return -1;
}

void redirect(int log, std::FILE* stream, int fd, DWORD which) {
    std::fflush(stream);
    if (_dup2(log, fd) != 0)
        return;
    SetStdHandle(which, reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
    // In order with the other stream, and complete should the program end.
    std::setvbuf(stream, nullptr, _IONBF, 0);
}

} // namespace

std::filesystem::path executablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void* ownModule() {
    return GetModuleHandleA(nullptr);
}

void hideConsole() {
    if (const HWND console = GetConsoleWindow())
        ShowWindow(console, SW_HIDE);
    const bool out = goesToConsole(STD_OUTPUT_HANDLE);
    const bool err = goesToConsole(STD_ERROR_HANDLE);
    if (!out && !err)
        return;
    const int log = openLog();
    if (log < 0)
        return;
    if (out)
        redirect(log, stdout, 1, STD_OUTPUT_HANDLE);
    if (err)
        redirect(log, stderr, 2, STD_ERROR_HANDLE);
    _close(log);
}

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
