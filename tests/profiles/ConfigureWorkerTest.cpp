// What a selection hands to a conversion worker.
#include <gtest/gtest.h>

#include <string>

#include "Formatparams.h"

namespace {

// Records every setter call, in order, as text.
class RecordingWorker : public TWorkerSetup {
public:
    bool acceptVideo = true;
    std::vector<std::string> calls;
    int32_t fit = -1;

    bool SetVideoParameters(int32_t width, int32_t height, int32_t frameRateIndex, int32_t bitRate,
                            int32_t codecChoice) override {
        calls.push_back("video " + std::to_string(width) + " " + std::to_string(height) + " " +
                        std::to_string(frameRateIndex) + " " + std::to_string(bitRate) + " " +
                        std::to_string(codecChoice));
        return acceptVideo;
    }
    bool SetAudioParameters(int32_t bitRateKbps, int32_t sampleRate, int32_t channels,
                            int32_t codecChoice) override {
        calls.push_back("audio " + std::to_string(bitRateKbps) + " " + std::to_string(sampleRate) +
                        " " + std::to_string(channels) + " " + std::to_string(codecChoice));
        return true;
    }
    bool SetPhoneOptions(int64_t sizeLimitBytes, bool evenLoudness) override {
        calls.push_back("phone " + std::to_string(sizeLimitBytes) + " " +
                        std::to_string(evenLoudness));
        return true;
    }
    bool SetPictureFit(int32_t pictureFit) override {
        fit = pictureFit;
        return true;
    }
    void SetSubtitleBurnIn(bool burnIn) override { subtitles = burnIn; }
    bool subtitles = false;
};

std::vector<std::string> Configure(const ProfileSelection& s) {
    RecordingWorker worker;
    EXPECT_TRUE(ConfigureWorker(s, worker));
    return worker.calls;
}

using Calls = std::vector<std::string>;

}  // namespace

TEST(ConfigureWorker, InitialSelection) {
    ProfileSelection s;
    SettleRestoredSelection(s);
    EXPECT_EQ(Configure(s), (Calls{"video 320 240 0 80000 1", "audio 64 8000 1 1", "phone 0 0"}));
}

TEST(ConfigureWorker, BestOnSonyEricssonZ500) {
    ProfileSelection s;
    SettleRestoredSelection(s);
    s.SelectPhoneManufacturer(3);
    s.SelectPhoneModel(82);
    s.ApplyQualityLevel(QualityBest);
    EXPECT_EQ(Configure(s), (Calls{"video 128 96 2 256000 1", "audio 96 8000 1 0", "phone 0 0"}));
}

TEST(ConfigureWorker, RestoredCustomValuesAndH263Model) {
    ProfileSelection s;
    s.PhoneManufacturer = 1;
    s.PhoneModel = 31;  // Motorola A1000: H.263, audio flag 1
    s.Resolution = 13;
    s.Quality = QualityCustom;
    s.FrameRate = 1;
    s.VideoQuality = 100;
    s.AudioChannels = 1;
    s.AudioFrequency = 1;
    s.AudioQuality = 0;
    SettleRestoredSelection(s);
    EXPECT_EQ(Configure(s), (Calls{"video 352 288 1 100000 0", "audio 12 11025 2 1", "phone 0 0"}));
}

TEST(ConfigureWorker, SizeLimitAndEvenLoudness) {
    ProfileSelection s;
    SettleRestoredSelection(s);
    EXPECT_TRUE(s.SelectSizeLimit(1));
    EXPECT_TRUE(s.SelectSoundChoice(1));
    EXPECT_FALSE(s.SelectSizeLimit(6));
    EXPECT_FALSE(s.SelectSoundChoice(2));
    EXPECT_EQ(Configure(s),
              (Calls{"video 320 240 0 80000 1", "audio 64 8000 1 1", "phone 307200 1"}));
    s.SelectSizeLimit(5);
    EXPECT_EQ(Configure(s).back(), "phone 10485760 1");
}

TEST(ConfigureWorker, RefusesWhatCannotBeLookedUp) {
    ProfileSelection s;
    SettleRestoredSelection(s);
    for (int32_t ProfileSelection::*field :
         {&ProfileSelection::FrameRate, &ProfileSelection::AudioQuality,
          &ProfileSelection::AudioFrequency, &ProfileSelection::AudioChannels,
          &ProfileSelection::VideoQuality, &ProfileSelection::SizeLimit,
          &ProfileSelection::EvenLoudness}) {
        ProfileSelection bad = s;
        bad.*field = -1;
        RecordingWorker worker;
        EXPECT_FALSE(ConfigureWorker(bad, worker));
        EXPECT_TRUE(worker.calls.empty());
    }

    // A worker that refuses its video parameters is not given the audio ones.
    RecordingWorker worker;
    worker.acceptVideo = false;
    EXPECT_FALSE(ConfigureWorker(s, worker));
    EXPECT_EQ(worker.calls.size(), 1u);
}

TEST(ConfigureWorker, PictureFitReachesTheWorkerWhateverTheLevel) {
    ProfileSelection s;
    SettleRestoredSelection(s);
    EXPECT_TRUE(s.SelectPictureFit(2));
    EXPECT_FALSE(s.SelectPictureFit(3));
    s.ApplyQualityLevel(QualityBest);
    s.ApplyQualityLevel(QualityCustom);
    EXPECT_EQ(s.PictureFit, 2);
    const ProfileSelection best = s;
    s.SelectPictureFit(1);
    s.PictureFit = best.PictureFit;
    EXPECT_EQ(s, best);  // the fit is no quality value
    RecordingWorker worker;
    ASSERT_TRUE(ConfigureWorker(s, worker));
    EXPECT_EQ(worker.fit, 2);

    // A stored number outside 0 to 2 falls back to Stretch, and is named.
    ProfileSelection restored;
    restored.PictureFit = 3;
    EXPECT_EQ(SettleRestoredSelection(restored), std::vector<std::string_view>{"PictureFit"});
    EXPECT_EQ(restored.PictureFit, 0);
}
