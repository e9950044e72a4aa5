// Reads fields of ISO media (.3gp, .mp4) files box by box, for the tests:
// independent of the engine's own box code.
#pragma once

#include <QString>
#include <optional>

namespace test_support {

struct H263Declaration {
    int Level = 0;
    int Profile = 0;
};

// The level and profile in the d263 box of the file's H.263 sample entry
// (moov/trak/mdia/minf/stbl/stsd/s263/d263); none when there is none.
std::optional<H263Declaration> H263SampleEntry(const QString& path);

// Makes the movie header (moov/mvhd) of the file claim the length `factor`
// times its own, the tracks left as they are: a container that tells a wrong
// length. False when the file has no such header.
bool ScaleMovieDuration(const QString& path, double factor);

}  // namespace test_support
