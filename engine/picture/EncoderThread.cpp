#include "EncoderThread.h"

#include <new>
#include <utility>

#include "CodecSetup.h"

namespace transcode {

EncoderThread::EncoderThread(std::function<void(AVFrame&)> encode) : Encode(std::move(encode)) {
    for (av::FramePtr& slot : Queue) slot = NewFrame();
    Current = NewFrame();
    Worker = std::thread(&EncoderThread::Run, this);
}

void EncoderThread::Push(const AVFrame& picture) {
    std::unique_lock<std::mutex> lock(Lock);
    Changed.wait(lock, [this] { return Count < kQueued || Failure; });
    if (Failure) std::rethrow_exception(Failure);
    AVFrame* slot = Queue[(Head + Count) % kQueued].get();
    if (AV.av_frame_ref(slot, &picture) < 0) throw std::bad_alloc();
    ++Count;
    Changed.notify_all();
}

void EncoderThread::Finish() {
    Stop(false);
    if (Failure) std::rethrow_exception(Failure);
}

void EncoderThread::Abandon() noexcept {
    Stop(true);
}

void EncoderThread::Stop(bool dropQueued) noexcept {
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

void EncoderThread::Run() {
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
            Encode(*Current);
        } catch (...) {
            AV.av_frame_unref(Current.get());
            std::lock_guard<std::mutex> lock(Lock);
            Failure = std::current_exception();
            Changed.notify_all();
            return;
        }
        AV.av_frame_unref(Current.get());
    }
}

}  // namespace transcode
