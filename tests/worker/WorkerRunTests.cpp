// Whole runs of the worker over real clips through the real media libraries,
// watched by a recording host on the main thread.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include "ClipProbe.h"
#include "CompressThread.h"
#include "ConfigureWorker.h"
#include "DamagedClips.h"
#include "Dynamicavimport.h"
#include "FakeHost.h"
#include "TestMedia.h"

namespace {

using testmedia::DurationOf;
using testmedia::Probe;

class WorkerRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(AV.Problems().empty());
        AV.av_log_set_level(AV_LOG_QUIET);
        Sources = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(Sources->isValid());
        ASSERT_TRUE(testmedia::MakeClip(Source("a.mpg"), 2));
        ASSERT_TRUE(testmedia::MakeClip(Source("b.mpg"), 3));
        ASSERT_TRUE(testmedia::MakeClip(Source("c.mpg"), 1));
        ASSERT_TRUE(testmedia::MakeClip(Source("short.mpg"), 0.5));
    }
    static void TearDownTestSuite() { Sources.reset(); }

    static QString Source(const QString& name) { return Sources->filePath(name); }
    QString Output(const QString& name) const { return Out.filePath(name); }

    void AddClip(const QString& path) { Clips.push_back(ProbeClip(path)); }

    // A worker for 176 x 144 H.263 at 25 fps with 12 kbit/s AMR.
    TCompressThread* MakeWorker() {
        auto* worker = new TCompressThread(Clips, Out.path(), Host);
        worker->SetVideoParameters(176, 144, 2, 64000, 0);
        worker->SetAudioParameters(12, 8000, 1, 0);
        Worker = worker;
        return worker;
    }

    // Starts the worker and runs the event loop until it has ended and freed
    // itself; false when it did neither within the time.
    bool RunToEnd(int timeoutMs = 60000) {
        QEventLoop loop;
        QObject::connect(Worker, &QThread::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        Worker->start(QThread::IdlePriority);
        loop.exec();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return Worker.isNull();
    }

    // The final steps every run ends with, whatever happened before.
    void ExpectClosingSteps() {
        ASSERT_GE(Host.Calls.size(), 4u);
        const auto& calls = Host.Calls;
        const HostCall& idle = calls[calls.size() - 1];
        const HostCall& bars = calls[calls.size() - 2];
        const HostCall& status = calls[calls.size() - 3];
        EXPECT_EQ(idle.What, HostCall::Idle);
        EXPECT_EQ(bars.What, HostCall::Progress);
        EXPECT_EQ(bars.Current, 0);
        EXPECT_EQ(bars.Total, 0);
        EXPECT_EQ(status.What, HostCall::Status);
        EXPECT_TRUE(status.Text.isEmpty());
        EXPECT_EQ(status.Total, 0);
        EXPECT_EQ(Host.Of(HostCall::Detach).size(), 1u);
        for (const HostCall& call : calls) EXPECT_TRUE(call.OnHostThread);
    }

    static inline std::unique_ptr<QTemporaryDir> Sources;
    QTemporaryDir Out;
    ClipList Clips;
    FakeHost Host;
    QPointer<TCompressThread> Worker;
};

