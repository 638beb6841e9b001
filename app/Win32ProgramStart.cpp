// Start-up on Windows: the executable and module from the loader, and the
// console window it was given hidden at once, its output sent to a log file
// instead; a fatal failure told in a message box as well.
#include "app/FatalMessage.h"
#include "app/ProgramStart.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

namespace Sorva {

namespace {

// Where standard output and error were sent when the console was hidden;
// empty while they go where they were given.
std::filesystem::path& logPath() {
    static std::filesystem::path path;
    return path;
}

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
// folder is read-only; -1 when neither can be written. Remembers which.
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
        if (fd >= 0) {
            logPath() = candidate;
            return fd;
        }
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

// UTF-8 text as Windows' wide characters; the ANSI code page's reading of it
// when it is not UTF-8.
std::wstring wide(const std::string& text) {
    for (const UINT page : {UINT(CP_UTF8), UINT(CP_ACP)}) {
        const DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int length =
            MultiByteToWideChar(page, flags, text.data(), int(text.size()), nullptr, 0);
        if (length <= 0)
            continue;
        std::wstring result(std::size_t(length), L'\0');
        MultiByteToWideChar(page, flags, text.data(), int(text.size()), result.data(), length);
        return result;
    }
    return {};
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
    // A console shared with another process (the command prompt the program
    // was started from) is the viewer's own: it stays, and is written to.
    // Only one made for this program alone, on a double-click, goes.
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) > 1)
        return;
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

void reportFatal(const char* message) {
    std::fprintf(stderr, "%s\n", message);
    std::wstring text = wide(message);
    if (!logPath().empty())
        text += L"\n\nThe log: " + logPath().wstring();
    // Owned by no window: the program's own are gone, and another program's
    // window must not be held up by it.
    MessageBoxW(nullptr, text.c_str(), L"Halvo cannot start",
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

int programEnds(int status) {
    return status;
}

} // namespace Sorva
