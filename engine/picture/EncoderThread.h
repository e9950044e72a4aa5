// The video encoder on a thread of its own. Decoding, deinterlacing and
// scaling the pictures already keep the converting thread busy; encoding them
// beside it, a picture or two behind, shortens a conversion by most of the
// encoding time on a machine with a core to spare. The pictures go through a
// queue of two; the output stays the same to the bit, as the encoder sees the
// same pictures in the same order.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "AvPtr.h"

namespace transcode {

class EncoderThread {
public:
    // encode is called on the thread for each picture, in order; what it
    // throws ends the thread and comes back from the next Push or Finish.
    explicit EncoderThread(std::function<void(AVFrame&)> encode);
    // Waits for the thread; pictures still queued are dropped.
    ~EncoderThread() { Abandon(); }
    EncoderThread(const EncoderThread&) = delete;
    EncoderThread& operator=(const EncoderThread&) = delete;

    // Queues a new reference to the picture (its buffers are shared, so the
    // caller makes its frame writable before changing it), waiting while the
    // queue is full.
    void Push(const AVFrame& picture);
    // Waits until every queued picture is encoded and the thread has ended.
    void Finish();
    // Ends the thread at once, dropping what is queued. Never throws.
    void Abandon() noexcept;

private:
    void Run();
    void Stop(bool dropQueued) noexcept;

    static constexpr size_t kQueued = 2;
    std::function<void(AVFrame&)> Encode;
    std::mutex Lock;
    std::condition_variable Changed;
    std::array<av::FramePtr, kQueued> Queue;
    av::FramePtr Current;  // the picture the thread is encoding
    size_t Head = 0;
    size_t Count = 0;
    bool Ending = false;  // no more pictures come
    std::exception_ptr Failure;
    std::thread Worker;
};

}  // namespace transcode
