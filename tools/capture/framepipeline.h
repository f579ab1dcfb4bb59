// Frames pass from the renderer, which owns the GL context, to a writer
// thread through a few buffers, so that drawing and encoding overlap.
#ifndef CAPTURE_FRAMEPIPELINE_H
#define CAPTURE_FRAMEPIPELINE_H

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framesinks.h"

class FramePipeline {
public:
    // Starts the writer, which hands sink the frames in the order submitted.
    FramePipeline(FrameSink *sink, size_t frameBytes, int buffers);
    // Stops the writer as Abort does if Close was not called.
    ~FramePipeline();
    FramePipeline(const FramePipeline &) = delete;
    FramePipeline &operator=(const FramePipeline &) = delete;

    // A buffer to draw the next frame into, once the writer has freed one;
    // null once the writer has failed.
    unsigned char *Acquire();
    // Queues a buffer from Acquire, filled, for writing.
    void Submit(unsigned char *frame);
    // Waits until every submitted frame is written and ends the writer.
    // Answers false with the first write's error when one failed.
    bool Close(std::string *error);
    // Ends the writer after the frame it is writing; queued frames are dropped.
    void Abort();
    // Frames written so far.
    int Written() const { return written_; }

private:
    void Run();
    void Stop(bool dropQueued);

    FrameSink *sink_;
    std::vector<std::vector<unsigned char>> storage_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<unsigned char *> free_, queued_;
    bool closing_ = false, aborting_ = false, failed_ = false;
    std::string error_;
    std::atomic<int> written_{0};
    std::thread writer_;
};

#endif
