// The video encoder on a thread of its own. Decoding, deinterlacing and
// scaling the pictures already keep the converting thread busy; encoding them
// beside it, a picture or two behind, shortens a conversion by most of the
// encoding time on a machine with a core to spare. The pictures go through a
// queue of two; the output stays the same to the bit, as the encoder sees the
// same pictures in the same order.
//
// The thread never writes into the output file: the packets it makes come
// back, in their order, to the converting thread (TakePackets), which alone
// writes them.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "AvPtr.h"

namespace transcode {

class TEncoderThread {
public:
    using Packets = std::vector<av::PacketPtr>;
    // encode is called on the thread for each picture, in order, and appends
    // the packets it made to its second argument; what it throws ends the
    // thread and comes back from the next Push or Finish.
    explicit TEncoderThread(std::function<void(AVFrame&, Packets&)> encode);
    // Waits for the thread; pictures still queued are dropped.
    ~TEncoderThread() { Abandon(); }
    TEncoderThread(const TEncoderThread&) = delete;
    TEncoderThread& operator=(const TEncoderThread&) = delete;

    // Queues a new reference to the picture (its buffers are shared, so the
    // caller makes its frame writable before changing it), waiting while the
    // queue is full.
    void Push(const AVFrame& picture);
    // The packets made since the last call, in order; never waits.
    Packets TakePackets();
    // Waits until every queued picture is encoded and the thread has ended;
    // TakePackets then gives the last packets.
    void Finish();
    // Ends the thread at once, dropping what is queued and the packets not
    // taken. Never throws.
    void Abandon() noexcept;

private:
    void Run();
    void Stop(bool dropQueued) noexcept;

    static constexpr size_t kQueued = 2;
    std::function<void(AVFrame&, Packets&)> Encode;
    std::mutex Lock;
    std::condition_variable Changed;
    std::array<av::FramePtr, kQueued> Queue;
    av::FramePtr Current;  // the picture the thread is encoding
    size_t Head = 0;
    size_t Count = 0;
    bool Ending = false;  // no more pictures come
    Packets Made;         // packets made and not yet taken, in order
    std::exception_ptr Failure;
    std::thread Worker;
};

}  // namespace transcode
