// The encoder's thread: pictures encoded in their order and their packets
// handed back in that order, a failure on the thread coming back to the
// caller, and Abandon ending at once with pictures still queued.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "CodecSetup.h"
#include "EncoderThread.h"
#include "PacketSink.h"

using transcode::TEncoderThread;

namespace {

// A picture that carries its number in its time.
av::FramePtr Picture(int64_t number) {
    av::FramePtr picture = transcode::NewPicture(16, 16);
    picture->pts = number;
    return picture;
}

// One packet per picture, its times the picture's.
void PacketFor(const AVFrame& picture, TEncoderThread::Packets& made) {
    av::PacketPtr packet = transcode::NewPacket();
    packet->pts = packet->dts = picture.pts;
    made.push_back(std::move(packet));
}

}  // namespace

TEST(EncoderThread, KeepsTheOrderOfPicturesAndPackets) {
    std::vector<int64_t> encoded;  // only the thread writes it before Finish
    TEncoderThread thread([&](AVFrame& picture, TEncoderThread::Packets& made) {
        encoded.push_back(picture.pts);
        // Some pictures give no packet at once, some two: the encoder's delay.
        if (picture.pts % 3 != 1) PacketFor(picture, made);
        if (picture.pts % 3 == 2) PacketFor(picture, made);
    });
    std::vector<int64_t> written;
    const auto take = [&] {
        for (const av::PacketPtr& packet : thread.TakePackets()) written.push_back(packet->pts);
    };
    constexpr int64_t kPictures = 300;
    const av::FramePtr picture = Picture(0);
    for (int64_t i = 0; i < kPictures; ++i) {
        // The caller's frame is reused as the converting thread does.
        ASSERT_GE(AV.av_frame_make_writable(picture.get()), 0);
        picture->pts = i;
        thread.Push(*picture);
        take();
    }
    thread.Finish();
    take();
    ASSERT_EQ(encoded.size(), static_cast<size_t>(kPictures));
    for (int64_t i = 0; i < kPictures; ++i) EXPECT_EQ(encoded[i], i);
    std::vector<int64_t> expected;
    for (int64_t i = 0; i < kPictures; ++i) {
        if (i % 3 != 1) expected.push_back(i);
        if (i % 3 == 2) expected.push_back(i);
    }
    EXPECT_EQ(written, expected);
}

TEST(EncoderThread, FailureOnTheThreadComesBackToTheCaller) {
    std::atomic<int> calls{0};
    TEncoderThread thread([&](AVFrame& picture, TEncoderThread::Packets& made) {
        ++calls;
        if (picture.pts == 5) throw std::runtime_error("encoder failed at 5");
        PacketFor(picture, made);
    });
    bool thrown = false;
    for (int64_t i = 0; i < 50 && !thrown; ++i) {
        try {
            thread.Push(*Picture(i));
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "encoder failed at 5");
            thrown = true;
        }
    }
    // A later Push tells of it (the queue fills once the thread has ended),
    // and Finish again; pictures after it are not encoded.
    EXPECT_TRUE(thrown);
    EXPECT_THROW(thread.Finish(), std::runtime_error);
    EXPECT_EQ(calls.load(), 6);
    // The packets made before the failure stay in their order.
    int64_t next = 0;
    for (const av::PacketPtr& packet : thread.TakePackets()) EXPECT_EQ(packet->pts, next++);
    EXPECT_EQ(next, 5);
}

TEST(EncoderThread, AbandonEndsWithAFullQueue) {
    std::mutex lock;
    std::condition_variable changed;
    bool started = false;
    bool release = false;
    std::atomic<int> calls{0};
    auto thread =
        std::make_unique<TEncoderThread>([&](AVFrame& picture, TEncoderThread::Packets& made) {
            ++calls;
            std::unique_lock<std::mutex> held(lock);
            started = true;
            changed.notify_all();
            // The first picture takes until the test lets it go.
            changed.wait(held, [&] { return release; });
            PacketFor(picture, made);
        });
    thread->Push(*Picture(0));
    {
        std::unique_lock<std::mutex> held(lock);
        changed.wait(held, [&] { return started; });
    }
    // The thread is busy with picture 0: these two fill the queue.
    thread->Push(*Picture(1));
    thread->Push(*Picture(2));
    // The picture being encoded finishes a moment after Abandon has dropped
    // the queue.
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::lock_guard<std::mutex> held(lock);
        release = true;
        changed.notify_all();
    });
    const auto begin = std::chrono::steady_clock::now();
    thread->Abandon();
    const auto took = std::chrono::steady_clock::now() - begin;
    releaser.join();
    EXPECT_EQ(calls.load(), 1);
    EXPECT_TRUE(thread->TakePackets().empty());
    EXPECT_LT(took, std::chrono::seconds(2));
    // Abandoning again, and destroying, are harmless.
    thread->Abandon();
    thread.reset();
}
