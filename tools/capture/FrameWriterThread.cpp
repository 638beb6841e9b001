// The writer thread and the frame pool it shares with the render loop.
#include "tools/capture/FrameWriterThread.h"

#include "tools/capture/FrameSink.h"

namespace Sorva {

FrameWriterThread::FrameWriterThread(FrameSink& sink, int width, int height, int depth)
    : sink_(sink), pool_(static_cast<std::size_t>(depth)) {
    for (Frame& frame : pool_) {
        frame.width = width;
        frame.height = height;
        frame.pixels.resize(static_cast<std::size_t>(width) * height * Frame::channels);
        free_.push_back(&frame);
    }
    thread_ = std::thread([this] { run(); });
}

FrameWriterThread::~FrameWriterThread() {
    stop(true);
}

void FrameWriterThread::stop(bool discard) {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        discard_ = discard_ || discard;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void FrameWriterThread::rethrowFailure() {
    if (failure_)
        std::rethrow_exception(failure_);
}

Frame& FrameWriterThread::acquire() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty() || failure_; });
    rethrowFailure();
    Frame* frame = free_.front();
    free_.pop_front();
    return *frame;
}

void FrameWriterThread::submit(Frame& frame) {
    {
        std::lock_guard lock(mutex_);
        queued_.push_back(&frame);
    }
    changed_.notify_all();
}

void FrameWriterThread::cancel() {
    stop(true);
}

void FrameWriterThread::finish() {
    stop(false);
    rethrowFailure();
    sink_.finish();
}

void FrameWriterThread::run() {
    for (;;) {
        Frame* frame = nullptr;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !queued_.empty() || closing_; });
            // Finishing drains the queue; failing or cancelling does not.
            if (queued_.empty() || failure_ || discard_)
                return;
            frame = queued_.front();
            queued_.pop_front();
        }
        try {
            sink_.write(*frame);
        } catch (...) {
            std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            free_.push_back(frame);
        }
        changed_.notify_all();
    }
}

} // namespace Sorva
