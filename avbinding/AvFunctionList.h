// The one list of every media-library function the program calls, with the
// library that exports it. It is expanded wherever the binding needs it: the
// wrapper declarations, their construction (in this order) and the checks.
//
// Add a row here when new code calls a function; remove it when the last call
// goes. tests/avbinding checks that every row is called somewhere.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/display.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

// X(library, function): library is one of Avcodec, Avformat, Avutil, Swscale,
// Swresample, Avfilter (the TLibrary members of av::TBinding without "Library").
#define KESTOVAR_AV_FUNCTIONS(X)                \
    /* libavcodec */                            \
    X(Avcodec, avcodec_version)                 \
    X(Avcodec, avcodec_find_decoder)            \
    X(Avcodec, avcodec_find_encoder)            \
    X(Avcodec, avcodec_alloc_context3)          \
    X(Avcodec, avcodec_free_context)            \
    X(Avcodec, avcodec_parameters_to_context)   \
    X(Avcodec, avcodec_parameters_from_context) \
    X(Avcodec, avcodec_open2)                   \
    X(Avcodec, avcodec_send_packet)             \
    X(Avcodec, avcodec_receive_frame)           \
    X(Avcodec, avcodec_send_frame)              \
    X(Avcodec, avcodec_receive_packet)          \
    X(Avcodec, av_packet_alloc)                 \
    X(Avcodec, av_packet_free)                  \
    X(Avcodec, av_packet_unref)                 \
    X(Avcodec, av_packet_move_ref)              \
    X(Avcodec, av_packet_rescale_ts)            \
    X(Avcodec, av_packet_get_side_data)         \
    X(Avcodec, avcodec_decode_subtitle2)        \
    X(Avcodec, avsubtitle_free)                 \
    /* libavformat */                           \
    X(Avformat, avformat_version)               \
    X(Avformat, avformat_open_input)            \
    X(Avformat, avformat_find_stream_info)      \
    X(Avformat, avformat_close_input)           \
    X(Avformat, av_read_frame)                  \
    X(Avformat, avformat_seek_file)             \
    X(Avformat, av_stream_get_side_data)        \
    X(Avformat, av_find_best_stream)            \
    X(Avformat, avformat_alloc_output_context2) \
    X(Avformat, avformat_free_context)          \
    X(Avformat, avformat_new_stream)            \
    X(Avformat, avio_open2)                     \
    X(Avformat, avio_closep)                    \
    X(Avformat, avio_size)                      \
    X(Avformat, avio_seek)                      \
    X(Avformat, avformat_write_header)          \
    X(Avformat, av_interleaved_write_frame)     \
    X(Avformat, av_write_trailer)               \
    X(Avformat, av_dump_format)                 \
    /* libavutil */                             \
    X(Avutil, avutil_version)                   \
    X(Avutil, av_version_info)                  \
    X(Avutil, av_log_set_level)                 \
    X(Avutil, av_vlog)                          \
    X(Avutil, av_mul_q)                         \
    X(Avutil, av_rescale_q)                     \
    X(Avutil, av_compare_ts)                    \
    X(Avutil, av_rescale_q_rnd)                 \
    X(Avutil, av_strdup)                        \
    X(Avutil, av_free)                          \
    X(Avutil, av_strerror)                      \
    X(Avutil, av_dict_set)                      \
    X(Avutil, av_dict_free)                     \
    X(Avutil, av_dict_get)                      \
    X(Avutil, av_frame_alloc)                   \
    X(Avutil, av_frame_free)                    \
    X(Avutil, av_frame_ref)                     \
    X(Avutil, av_frame_unref)                   \
    X(Avutil, av_frame_get_buffer)              \
    X(Avutil, av_frame_make_writable)           \
    X(Avutil, av_frame_apply_cropping)          \
    X(Avutil, av_frame_move_ref)                \
    X(Avutil, av_frame_copy)                    \
    X(Avutil, av_frame_get_side_data)           \
    X(Avutil, av_pix_fmt_desc_get)              \
    X(Avutil, av_channel_layout_default)        \
    X(Avutil, av_channel_layout_uninit)         \
    X(Avutil, av_display_rotation_get)          \
    X(Avutil, av_audio_fifo_alloc)              \
    X(Avutil, av_audio_fifo_free)               \
    X(Avutil, av_audio_fifo_write)              \
    X(Avutil, av_audio_fifo_read)               \
    X(Avutil, av_audio_fifo_size)               \
    /* libswscale */                            \
    X(Swscale, swscale_version)                 \
    X(Swscale, sws_getContext)                  \
    X(Swscale, sws_scale)                       \
    X(Swscale, sws_freeContext)                 \
    /* libswresample */                         \
    X(Swresample, swresample_version)           \
    X(Swresample, swr_alloc_set_opts2)          \
    X(Swresample, swr_init)                     \
    X(Swresample, swr_set_matrix)               \
    X(Swresample, swr_convert)                  \
    X(Swresample, swr_get_delay)                \
    X(Swresample, swr_free)                     \
    /* libavfilter */                           \
    X(Avfilter, avfilter_version)               \
    X(Avfilter, avfilter_get_by_name)           \
    X(Avfilter, avfilter_graph_alloc)           \
    X(Avfilter, avfilter_graph_free)            \
    X(Avfilter, avfilter_graph_create_filter)   \
    X(Avfilter, avfilter_link)                  \
    X(Avfilter, avfilter_graph_config)          \
    X(Avfilter, av_buffersrc_add_frame_flags)   \
    X(Avfilter, av_buffersink_get_frame)        \
    X(Avfilter, av_buffersink_get_time_base)
