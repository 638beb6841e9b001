// Numbered PNG frames in a directory, encoded with libpng (see PngFile).
#include "tools/capture/PngSequenceWriter.h"

#include "tools/capture/Frame.h"
#include "tools/capture/PngFile.h"

#include <cstdio>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace Sorva {

namespace fs = std::filesystem;

PngSequenceWriter::PngSequenceWriter(fs::path dir) : dir_(fs::absolute(std::move(dir))) {
    std::error_code ec;
    fs::create_directories(dir_, ec);
    if (!fs::is_directory(dir_))
        throw std::runtime_error("cannot write frames into " + dir_.string() + ": " +
                                 (ec ? ec.message() : "not a directory"));
    if (access(dir_.c_str(), W_OK) != 0)
        throw std::runtime_error("cannot write frames into " + dir_.string() +
                                 ": the directory is not writable");
}

std::string PngSequenceWriter::fileName(std::int64_t frameNumber) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(frameNumber));
    return name;
}

void PngSequenceWriter::write(const Frame& frame) {
    writePng(dir_ / fileName(frame.number), frame.width, frame.height, frame.pixels.data());
}

} // namespace Sorva
