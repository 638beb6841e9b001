// One frame, two sinks.
#include "tools/capture/TeeSink.h"

namespace Sorva {

void TeeSink::write(const Frame& frame) {
    first_.write(frame);
    second_.write(frame);
}

void TeeSink::finish() {
    first_.finish();
    second_.finish();
}

void TeeSink::abandon() {
    first_.abandon();
    second_.abandon();
}

} // namespace Sorva