TEST_F(WorkerRun, OneClipConvertsAndReportsEveryStep) {
    AddClip(Source("a.mpg"));
    const void* worker = MakeWorker();
    ASSERT_TRUE(RunToEnd());

    const auto& calls = Host.Calls;
    // The run's opening report: empty status, nothing done.
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].What, HostCall::Status);
    EXPECT_TRUE(calls[0].Text.isEmpty());
    EXPECT_EQ(calls[0].TimeLeft, 0);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[1].What, HostCall::Status);
    EXPECT_EQ(calls[1].Text, "Converting - a.mpg");
    EXPECT_EQ(calls[2].What, HostCall::Progress);
    EXPECT_EQ(calls[2].Current, 0);

    // The bars rise, each whole percent told once, up to the end of the clip.
    int32_t last = 0;
    int reports = 0;
    for (std::size_t i = 3; i < calls.size() && calls[i].What != HostCall::Detach; ++i) {
        if (calls[i].What != HostCall::Progress) continue;
        EXPECT_GT(calls[i].Current, last);
        // One clip: the total follows it, in its whole seconds.
        EXPECT_LE(calls[i].Total, calls[i].Current);
        // Each progress report is followed by a status report.
        ASSERT_LT(i + 1, calls.size());
        EXPECT_EQ(calls[i + 1].What, HostCall::Status);
        EXPECT_GE(calls[i + 1].TimeLeft, 0);
        last = calls[i].Current;
        ++reports;
    }
    EXPECT_GE(last, 99);
    EXPECT_GE(reports, 10);

    const auto completions = Host.Of(HostCall::Completion);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].Text, "All tasks has been completed!");
    EXPECT_TRUE(Host.Of(HostCall::Error).empty());
    EXPECT_EQ(Host.Of(HostCall::Detach).at(0).Worker, worker);
    ExpectClosingSteps();

    const QJsonObject probe = Probe(Output("a.3gp"));
    EXPECT_EQ(testmedia::Stream(probe, 0).value("codec_name").toString(), "h263");
    EXPECT_EQ(testmedia::Stream(probe, 0).value("width").toInt(), 176);
    EXPECT_NEAR(DurationOf(probe), 2.0, 0.3);
    EXPECT_TRUE(testmedia::DecodesCleanly(Output("a.3gp")));
}

TEST_F(WorkerRun, FirstOfThreeFailsAndTheOthersAreNotTouched) {
    AddClip(Source("missing.avi"));
    AddClip(Source("a.mpg"));
    AddClip(Source("b.mpg"));
    MakeWorker();
    ASSERT_TRUE(RunToEnd());

    const auto errors = Host.Of(HostCall::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Text, "Could not open source file\nNo such file or directory: " +
                                  Source("missing.avi") + "\n");
    EXPECT_TRUE(Host.Of(HostCall::Completion).empty());
    for (const HostCall& call : Host.Calls) {
        EXPECT_NE(call.Text, "Converting - a.mpg");
        EXPECT_NE(call.Text, "Converting - b.mpg");
    }
    EXPECT_TRUE(QDir(Out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    ExpectClosingSteps();
}

TEST_F(WorkerRun, StopDuringTheSecondOfThreeEndsItProperly) {
    AddClip(Source("a.mpg"));
    AddClip(Source("b.mpg"));
    AddClip(Source("c.mpg"));
    MakeWorker();
    bool inSecond = false;
    Host.OnCall = [&](const HostCall& call) {
        if (call.What == HostCall::Status && !call.Text.isEmpty()) {
            inSecond = call.Text == "Converting - b.mpg";
        }
        if (inSecond && call.What == HostCall::Progress && call.Current >= 30 && Worker) {
            Worker->StopRequested = true;
        }
    };
    ASSERT_TRUE(RunToEnd());

    const auto completions = Host.Of(HostCall::Completion);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].Text, "Process stopped.");
    EXPECT_TRUE(Host.Of(HostCall::Error).empty());
    ExpectClosingSteps();

    EXPECT_NEAR(DurationOf(Probe(Output("a.3gp"))), 2.0, 0.3);
    const double second = DurationOf(Probe(Output("b.3gp")));
    EXPECT_GT(second, 0.5);
    EXPECT_LT(second, 2.5);
    EXPECT_TRUE(testmedia::DecodesCleanly(Output("b.3gp")));
    EXPECT_FALSE(QFileInfo::exists(Output("c.3gp")));
    EXPECT_EQ(QDir(Out.path()).entryList(QDir::Files | QDir::Hidden).size(),
              2u);  // no temporary left
}

TEST_F(WorkerRun, ClearedReportCompletionShowsNoMessage) {
    AddClip(Source("c.mpg"));
    MakeWorker();
    Host.OnCall = [&](const HostCall& call) {
        if (call.What == HostCall::Status && Worker) Worker->ReportCompletion = false;
    };
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(Host.Of(HostCall::Completion).empty());
    EXPECT_TRUE(Host.Of(HostCall::Error).empty());
    ExpectClosingSteps();
    EXPECT_TRUE(QFileInfo::exists(Output("c.3gp")));
}

