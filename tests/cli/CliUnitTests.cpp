// The command line's meaning, the start-up check and the console display,
// without starting the program.
#include <gtest/gtest.h>

#include <QBuffer>

#include "CliOptions.h"
#include "ConsoleHost.h"
#include "Dynamicavimport.h"
#include "Formatparams.h"
#include "StartupCheck.h"

namespace {

CliParseResult Parse(QStringList arguments) {
    arguments.prepend("kestovar3gp-cli");
    return ParseCommandLine(arguments);
}

TEST(StartupCheck, NamesAMissingLibraryFile) {
    av::LibraryFiles files = av::LibraryFiles::Default();
    files.Swscale = "libswscale-kestovar-missing.so.6";
    const av::TBinding broken(files);
    const auto message = BindingStartupProblem(broken);
    ASSERT_TRUE(message.has_value());
    EXPECT_NE(message->find("libswscale-kestovar-missing.so.6"), std::string::npos) << *message;
    // The libraries that did load are not blamed.
    EXPECT_EQ(message->find(files.Avcodec), std::string::npos) << *message;

    EXPECT_FALSE(BindingStartupProblem(AV).has_value());
}

TEST(CommandLine, SizeLimitTrimTimesAndEvenLoudness) {
    const CliParseResult parsed =
        Parse({"--max-size", "300K", "--video-bitrate", "128", "--start", "1:10", "--end",
               "00:01:40.5", "--even-loudness", "a.avi"});
    ASSERT_TRUE(parsed.Error.isEmpty()) << parsed.Error.toStdString();
    EXPECT_EQ(parsed.Request.SizeLimitBytes, 307200);
    EXPECT_EQ(parsed.Request.TrimStart, 70.0);
    EXPECT_EQ(parsed.Request.TrimEnd, 100.5);
    EXPECT_EQ(parsed.Request.Selection.EvenLoudness, 1);
    EXPECT_TRUE(Parse({"a.avi"}).Request.SizeLimitBytes == 0);
    // The help's --max-size text, word for word (Qt wraps it: spaces compared
    // as one).
    EXPECT_TRUE(Parse({"--help"})
                    .Request.HelpText.simplified()
                    .contains("Make every output at most SIZE bytes (suffix K or M, 1 K = 1024 "
                              "bytes), such as 300K "
                              "for a video message: the video bitrate is lowered to fit, never "
                              "raised. A clip too "
                              "long for SIZE fails."));
    EXPECT_FALSE(Parse({"--help"}).Request.HelpText.contains("wins over"));

    for (const QStringList& bad :
         {QStringList{"--max-size", "3G", "a.avi"}, QStringList{"--start", "1:75", "a.avi"},
          QStringList{"--start", "20", "--end", "10", "a.avi"}}) {
        EXPECT_FALSE(Parse(bad).Error.isEmpty()) << bad.join(' ').toStdString();
    }
}

TEST(CommandLine, ModelSizeAndQualityBecomeTheSelection) {
    const CliParseResult defaults = Parse({"a.avi"});
    ASSERT_TRUE(defaults.Error.isEmpty());
    EXPECT_EQ(defaults.Request.What, CliRequest::Mode::Convert);
    EXPECT_EQ(defaults.Request.Selection.PhoneModel, 0);
    EXPECT_EQ(defaults.Request.Selection.Width, 320);
    EXPECT_EQ(defaults.Request.Selection.Quality, QualityMedium);

    // A model by name: its manufacturer follows, then a size its codec allows.
    const CliParseResult chosen =
        Parse({"-m", "sony ericsson k700i", "-s", "352 x 288", "-q", "Best", "a.avi", "b.avi"});
    ASSERT_TRUE(chosen.Error.isEmpty()) << chosen.Error.toStdString();
    const ProfileSelection& s = chosen.Request.Selection;
    EXPECT_EQ(s.PhoneModel, 73);
    EXPECT_EQ(s.PhoneManufacturer, 3);
    EXPECT_EQ(s.VideoCodec, VideoCodecH263);
    EXPECT_EQ(s.Width, 352);
    EXPECT_EQ(s.Height, 288);
    EXPECT_EQ(s.Quality, QualityBest);
    EXPECT_EQ(s.FrameRate, 2);
    EXPECT_EQ(chosen.Request.Files, QStringList({"a.avi", "b.avi"}));

    // Custom values start from the chosen level's preset.
    const CliParseResult custom = Parse({"-q", "low", "--audio-bitrate", "12", "a.avi"});
    ASSERT_TRUE(custom.Error.isEmpty());
    EXPECT_EQ(custom.Request.Selection.Quality, QualityCustom);
    EXPECT_EQ(custom.Request.Selection.VideoQuality, 48);
    EXPECT_EQ(custom.Request.Selection.AudioQuality, 0);
    EXPECT_EQ(Parse({"-q", "hight", "a.avi"}).Request.Selection.VideoQuality, 160);
    EXPECT_EQ(Parse({"--frame-rate", "29.97", "a.avi"}).Request.Selection.FrameRate, 3);
    EXPECT_EQ(Parse({"--video-bitrate", "384", "a.avi"}).Request.Selection.VideoQuality, 384);
    EXPECT_EQ(Parse({"a.avi"}).Request.Selection.PictureFit, 0);
    EXPECT_EQ(Parse({"--fit", "bars", "a.avi"}).Request.Selection.PictureFit, 1);
    EXPECT_EQ(Parse({"--fit", "Crop", "-q", "best", "a.avi"}).Request.Selection.PictureFit, 2);
    EXPECT_TRUE(Parse({"--help"}).Request.HelpText.contains("--fit <FIT>"));
}

TEST(CommandLine, RefusalsSayWhatIsAllowed) {
    const CliParseResult size = Parse({"-m", "Nokia 6630", "-s", "640x480", "a.avi"});
    EXPECT_TRUE(size.Error.contains("128x96, 176x144, 352x288, 704x576"))
        << size.Error.toStdString();
    EXPECT_TRUE(Parse({"-s", "123x45", "a.avi"}).Error.contains("Allowed sizes"));
    EXPECT_TRUE(Parse({"-s", "big", "a.avi"}).Error.contains("Allowed sizes"));
    EXPECT_TRUE(Parse({"-m", "99", "a.avi"}).Error.contains("Unknown phone model"));
    EXPECT_TRUE(Parse({"--audio-bitrate", "13", "a.avi"}).Error.contains("12, 32"));
    EXPECT_FALSE(Parse({}).Error.isEmpty());
}

TEST(ConsoleDisplay, TerminalLineIsRedrawnInPlace) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TConsoleHost host(buffer, true, 120);
    host.ShowStatus({"Converting - holiday.avi", 12, 36, 25});
    host.ShowProgress(50, 25);
    host.ShowCompletion("All tasks has been completed!");
    const QString out = QString::fromUtf8(buffer.data());
    EXPECT_TRUE(out.startsWith("\rConverting - holiday.avi")) << out.toStdString();
    EXPECT_TRUE(out.contains("[##########..........]  50%")) << out.toStdString();
    EXPECT_TRUE(out.contains("total [##........]  25%"));
    EXPECT_TRUE(out.endsWith("\nAll tasks has been completed!\n"));
    for (const QString& line : out.split('\r')) EXPECT_LT(line.indexOf('\x1b'), 120);

