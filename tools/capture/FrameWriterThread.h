// Encodes and writes frames on a thread of its own while the next frames
// render: a fixed pool of frame buffers passes between the two threads, so
// nothing is allocated per frame and a slow writer holds rendering back
// instead of piling up frames.
#pragma once

#include "tools/capture/Frame.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace Sorva {

class FrameSink;

class FrameWriterThread {
public:
    // Pool of `depth` frames of width x height; starts the thread.
    FrameWriterThread(FrameSink& sink, int width, int height, int depth = 3);
    // Stops the thread; call finish() first to keep what it wrote.
    ~FrameWriterThread();
    FrameWriterThread(const FrameWriterThread&) = delete;
    FrameWriterThread& operator=(const FrameWriterThread&) = delete;

    // A free frame to fill; waits while all are queued. Throws the writer's
    // error once it has failed.
    Frame& acquire();
    // Queues a frame from acquire() for writing.
    void submit(Frame& frame);
    // Writes what is queued, stops the thread and finishes the sink; throws
    // the writer's error if any.
    void finish();
    // Drops what is queued and stops the thread; the sink is left as it is,
    // for its owner to abandon.
    void cancel();

private:
    void run();
    void stop(bool discard);
    void rethrowFailure();

    FrameSink& sink_;
    std::vector<Frame> pool_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Frame*> free_;
    std::deque<Frame*> queued_;
    bool closing_ = false;
    bool discard_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace Sorva