TEST_F(WorkerRun, ClipsShorterThanASecondStillShowTotalProgress) {
    // Both clips count 0 whole seconds in the list; the total still moves,
    // by their exact lengths.
    AddClip(Source("short.mpg"));
    AddClip(Source("c.mpg"));
    Clips[1]->SourceDuration = std::chrono::seconds(0);
    MakeWorker();
    ASSERT_TRUE(RunToEnd());
    int32_t maxTotalFirst = 0;
    bool second = false;
    for (const HostCall& call : Host.Calls) {
        if (call.What == HostCall::Status && call.Text == "Converting - c.mpg") second = true;
        if (call.What == HostCall::Progress && !second)
            maxTotalFirst = std::max(maxTotalFirst, call.Total);
    }
    // Weighted by their milliseconds: the first clip's share of the two.
    const int64_t first = Clips[0]->ConvertedMilliseconds().count();
    const int64_t both = first + Clips[1]->ConvertedMilliseconds().count();
    ASSERT_GT(first, 0);
    EXPECT_EQ(maxTotalFirst, first * 100 / both);
    EXPECT_EQ(Host.Of(HostCall::Completion).size(), 1u);
    EXPECT_GT(DurationOf(Probe(Output("short.3gp"))), 0.3);
}

TEST(WorkerParameters, SettersMapTheirArguments) {
    ClipList clips;
    FakeHost host;
    TCompressThread worker(clips, "out", host);
    const ConversionParameters& p = worker.Parameters();
    // Defaults before any setter.
    EXPECT_EQ(p.Width, 352);
    EXPECT_EQ(p.VideoCodecId, AV_CODEC_ID_H263);
    EXPECT_EQ(p.AudioCodecId, AV_CODEC_ID_AMR_NB);

    struct Rate {
        int32_t index, num, den;
    };
    for (const Rate r :
         {Rate{0, 14985, 1000}, Rate{1, 23975, 1000}, Rate{2, 25, 1}, Rate{3, 2997, 100}}) {
        EXPECT_TRUE(worker.SetVideoParameters(176, 144, r.index, 64000, 1));
        EXPECT_EQ(p.FrameRateNumerator, r.num) << r.index;
        EXPECT_EQ(p.FrameRateDenominator, r.den) << r.index;
    }
    // A choice outside the table is refused and leaves everything as it was:
    // no rate is made up for it.
    for (const int32_t bad : {4, 7, -1}) {
        EXPECT_FALSE(worker.SetVideoParameters(320, 240, bad, 32000, 0)) << bad;
        EXPECT_EQ(p.FrameRateNumerator, 2997) << bad;
        EXPECT_EQ(p.FrameRateDenominator, 100) << bad;
        EXPECT_EQ(p.Width, 176) << bad;
    }
    EXPECT_EQ(p.VideoCodecId, AV_CODEC_ID_MPEG4);
    EXPECT_EQ(p.VideoBitRate, 64000);
    worker.SetVideoParameters(128, 96, 0, 48000, 2);
    EXPECT_EQ(p.VideoCodecId, AV_CODEC_ID_H263);
    worker.SetVideoParameters(128, 96, 0, 48000, 0);
    EXPECT_EQ(p.VideoCodecId, AV_CODEC_ID_H263);

    for (const int32_t flag : {0, 1, 5}) {
        EXPECT_TRUE(worker.SetAudioParameters(96, 11025, 2, flag));
        EXPECT_EQ(p.AudioCodecId, AV_CODEC_ID_AMR_NB);
    }
    EXPECT_EQ(p.AudioBitRate, 96000);  // kbit/s in, bit/s kept
    EXPECT_EQ(p.SampleRate, 11025);
    EXPECT_EQ(p.Channels, 2);

    // The initial selection reaches the worker as the Nokia N93 at Medium.
    ProfileSelection selection;
    SettleRestoredSelection(selection);
    ASSERT_TRUE(ConfigureWorker(selection, worker));
    EXPECT_EQ(p.Width, 320);
    EXPECT_EQ(p.Height, 240);
    EXPECT_EQ(p.FrameRateNumerator, 14985);
    EXPECT_EQ(p.VideoBitRate, 80000);
    EXPECT_EQ(p.VideoCodecId, AV_CODEC_ID_MPEG4);
    EXPECT_EQ(p.AudioBitRate, 64000);
    EXPECT_EQ(p.SampleRate, 8000);
    EXPECT_EQ(p.Channels, 1);
}

