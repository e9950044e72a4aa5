// Picture sizes and the sizes each video codec accepts.
#pragma once

#include <array>
#include <cstdint>

struct ResolutionEntry {
    int32_t Index;   // the row's own position in ResolutionTable
    int32_t Width;   // pixels
    int32_t Height;  // pixels
};

struct CodecResolutionPair {
    int32_t VideoCodec;  // 0 H.263, 1 MPEG-4 Part 2
    int32_t Resolution;  // row of ResolutionTable
};

// Video codec choices as the tables and the selection hold them.
inline constexpr int32_t VideoCodecH263 = 0;
inline constexpr int32_t VideoCodecMpeg4 = 1;

inline constexpr std::array<ResolutionEntry, 18> ResolutionTable{{
    {0, 80, 60},
    {1, 96, 72},
    {2, 128, 96},
    {3, 160, 120},
    {4, 176, 120},
    {5, 176, 128},
    {6, 176, 144},
    {7, 192, 144},
    {8, 208, 176},
    {9, 240, 180},
    {10, 320, 200},
    {11, 320, 240},
    {12, 352, 240},
    {13, 352, 288},
    {14, 640, 480},
    {15, 704, 576},
    {16, 720, 480},
    {17, 720, 576},
}};

// H.263 takes only its four standard picture formats (sub-QCIF, QCIF, CIF,
// 4CIF); MPEG-4 Part 2 takes every size of ResolutionTable.
inline constexpr std::array<CodecResolutionPair, 22> CodecResolutionTable{{
    {0, 2}, {0, 6}, {0, 13}, {0, 15},                                     // H.263
    {1, 0}, {1, 1}, {1, 2},  {1, 3},  {1, 4},  {1, 5},  {1, 6},  {1, 7},  // MPEG-4
    {1, 8}, {1, 9}, {1, 10}, {1, 11}, {1, 12}, {1, 13}, {1, 14}, {1, 15}, {1, 16}, {1, 17},
}};

// True when (videoCodec, resolution) stands in CodecResolutionTable. Any codec
// other than 0 or 1, and any resolution outside 0 to 17, gives false.
constexpr bool IsResolutionAllowed(int32_t videoCodec, int32_t resolution) {
    for (const CodecResolutionPair& pair : CodecResolutionTable) {
        if (pair.VideoCodec == videoCodec && pair.Resolution == resolution) return true;
    }
    return false;
}

constexpr bool IsResolutionRow(int32_t row) {
    return row >= 0 && row < static_cast<int32_t>(ResolutionTable.size());
}

static_assert(
    [] {
        for (std::size_t i = 0; i < ResolutionTable.size(); ++i) {
            if (ResolutionTable[i].Index != static_cast<int32_t>(i)) return false;
        }
        return true;
    }(),
    "ResolutionTable: Index must equal the row's position");
static_assert(
    [] {
        for (const CodecResolutionPair& pair : CodecResolutionTable) {
            if (!IsResolutionRow(pair.Resolution)) return false;
        }
        return true;
    }(),
    "CodecResolutionTable names a row outside ResolutionTable");
