// The runtime binding: which wrappers resolve when a library file is missing
// or lacks a function, what the start-up check says about it, and in which
// order libraries are released.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Dynamicavimport.h"

namespace {

namespace fs = std::filesystem;

std::string FakeLibrary(const char* name) {
    return std::string(FAKE_LIBRARY_DIR) + "/lib" + name + ".so";
}

bool IsStillLoaded(const std::string& file) {
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return false;
    dlclose(handle);
    return true;
}

bool Contains(const std::vector<std::string>& lines, const std::string& part) {
    for (const auto& line : lines)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

// Every wrapper of one library, as (name, resolved) pairs.
std::vector<std::pair<std::string, bool>> WrappersOf(const av::TBinding& b,
                                                     const av::TLibrary& lib) {
    std::vector<std::pair<std::string, bool>> result;
#define KESTOVAR_COLLECT(library, name) \
    if (b.name.Library == &lib) result.emplace_back(#name, b.name.IsResolved());
    KESTOVAR_AV_FUNCTIONS(KESTOVAR_COLLECT)
#undef KESTOVAR_COLLECT
    return result;
}

std::vector<std::string> ReadLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(Binding, InstalledLibrariesResolveEveryFunction) {
    EXPECT_TRUE(AV.Problems().empty()) << av::ProblemsMessage(AV.Problems());
    // The loaded libraries are the ones the headers describe.
    EXPECT_EQ(AV.avcodec_version() >> 16, unsigned(LIBAVCODEC_VERSION_MAJOR));
    EXPECT_NE(
        av::LoadedVersions(AV).find("libswresample " + std::to_string(LIBSWRESAMPLE_VERSION_MAJOR)),
        std::string::npos);
    EXPECT_NE(
        av::LoadedVersions(AV).find("libavfilter " + std::to_string(LIBAVFILTER_VERSION_MAJOR)),
        std::string::npos);
    // A real call through a wrapper works.
    EXPECT_EQ(AV.av_rescale_q(90000, AVRational{1, 90000}, AVRational{1, 1000}), 1000);
}

TEST(Binding, DefaultNamesFollowTheHeadersMajorVersions) {
    const av::LibraryFiles files = av::LibraryFiles::Default();
    EXPECT_EQ(files.Avcodec, "libavcodec.so." + std::to_string(LIBAVCODEC_VERSION_MAJOR));
    EXPECT_EQ(files.Avformat, "libavformat.so." + std::to_string(LIBAVFORMAT_VERSION_MAJOR));
    EXPECT_EQ(files.Avutil, "libavutil.so." + std::to_string(LIBAVUTIL_VERSION_MAJOR));
    EXPECT_EQ(files.Swscale, "libswscale.so." + std::to_string(LIBSWSCALE_VERSION_MAJOR));
    EXPECT_EQ(files.Swresample, "libswresample.so." + std::to_string(LIBSWRESAMPLE_VERSION_MAJOR));
    EXPECT_EQ(files.Avfilter, "libavfilter.so." + std::to_string(LIBAVFILTER_VERSION_MAJOR));
}

TEST(Binding, MissingLibraryLeavesOnlyItsFunctionsUnresolved) {
    av::LibraryFiles files = av::LibraryFiles::Default();
    files.Swscale = "libkestovar-no-such-library.so.6";
    const av::TBinding binding(files);  // completes without a word

    EXPECT_FALSE(binding.SwscaleLibrary.IsLoaded());
    for (const auto& [name, resolved] : WrappersOf(binding, binding.SwscaleLibrary))
        EXPECT_FALSE(resolved) << name;
    for (const av::TLibrary* lib :
         {&binding.AvcodecLibrary, &binding.AvformatLibrary, &binding.AvutilLibrary,
          &binding.SwresampleLibrary, &binding.AvfilterLibrary}) {
        EXPECT_TRUE(lib->IsLoaded()) << lib->FileName;
        for (const auto& [name, resolved] : WrappersOf(binding, *lib))
            EXPECT_TRUE(resolved) << name;
    }

    // The start-up check names the file, once, and says nothing of its
    // functions one by one: the file is the thing to fix.
    const std::vector<std::string> problems = binding.Problems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("libkestovar-no-such-library.so.6"), std::string::npos);
    EXPECT_NE(av::ProblemsMessage(problems).find("libkestovar-no-such-library.so.6"),
              std::string::npos);
}

TEST(Binding, LibraryWithoutAFunctionLeavesOnlyThatWrapperUnresolved) {
    // A library that loads but exports none of the scaler's functions: every
    // scaler wrapper is unresolved and named; nothing else is touched.
    av::LibraryFiles files = av::LibraryFiles::Default();
    files.Swscale = FakeLibrary("kfake");
    const av::TBinding binding(files);

    ASSERT_TRUE(binding.SwscaleLibrary.IsLoaded());
    const std::vector<std::string> problems = binding.Problems();
    const auto swscaleWrappers = WrappersOf(binding, binding.SwscaleLibrary);
    EXPECT_EQ(problems.size(), swscaleWrappers.size());
    for (const auto& [name, resolved] : swscaleWrappers) {
        EXPECT_FALSE(resolved);
        EXPECT_TRUE(Contains(problems, "\"" + name + "\"")) << name;
    }
    EXPECT_TRUE(binding.swr_convert.IsResolved());
    EXPECT_TRUE(binding.avformat_open_input.IsResolved());
}

TEST(ImportFunc, ResolvesWhatTheLibraryExportsAndNothingElse) {
    const av::TLibrary library(FakeLibrary("kfake"));
    ASSERT_TRUE(library.IsLoaded());
    const av::TImportFunc<int (*)(int, int)> add(library, "kestovar_fake_add");
    const av::TImportFunc<int (*)(int, int)> missing(library, "kestovar_fake_subtract");

    ASSERT_TRUE(add.IsResolved());
    EXPECT_EQ(add(20, 22), 42);
    EXPECT_EQ(add.Library, &library);
    EXPECT_EQ(add.FunctionName, "kestovar_fake_add");
    EXPECT_FALSE(missing.IsResolved());
    EXPECT_EQ(missing.FunctionName, "kestovar_fake_subtract");
}

TEST(ImportFunc, LookupInALibraryThatDidNotLoadStaysNull) {
    const av::TLibrary library("libkestovar-absent.so.1");
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(library.FileName, "libkestovar-absent.so.1");
    const av::TImportFunc<int (*)(int, int)> add(library, "kestovar_fake_add");
    EXPECT_FALSE(add.IsResolved());
}

TEST(Binding, ReleasesLoadedLibrariesInReverseOrderAndOnlyThose) {
    const fs::path log =
        fs::temp_directory_path() / ("kestovar-unload-" + std::to_string(getpid()));
    fs::remove(log);
    ASSERT_EQ(setenv("KESTOVAR_FAKE_UNLOAD_LOG", log.c_str(), 1), 0);

    const av::LibraryFiles files{FakeLibrary("kfakecodec"),       FakeLibrary("kfakeformat"),
                                 "libkestovar-never-there.so.57", FakeLibrary("kfakescale"),
                                 FakeLibrary("kfakeresample"),    FakeLibrary("kfakefilter")};
    {
        const av::TBinding binding(files);
        EXPECT_TRUE(IsStillLoaded(files.Avcodec));
        EXPECT_FALSE(binding.AvutilLibrary.IsLoaded());
    }
    unsetenv("KESTOVAR_FAKE_UNLOAD_LOG");

    // Released after every wrapper, the newest first; nothing for the library
    // that never loaded.
    EXPECT_EQ(ReadLines(log),
              (std::vector<std::string>{"kfakefilter", "kfakeresample", "kfakescale", "kfakeformat",
                                        "kfakecodec"}));
    for (const std::string& file :
         {files.Avcodec, files.Avformat, files.Swscale, files.Swresample, files.Avfilter})
        EXPECT_FALSE(IsStillLoaded(file)) << file;
    fs::remove(log);
}

}  // namespace
