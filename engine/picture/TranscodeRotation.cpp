#include "TranscodeRotation.h"

#include <cmath>

#include "Dynamicavimport.h"

namespace transcode {

int32_t UprightRotation(const AVStream* stream) {
    size_t size = 0;
    const uint8_t* matrix = AV.av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(int32_t)) return 0;
    // The matrix turns the picture counterclockwise by this angle to show it.
    const double counterclockwise =
        AV.av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (std::isnan(counterclockwise)) return 0;
    const long quarter = std::lround(-counterclockwise / 90.0);
    return static_cast<int32_t>(((quarter % 4) + 4) % 4 * 90);
}

namespace {

// One plane of width x height bytes, turned clockwise.
void RotatePlane(const uint8_t* source, int sourceStride, int width, int height,
                 uint8_t* destination, int destinationStride, int32_t rotation) {
    if (rotation == 180) {
        for (int y = 0; y < height; ++y) {
            const uint8_t* from = source + (height - 1 - y) * sourceStride + width - 1;
            uint8_t* to = destination + y * destinationStride;
            for (int x = 0; x < width; ++x) to[x] = *(from - x);
        }
        return;
    }
    // The turned plane is height wide and width high. Walking the source row
    // by row keeps its reads sequential.
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = source + y * sourceStride;
        if (rotation == 90) {
            // Source row y becomes destination column height - 1 - y.
            uint8_t* to = destination + (height - 1 - y);
            for (int x = 0; x < width; ++x) to[x * destinationStride] = from[x];
        } else {
            // 270: source row y becomes destination column y, bottom up.
            uint8_t* to = destination + (width - 1) * destinationStride + y;
            for (int x = 0; x < width; ++x) to[-x * destinationStride] = from[x];
        }
    }
}

}  // namespace

void RotatePicture(const AVFrame& source, AVFrame& destination, int32_t rotation) {
    const int chromaWidth = (source.width + 1) / 2;
    const int chromaHeight = (source.height + 1) / 2;
    RotatePlane(source.data[0], source.linesize[0], source.width, source.height,
                destination.data[0], destination.linesize[0], rotation);
    for (int plane = 1; plane < 3; ++plane) {
        RotatePlane(source.data[plane], source.linesize[plane], chromaWidth, chromaHeight,
                    destination.data[plane], destination.linesize[plane], rotation);
    }
}

}  // namespace transcode
