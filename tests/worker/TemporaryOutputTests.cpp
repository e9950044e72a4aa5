// The file system's side of an output: temporary files and their clean-up,
// names as bytes, numbered output names.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "NativePath.h"
#include "OutputNames.h"
#include "TemporaryOutput.h"

namespace {

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
    for (const char* name : {".k3gp-abc123.part", ".k3gp-held00.part", ".k3gp-abc.part",
                             "clip.3gp.1a2b3c4d.part", "clip.3gp"}) {
        Touch(dir.filePath(name));
    }
    const int held = open(QFile::encodeName(dir.filePath(".k3gp-held00.part")).constData(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);

    EXPECT_EQ(RemoveStaleTemporaryFiles(NativePathString(folder.path())), 1);
    EXPECT_EQ(
        dir.entryList(QDir::Files | QDir::Hidden, QDir::Name),
        QStringList({".k3gp-abc.part", ".k3gp-held00.part", "clip.3gp", "clip.3gp.1a2b3c4d.part"}));
    close(held);
    EXPECT_EQ(RemoveStaleTemporaryFiles(NativePathString(folder.path())), 1);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(".k3gp-held00.part")));
}

// The temporary file is locked while it exists, short whatever the final
// name, and gone unless committed.
TEST(TemporaryOutput, WrittenUnderAShortLockedName) {
    QTemporaryDir folder;
    const std::string finalPath =
        NativePathString(folder.path()) + "/" + std::string(240, 'n') + ".3gp";
    std::string temporary;
    {
        TemporaryOutputFile file(finalPath);
        temporary = file.Path();
        const std::string name = temporary.substr(temporary.rfind('/') + 1);
        EXPECT_TRUE(IsTemporaryFileName(name)) << name;
        EXPECT_EQ(RemoveStaleTemporaryFiles(NativePathString(folder.path())), 0);
        EXPECT_EQ(access(temporary.c_str(), F_OK), 0);
    }
    EXPECT_NE(access(temporary.c_str(), F_OK), 0);
    TemporaryOutputFile committed(finalPath);
    committed.Commit();
    EXPECT_EQ(access(finalPath.c_str(), F_OK), 0);
}

TEST(NativePath, BytesThatAreNoUtf8SurviveTheRoundTrip) {
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
