#include "H263Level.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

#include "EngineError.h"

namespace transcode {

namespace {

// A picture size and the shortest time between two pictures at that size.
struct PictureLimit {
    int32_t MaxWidth;
    int32_t MaxHeight;
    AVRational MinInterval;  // seconds
};

// One H.263 level: the largest picture at its slowest rate, a smaller picture
// that may come faster, and the bitrate.
struct H263Limits {
    int32_t Level;
    PictureLimit Largest;
    PictureLimit Faster;
    int64_t MaxBitRate;  // bit/s
};

// The levels of H.263 profile 0, in the order they are tried.
constexpr std::array<H263Limits, 8> kLevels{{
    {10, {176, 144, {2002, 30000}}, {176, 144, {2002, 30000}}, 64000},
    {45, {176, 144, {2002, 30000}}, {176, 144, {2002, 30000}}, 128000},
    {20, {352, 288, {2002, 30000}}, {176, 144, {1001, 30000}}, 128000},
    {30, {352, 288, {1001, 30000}}, {352, 288, {1001, 30000}}, 384000},
    {40, {352, 288, {1001, 30000}}, {352, 288, {1001, 30000}}, 2048000},
    {50, {352, 288, {1, 50}}, {352, 240, {1001, 60000}}, 4096000},
    {60, {720, 288, {1, 50}}, {720, 240, {1001, 60000}}, 8192000},
    {70, {720, 576, {1, 50}}, {720, 480, {1001, 60000}}, 16384000},
}};

bool Holds(const PictureLimit& limit, int32_t width, int32_t height, AVRational frameRate) {
    // Frame rate at most 1 / MinInterval, compared without rounding.
    const bool rateFits = int64_t{frameRate.num} * limit.MinInterval.num <=
                          int64_t{frameRate.den} * limit.MinInterval.den;
    return width <= limit.MaxWidth && height <= limit.MaxHeight && rateFits;
}

uint32_t ReadBigEndian(const unsigned char* bytes) {
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
           bytes[3];
}

// A box header of an ISO base media file.
struct BoxHeader {
    std::string_view Type;
    uint64_t HeaderSize;
    uint64_t Size;  // header included
};

// The header at bytes, of a box that must fit into room bytes; bytes holds at
// least the smaller of room and 16. None when the header is cut short or the
// size impossible.
std::optional<BoxHeader> ReadHeader(const unsigned char* bytes, uint64_t room) {
    if (room < 8) return std::nullopt;
    BoxHeader header{std::string_view(reinterpret_cast<const char*>(bytes + 4), 4), 8,
                     ReadBigEndian(bytes)};
    if (header.Size == 1) {
        if (room < 16) return std::nullopt;
        header.Size = (uint64_t{ReadBigEndian(bytes + 8)} << 32) | ReadBigEndian(bytes + 12);
        header.HeaderSize = 16;
    } else if (header.Size == 0) {
        header.Size = room;  // up to the end of the enclosing box or file
    }
    if (header.Size < header.HeaderSize || header.Size > room) return std::nullopt;
    return header;
}

// A box inside a buffer.
struct Box {
    std::string_view Type;
    std::size_t ContentStart;  // offset of the content in the buffer
    std::size_t End;           // offset just past the box
};

// The box starting at offset within [offset, end) of data.
std::optional<Box> BoxAt(const std::vector<unsigned char>& data, std::size_t offset,
                         std::size_t end) {
    const std::optional<BoxHeader> header = ReadHeader(data.data() + offset, end - offset);
    if (!header) return std::nullopt;
    return Box{header->Type, offset + static_cast<std::size_t>(header->HeaderSize),
               offset + static_cast<std::size_t>(header->Size)};
}

// The first box of the given type among the boxes in [begin, end).
std::optional<Box> Child(const std::vector<unsigned char>& data, std::size_t begin, std::size_t end,
                         std::string_view type) {
    for (std::size_t offset = begin; offset < end;) {
        const std::optional<Box> box = BoxAt(data, offset, end);
        if (!box) return std::nullopt;
        if (box->Type == type) return box;
        offset = box->End;
    }
    return std::nullopt;
}

// The offset of the level byte inside moov's content (data holds the whole
// moov box, header included), if an H.263 track carries a d263 box.
std::optional<std::size_t> LevelOffsetInMoov(const std::vector<unsigned char>& data) {
    const std::optional<Box> moov = BoxAt(data, 0, data.size());
    if (!moov) return std::nullopt;
    for (std::size_t offset = moov->ContentStart; offset < moov->End;) {
        const std::optional<Box> trak = BoxAt(data, offset, moov->End);
        if (!trak) return std::nullopt;
        offset = trak->End;
        if (trak->Type != "trak") continue;
        std::optional<Box> box = Child(data, trak->ContentStart, trak->End, "mdia");
        if (box) box = Child(data, box->ContentStart, box->End, "minf");
        if (box) box = Child(data, box->ContentStart, box->End, "stbl");
        if (box) box = Child(data, box->ContentStart, box->End, "stsd");
        // stsd: version and flags, then the number of entries.
        if (!box || box->End - box->ContentStart < 8) continue;
        for (std::size_t entryOffset = box->ContentStart + 8; entryOffset < box->End;) {
            const std::optional<Box> entry = BoxAt(data, entryOffset, box->End);
            if (!entry) break;
            entryOffset = entry->End;
            if (entry->Type != "s263" && entry->Type != "h263") continue;
            // The visual sample entry's own 78 bytes come before its boxes.
            constexpr std::size_t kVisualEntryFields = 78;
            if (entry->End - entry->ContentStart < kVisualEntryFields) continue;
            const std::optional<Box> d263 =
                Child(data, entry->ContentStart + kVisualEntryFields, entry->End, "d263");
            // Vendor (4 bytes) and decoder version (1) precede level and profile.
            if (d263 && d263->End - d263->ContentStart >= 7) return d263->ContentStart + 5;
        }
    }
    return std::nullopt;
}

[[noreturn]] void Fail() {
    throw DestinationError("Could not finish destination file\n", 0,
                           "The H.263 level could not be written into the file");
}

}  // namespace

int32_t H263Level(int32_t width, int32_t height, AVRational frameRate, int64_t bitRate) {
    for (const H263Limits& limits : kLevels) {
        const bool pictureFits = Holds(limits.Largest, width, height, frameRate) ||
                                 Holds(limits.Faster, width, height, frameRate);
        if (pictureFits && bitRate <= limits.MaxBitRate) return limits.Level;
    }
    return kLevels.back().Level;
}

bool WriteH263Level(const std::filesystem::path& file, int32_t level) {
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    if (!stream) Fail();
    stream.seekg(0, std::ios::end);
    const std::streamoff fileSize = stream.tellg();
    if (fileSize < 0) Fail();

    // Walk the top-level boxes to moov, then read moov whole: it holds only
    // the index, a few hundred kilobytes even for long clips.
    constexpr uint64_t kLargestIndex = 64 << 20;
    for (std::streamoff offset = 0; offset < fileSize;) {
        const uint64_t room = static_cast<uint64_t>(fileSize - offset);
        std::array<unsigned char, 16> bytes{};
        stream.seekg(offset);
        if (!stream.read(reinterpret_cast<char*>(bytes.data()),
                         static_cast<std::streamsize>(std::min<uint64_t>(16, room)))) {
            Fail();
        }
        const std::optional<BoxHeader> header = ReadHeader(bytes.data(), room);
        if (!header) return false;
        if (header->Type == "moov") {
            if (header->Size > kLargestIndex) return false;
            std::vector<unsigned char> moov(static_cast<std::size_t>(header->Size));
            stream.seekg(offset);
            if (!stream.read(reinterpret_cast<char*>(moov.data()),
                             static_cast<std::streamsize>(moov.size()))) {
                Fail();
            }
            const std::optional<std::size_t> levelOffset = LevelOffsetInMoov(moov);
            if (!levelOffset) return false;
            const char levelAndProfile[2] = {static_cast<char>(level), 0};
            stream.seekp(offset + static_cast<std::streamoff>(*levelOffset));
            if (!stream.write(levelAndProfile, 2) || !stream.flush()) Fail();
            return true;
        }
        offset += static_cast<std::streamoff>(header->Size);
    }
    return false;
}

}  // namespace transcode
