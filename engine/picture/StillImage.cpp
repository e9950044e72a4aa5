#include "StillImage.h"

#include <new>

#include "AvPtr.h"

namespace transcode {

StillImage ToRgb(const AVFrame& picture) {
    StillImage still;
    // The scaler's YUV to RGB is BT.601 with limited range, the phone's own.
    av::ScalerPtr scaler(AV.sws_getContext(
        picture.width, picture.height, static_cast<AVPixelFormat>(picture.format), picture.width,
        picture.height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr));
    if (!scaler) throw std::bad_alloc();
    still.Width = picture.width;
    still.Height = picture.height;
    still.Rgb.resize(static_cast<size_t>(picture.width) * 3 * static_cast<size_t>(picture.height));
    uint8_t* destination[4] = {still.Rgb.data(), nullptr, nullptr, nullptr};
    const int destinationStride[4] = {picture.width * 3, 0, 0, 0};
    AV.sws_scale(scaler.get(), picture.data, picture.linesize, 0, picture.height, destination,
                 destinationStride);
    return still;
}

}  // namespace transcode