// Two clips of one run with one output name: the later one is numbered. A
// file an earlier run left under that name is replaced.
TEST_F(WorkerRun, SameOutputNameWithinARunIsNumbered) {
    QTemporaryDir second;
    const QString twin = QDir(second.path()).filePath("a.mpg");
    ASSERT_TRUE(QFile::copy(Source("c.mpg"), twin));
    {
        QFile earlier(Output("a.3gp"));
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier run's output");
    }
    AddClip(Source("a.mpg"));
    AddClip(twin);
    AddClip(Source("short.mpg"));
    MakeWorker();
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(Host.Of(HostCall::Error).empty());

    EXPECT_NEAR(DurationOf(Probe(Output("a.3gp"))), 2.0, 0.3);
    EXPECT_NEAR(DurationOf(Probe(Output("a (2).3gp"))), 1.0, 0.3);
    EXPECT_EQ(QDir(Out.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"a (2).3gp", "a.3gp", "short.3gp"}));
}

}  // namespace

// A clip whose damaged sound was passed over counts as converted: the run goes
// on to the next clip, the host hears a warning naming it, and the completion
// message keeps its first line and names the clip on a second.
TEST_F(WorkerRun, DamagePassedOverIsNamedUnderTheCompletion) {
    const QString scratched =
        test_support::MakeDamagedSoundClip(Sources->path(), "scratched.mp4", 2, 1.0, 1.1);
    ASSERT_FALSE(scratched.isEmpty());
    AddClip(scratched);
    AddClip(Source("c.mpg"));
    MakeWorker();
    ASSERT_TRUE(RunToEnd());

    ASSERT_EQ(Host.Of(HostCall::Warning).size(), 1u);
    EXPECT_EQ(Host.Of(HostCall::Warning)[0].Text,
              "Damaged parts of scratched.mp4 were passed over\n");
    ASSERT_EQ(Host.Of(HostCall::Completion).size(), 1u);
    EXPECT_EQ(Host.Of(HostCall::Completion)[0].Text,
              "All tasks has been completed!\nDamaged parts were passed over in: scratched.mp4");
    EXPECT_TRUE(Host.Of(HostCall::Error).empty());
    EXPECT_TRUE(QFileInfo::exists(Output("scratched.3gp")));
    EXPECT_TRUE(QFileInfo::exists(Output("c.3gp")));
    ExpectClosingSteps();
}

// A source that ends before the length its container gives converts as far as
// it goes; the completion message says where it ends, in a line of its own.
TEST_F(WorkerRun, SourceCutShortIsNamedUnderTheCompletion) {
    const QString cut = test_support::MakeCutShortMp4(Sources->path(), 6);
    ASSERT_FALSE(cut.isEmpty());
    AddClip(cut);
    MakeWorker();
    ASSERT_TRUE(RunToEnd());
    ASSERT_EQ(Host.Of(HostCall::Completion).size(), 1u);
    const QString completion = Host.Of(HostCall::Completion)[0].Text;
    EXPECT_TRUE(completion.contains(QRegularExpression(
        "^All tasks has been completed!\ncut-short.mp4 ends at 0:00:0[2-4] of 0:00:06: the "
        "output is shorter$")))
        << completion.toStdString();
    ASSERT_EQ(Host.Of(HostCall::Warning).size(), 1u);
    EXPECT_TRUE(QFileInfo::exists(Output("cut-short.3gp")));
}
