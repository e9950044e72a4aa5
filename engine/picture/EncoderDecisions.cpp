#include "EncoderDecisions.h"

#include <new>

#include "AvPtr.h"
#include "EngineError.h"

namespace transcode {

namespace {

// QCIF, 176x144: pictures this small cost so little to encode, beside
// decoding a typical source, that the slower searches pay for themselves.
constexpr int kSmallPictureMacroblocks = 99;

}  // namespace

// The choices below were measured with bench/quality against the encoders'
// defaults under the same rate control, and by their processor time: on
// bench/run's jobs encoding shares the machine with decoding an HD source,
// so every tool that adds encoding time slows the whole conversion.
void OpenVideoEncoder(AVCodecContext& encoder, const char* openError) {
    const int macroblocks = ((encoder.width + 15) / 16) * ((encoder.height + 15) / 16);
    // Each macroblock's mode (intra, inter, skipped) by the bits it costs and
    // the error it leaves rather than by a rough match score: busy 320x240
    // pictures that reach the coarsest quantiser take a sixth fewer bits at
    // 0.5 dB more, for about a fifth more encoding time.
    encoder.mb_decision = FF_MB_DECISION_RD;

    AVDictionary* options = nullptr;
    int set = 0;
    if (macroblocks <= kSmallPictureMacroblocks) {
        // Four motion vectors per macroblock (MPEG-4 Simple Profile; H.263
        // would need an optional annex that baseline decoders lack, as AC
        // prediction does, which MPEG-4 chooses per macroblock by itself),
        // the sub-pixel search and the macroblock comparisons on
        // Hadamard-transformed differences, and always a try of the zero
        // vector: at 176x144 and 80 kbit/s 0.25 to 0.6 dB more on busy
        // pictures at the same bits, for twice the encoding time. Trellis
        // quantisation would add 0.1 to 0.2 dB for three times that again,
        // more than the speed targets leave room for.
        if (encoder.codec_id == AV_CODEC_ID_MPEG4) encoder.flags |= AV_CODEC_FLAG_4MV;
        // The motion search also starts from the vectors of the previous
        // picture. It costs next to nothing and helps at this size; at 320x240
        // it spent 2 to 3 % more bits on smooth pictures for no better ones.
        encoder.last_predictor_count = 2;
        encoder.me_sub_cmp = FF_CMP_SATD;
        encoder.mb_cmp = FF_CMP_SATD;
        set = AV.av_dict_set(&options, "mpv_flags", "+mv0", 0);
    }
    const int opened = set < 0 ? set : AV.avcodec_open2(&encoder, encoder.codec, &options);
    AV.av_dict_free(&options);
    if (set < 0) throw std::bad_alloc();
    if (opened < 0) throw DestinationError(openError, opened);
}

}  // namespace transcode
