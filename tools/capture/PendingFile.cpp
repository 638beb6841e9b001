// Temporary name, checks and the final rename.
#include "tools/capture/PendingFile.h"

#include <stdexcept>
#include <string>
#include <system_error>
#include <unistd.h>

namespace Sorva {

namespace fs = std::filesystem;

PendingFile::PendingFile(fs::path finalPath) : final_(fs::absolute(std::move(finalPath))) {
    const fs::path dir = final_.parent_path();
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        throw std::runtime_error("cannot write " + final_.string() + ": no directory " +
                                 dir.string());
    if (fs::is_directory(final_, ec))
        throw std::runtime_error("cannot write " + final_.string() + ": it is a directory");
    if (access(dir.c_str(), W_OK) != 0)
        throw std::runtime_error("cannot write " + final_.string() + ": directory " + dir.string() +
                                 " is not writable");
    // Hidden, and unique to this process.
    std::string name(".");
    name += final_.filename().string();
    name += '.';
    name += std::to_string(getpid());
    name += ".part";
    temporary_ = dir / name;
}

PendingFile::~PendingFile() {
    if (!committed_)
        discard();
}

void PendingFile::commit() {
    std::error_code ec;
    fs::rename(temporary_, final_, ec);
    if (ec)
        throw std::runtime_error("cannot rename " + temporary_.string() + " to " + final_.string() +
                                 ": " + ec.message());
    committed_ = true;
}

void PendingFile::discard() {
    std::error_code ec;
    fs::remove(temporary_, ec);
}

} // namespace Sorva
