// Hands every frame to two sinks, so that one run can write pictures and
// the show report.
#pragma once

#include "tools/capture/FrameSink.h"

namespace Sorva {

class TeeSink : public FrameSink {
public:
    TeeSink(FrameSink& first, FrameSink& second) : first_(first), second_(second) {}

    void write(const Frame& frame) override;
    void finish() override;
    void abandon() override;

private:
    FrameSink& first_;
    FrameSink& second_;
};

} // namespace Sorva
