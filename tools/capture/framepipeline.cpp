#include "framepipeline.h"

FramePipeline::FramePipeline(FrameSink *sink, size_t frameBytes, int buffers)
    : sink_(sink), storage_(size_t(buffers), std::vector<unsigned char>(frameBytes))
{
    for (std::vector<unsigned char> &buffer : storage_) free_.push_back(buffer.data());
    writer_ = std::thread(&FramePipeline::Run, this);
}

FramePipeline::~FramePipeline()
{
    Abort();
}

unsigned char *FramePipeline::Acquire()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return failed_ || aborting_ || !free_.empty(); });
    if (failed_ || aborting_) return nullptr;
    unsigned char *frame = free_.front();
    free_.pop_front();
    return frame;
}

void FramePipeline::Submit(unsigned char *frame)
{
    std::lock_guard<std::mutex> lock(mutex_);
    queued_.push_back(frame);
    changed_.notify_all();
}

bool FramePipeline::Close(std::string *error)
{
    Stop(false);
    if (failed_) *error = error_;
    return !failed_;
}

void FramePipeline::Abort()
{
    Stop(true);
}

void FramePipeline::Stop(bool dropQueued)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        aborting_ = aborting_ || dropQueued;
        changed_.notify_all();
    }
    if (writer_.joinable()) writer_.join();
}

void FramePipeline::Run()
{
    for (;;) {
        unsigned char *frame;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return aborting_ || closing_ || !queued_.empty(); });
            if (aborting_ || queued_.empty()) return;
            frame = queued_.front();
            queued_.pop_front();
        }
        std::string error;
        const bool ok = sink_->Write(frame, &error);
        std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(frame);
        if (!ok) {
            failed_ = true;
            error_ = error;
            changed_.notify_all();
            return;
        }
        written_++;
        changed_.notify_all();
    }
}
