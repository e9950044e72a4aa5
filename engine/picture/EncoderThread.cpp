#include "EncoderThread.h"

#include <iterator>
#include <new>
#include <utility>

#include "CodecSetup.h"

namespace transcode {

TEncoderThread::TEncoderThread(std::function<void(AVFrame&, Packets&)> encode)
    : Encode(std::move(encode)) {
    for (av::FramePtr& slot : Queue) slot = NewFrame();
    Current = NewFrame();
    Worker = std::thread(&TEncoderThread::Run, this);
}

void TEncoderThread::Push(const AVFrame& picture) {
    std::unique_lock<std::mutex> lock(Lock);
    Changed.wait(lock, [this] { return Count < kQueued || Failure; });
    if (Failure) std::rethrow_exception(Failure);
    AVFrame* slot = Queue[(Head + Count) % kQueued].get();
    if (AV.av_frame_ref(slot, &picture) < 0) throw std::bad_alloc();
    ++Count;
    Changed.notify_all();
}

TEncoderThread::Packets TEncoderThread::TakePackets() {
    Packets taken;
    const std::lock_guard<std::mutex> lock(Lock);
    taken.swap(Made);
    return taken;
}

void TEncoderThread::Finish() {
    Stop(false);
    if (Failure) std::rethrow_exception(Failure);
}

void TEncoderThread::Abandon() noexcept {
    Stop(true);
    Made.clear();
}

void TEncoderThread::Stop(bool dropQueued) noexcept {
    {
        std::lock_guard<std::mutex> lock(Lock);
        Ending = true;
        if (dropQueued) {
            for (; Count > 0; --Count, Head = (Head + 1) % kQueued) {
                AV.av_frame_unref(Queue[Head].get());
            }
        }
    }
    Changed.notify_all();
    if (Worker.joinable()) Worker.join();
}

void TEncoderThread::Run() {
    Packets made;
    while (true) {
        {
            std::unique_lock<std::mutex> lock(Lock);
            Changed.wait(lock, [this] { return Count > 0 || Ending; });
            if (Count == 0) return;
            AV.av_frame_move_ref(Current.get(), Queue[Head].get());
            Head = (Head + 1) % kQueued;
            --Count;
        }
        Changed.notify_all();
        try {
            Encode(*Current, made);
        } catch (...) {
            AV.av_frame_unref(Current.get());
            std::lock_guard<std::mutex> lock(Lock);
            Failure = std::current_exception();
            Changed.notify_all();
            return;
        }
        AV.av_frame_unref(Current.get());
        if (!made.empty()) {
            const std::lock_guard<std::mutex> lock(Lock);
            Made.insert(Made.end(), std::make_move_iterator(made.begin()),
                        std::make_move_iterator(made.end()));
        }
        made.clear();
    }
}

}  // namespace transcode
