#include "EncoderDecisions.h"

#include <new>

#include "AvPtr.h"
#include "EngineError.h"

namespace transcode {

// The choices below were measured with bench/quality against the encoders'
// defaults under the same rate control, at 176x144 and 320x240.
void OpenVideoEncoder(AVCodecContext& encoder, const char* openError) {
    // Each macroblock's mode (intra, inter, skipped) by the bits it costs and
    // the error it leaves rather than by a rough match score: on busy 320x240
    // pictures about a fifth fewer bits where the coarsest quantiser is
    // reached, and 0.1 to 0.5 dB more PSNR at the same bits elsewhere.
    encoder.mb_decision = FF_MB_DECISION_RD;
    // Trellis quantisation: the coefficients by rate and distortion too.
    // Another 0.1 to 0.2 dB, for about half again the encoding time, which
    // at these sizes is small beside decoding the source.
    encoder.trellis = 1;
    // The motion search also starts from the vectors of the previous picture:
    // phone clips move steadily.
    encoder.last_predictor_count = 2;

    AVDictionary* options = nullptr;
    int set = 0;
    if (encoder.codec_id == AV_CODEC_ID_MPEG4) {
        // Four motion vectors per macroblock belong to Simple Profile. AC
        // prediction the encoder already chooses per macroblock by itself.
        encoder.flags |= AV_CODEC_FLAG_4MV;
    } else if (encoder.codec_id == AV_CODEC_ID_H263) {
        // Baseline H.263 has neither four vectors nor AC prediction (both need
        // optional annexes that phones' decoders may lack). What helps it
        // instead: the sub-pixel search and the macroblock comparisons on
        // Hadamard-transformed differences, and always trying the zero
        // vector, another 0.1 to 0.3 dB. For MPEG-4 both cost bits on smooth
        // pictures, so it keeps the plain differences.
        encoder.me_sub_cmp = FF_CMP_SATD;
        encoder.mb_cmp = FF_CMP_SATD;
        set = AV.av_dict_set(&options, "mpv_flags", "+mv0", 0);
    }
    const int opened = set < 0 ? set : AV.avcodec_open2(&encoder, encoder.codec, &options);
    AV.av_dict_free(&options);
    if (set < 0) throw std::bad_alloc();
    if (opened < 0) throw EngineError(openError);
}

}  // namespace transcode
