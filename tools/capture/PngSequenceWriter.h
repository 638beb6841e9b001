// Writes each frame as DIR/frame-NNNNNN.png, NNNNNN being its frame number
// counted from the show's start.
#pragma once

#include "tools/capture/FrameSink.h"

#include <filesystem>
#include <string>

namespace Sorva {

class PngSequenceWriter : public FrameSink {
public:
    // Creates the directory when missing; throws std::runtime_error naming
    // it when it cannot be created or written.
    explicit PngSequenceWriter(std::filesystem::path dir);

    void write(const Frame& frame) override;
    void finish() override {}

    static std::string fileName(std::int64_t frameNumber);

private:
    std::filesystem::path dir_;
};

} // namespace Sorva