    // A narrow terminal shortens the status text, never wraps.
    QBuffer narrow;
    narrow.open(QIODevice::WriteOnly);
    TConsoleHost small(narrow, true, 70);
    small.ShowStatus({"Converting - a rather long name for a holiday film.avi", 1, 1, 1});
    small.ShowProgress(40, 20);
    for (const QString& line : QString::fromUtf8(narrow.data()).split('\r', Qt::SkipEmptyParts)) {
        EXPECT_LE(line.size() - 3, 69) << line.toStdString();  // less the erase sequence
        EXPECT_TRUE(line.startsWith("Converting - a r")) << line.toStdString();
        EXPECT_TRUE(line.contains("40%") || line.contains("  0%")) << line.toStdString();
    }
}

TEST(ConsoleDisplay, PlainLinesElsewhere) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TConsoleHost host(buffer, false);
    host.ShowStatus({"", 0, 0, 0});
    host.ShowStatus({"Converting - a.mpg", 0, 0, 0});
    host.ShowProgress(0, 0);
    for (int p = 1; p <= 100; ++p) {
        host.ShowProgress(p, p / 2);
        host.ShowStatus({"Converting - a.mpg", 1, 1, p / 2});
    }
    host.ShowError("Could not open codec\n");
    const QString out = QString::fromUtf8(buffer.data());
    EXPECT_FALSE(out.contains('\r'));
    EXPECT_TRUE(out.startsWith("Converting - a.mpg\n"));
    EXPECT_EQ(out.count('\n'), 1 + 10 + 1);  // name, a line per tenth, the message
    EXPECT_TRUE(out.endsWith("\nCould not open codec\n"));
    EXPECT_TRUE(host.ErrorShown());
}

}  // namespace
