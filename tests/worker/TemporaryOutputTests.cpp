// The file system's side of an output: temporary files and their clean-up,
// names as bytes, numbered output names.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "LockedFile.h"
#include "NativePath.h"
#include "OutputNames.h"
#include "TemporaryOutput.h"

namespace {

bool Exists(const std::string& nativePath) {
    return QFileInfo::exists(PathFromNative(QByteArray::fromStdString(nativePath)));
}

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

// A file a killed run left is removed; one a live process holds (its lock
// taken here, as a converting run takes it) and every other name stay.
TEST(TemporaryOutput, OnlyUnheldTemporaryFilesAreRemoved) {
    QTemporaryDir folder;
    const QDir dir(folder.path());
    for (const char* name :
         {".k3gp-abc123.part", ".k3gp-abc.part", "clip.3gp.1a2b3c4d.part", "clip.3gp"}) {
        Touch(dir.filePath(name));
    }
    // Held as a converting run holds its file, through the same call.
    platform::TLockedFile held;
    ASSERT_EQ(held.CreateNew(NativePathString(dir.filePath(".k3gp-held00.part"))), 0);

    EXPECT_EQ(RemoveStaleTemporaryFiles(NativePathString(folder.path())), 1);
    EXPECT_EQ(
        dir.entryList(QDir::Files | QDir::Hidden, QDir::Name),
        QStringList({".k3gp-abc.part", ".k3gp-held00.part", "clip.3gp", "clip.3gp.1a2b3c4d.part"}));
    held.Close();
    EXPECT_EQ(RemoveStaleTemporaryFiles(NativePathString(folder.path())), 1);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(".k3gp-held00.part")));
}

// The temporary file is locked while it exists, short whatever the final
// name, and gone unless committed.
TEST(TemporaryOutput, WrittenUnderAShortLockedName) {
    QTemporaryDir folder;
    const std::string finalPath = NativePathString(
        QDir::toNativeSeparators(folder.path() + u'/' + QString(240, u'n') + ".3gp"));
    std::string temporary;
    {
        TTemporaryOutputFile file(finalPath);
        temporary = file.Path();
        const QString nativeName =
            QFileInfo(PathFromNative(QByteArray::fromStdString(temporary))).fileName();
        const std::string name = NativePathString(nativeName);
        EXPECT_TRUE(IsTemporaryFileName(name)) << name;
        EXPECT_EQ(RemoveStaleTemporaryFiles(NativePathString(folder.path())), 0);
        EXPECT_TRUE(Exists(temporary));
    }
    EXPECT_FALSE(Exists(temporary));
    TTemporaryOutputFile committed(finalPath);
    committed.Commit();
    EXPECT_TRUE(Exists(finalPath));
}

// Two claims of one name at once (as two processes make them): the first
// holds it and the second gives way; an output being written holds the name
// against a later claim; a claim's file goes with it and is no leftover.
TEST(TemporaryOutput, TheFirstClaimOfANameHoldsIt) {
    QTemporaryDir folder;
    const std::string clip = NativePathString(folder.path() + "/clip.3gp");
    std::string claimFile;
    {
        const TOutputNameClaim first(clip);
        const TOutputNameClaim second(clip);
        EXPECT_TRUE(first.Holds());
        EXPECT_FALSE(second.Holds());
        EXPECT_TRUE(IsBeingWritten(clip));
        claimFile = first.Path();
        EXPECT_EQ(RemoveStaleTemporaryFiles(NativePathString(folder.path())), 0);
    }
    EXPECT_FALSE(Exists(claimFile));
    EXPECT_FALSE(IsBeingWritten(clip));
    {
        const TTemporaryOutputFile written(clip);
        EXPECT_FALSE(TOutputNameClaim(clip).Holds());
    }
    EXPECT_TRUE(TOutputNameClaim(clip).Holds());
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(NativePath, BytesThatAreNoUtf8SurviveTheRoundTrip) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps names as UTF-16: there are no other bytes to keep";
#endif
    const QByteArray latin1("/tmp/caf\xe9 \xff\xfe\xc3.avi");
    const QString path = PathFromNative(latin1);
    EXPECT_EQ(NativePath(path), latin1);
    EXPECT_TRUE(path.endsWith(QStringLiteral(".avi")));
    const QByteArray utf8("/tmp/caf\xc3\xa9 \xf0\x9f\x8e\xac.avi");
    EXPECT_EQ(PathFromNative(utf8), QFile::decodeName(utf8));
    EXPECT_EQ(NativePath(QFile::decodeName(utf8)), utf8);
}

TEST(OutputNames, ATakenNameGetsTheNextNumber) {
    const QStringList taken{"/out/clip.3gp", "/out/clip (2).3gp"};
    const auto isTaken = [&taken](const QString& path) { return taken.contains(path); };
    EXPECT_EQ(UnusedOutputPath("/out/other.3gp", isTaken), "/out/other.3gp");
    EXPECT_EQ(UnusedOutputPath("/out/clip.3gp", isTaken), "/out/clip (3).3gp");
    EXPECT_EQ(UnusedOutputPath("/out/clip (2).3gp", isTaken), "/out/clip (2) (2).3gp");
}

}  // namespace
