#include "mediafile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace capturetest {

namespace {

std::string AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

double Seconds(int64_t value, AVRational base)
{
    return value == AV_NOPTS_VALUE ? 0 : value * av_q2d(base);
}

showtest::Image ToRgb(const AVFrame *frame)
{
    showtest::Image image;
    image.width = frame->width;
    image.height = frame->height;
    image.rgb.resize(size_t(frame->width) * frame->height * 3);
    SwsContext *scaler =
        sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                       frame->height, AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
    const int *bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(scaler, bt709, frame->color_range == AVCOL_RANGE_JPEG, bt709, 1, 0,
                             1 << 16, 1 << 16);
    uint8_t *out[1] = {image.rgb.data()};
    const int stride[1] = {3 * frame->width};
    sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, out, stride);
    sws_freeContext(scaler);
    return image;
}

void Keep(const AVFrame *frame, bool video, MediaFile *media)
{
    if (video) {
        media->video.frames.push_back(ToRgb(frame));
        return;
    }
    const float *left = (const float *)frame->extended_data[0];
    const float *right =
        (const float *)frame->extended_data[frame->ch_layout.nb_channels > 1 ? 1 : 0];
    media->audio.left.insert(media->audio.left.end(), left, left + frame->nb_samples);
    media->audio.right.insert(media->audio.right.end(), right, right + frame->nb_samples);
}

struct Decoder {
    AVCodecContext *codec = nullptr;
    bool video = false;
};

bool Drain(Decoder &decoder, AVFrame *frame, MediaFile *media, std::string *error)
{
    int status;
    while ((status = avcodec_receive_frame(decoder.codec, frame)) >= 0) {
        Keep(frame, decoder.video, media);
        av_frame_unref(frame);
    }
    if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) return true;
    *error = "decoding: " + AvError(status);
    return false;
}

}  // namespace

bool ReadMediaFile(const std::string &path, MediaFile *media, std::string *error)
{
    *media = MediaFile();
    AVFormatContext *format = nullptr;
    int status = avformat_open_input(&format, path.c_str(), nullptr, nullptr);
    if (status < 0 || (status = avformat_find_stream_info(format, nullptr)) < 0) {
        *error = path + ": " + AvError(status);
        avformat_close_input(&format);
        return false;
    }
    std::vector<Decoder> decoders(format->nb_streams);
    bool ok = true;
    for (unsigned i = 0; i < format->nb_streams && ok; i++) {
        const AVStream *stream = format->streams[i];
        const AVCodecParameters *par = stream->codecpar;
        const AVCodec *codec = avcodec_find_decoder(par->codec_id);
        if (!codec ||
            (par->codec_type != AVMEDIA_TYPE_VIDEO && par->codec_type != AVMEDIA_TYPE_AUDIO))
            continue;
        Decoder &decoder = decoders[i];
        decoder.video = par->codec_type == AVMEDIA_TYPE_VIDEO;
        decoder.codec = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(decoder.codec, par);
        // One thread: the decoded bytes must not depend on scheduling.
        decoder.codec->thread_count = 1;
        if ((status = avcodec_open2(decoder.codec, codec, nullptr)) < 0) {
            *error = "opening the decoder: " + AvError(status);
            ok = false;
        }
        if (decoder.video) {
            media->hasVideo = true;
            media->video.codec = codec->name;
            const char *pixels = av_get_pix_fmt_name(AVPixelFormat(par->format));
            media->video.pixelFormat = pixels ? pixels : "";
            media->video.width = par->width;
            media->video.height = par->height;
            media->video.startSeconds = Seconds(stream->start_time, stream->time_base);
            media->video.durationSeconds = Seconds(stream->duration, stream->time_base);
        } else {
            media->hasAudio = true;
            media->audio.codec = codec->name;
            media->audio.rate = par->sample_rate;
            media->audio.channels = par->ch_layout.nb_channels;
            media->audio.startSeconds = Seconds(stream->start_time, stream->time_base);
            media->audio.durationSeconds = Seconds(stream->duration, stream->time_base);
        }
    }
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    while (ok && av_read_frame(format, packet) >= 0) {
        Decoder &decoder = decoders[size_t(packet->stream_index)];
        if (decoder.codec) {
            if ((status = avcodec_send_packet(decoder.codec, packet)) < 0) {
                *error = "decoding: " + AvError(status);
                ok = false;
            }
            ok = ok && Drain(decoder, frame, media, error);
        }
        av_packet_unref(packet);
    }
    for (Decoder &decoder : decoders) {
        if (ok && decoder.codec) {
            avcodec_send_packet(decoder.codec, nullptr);
            ok = Drain(decoder, frame, media, error);
        }
        avcodec_free_context(&decoder.codec);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&format);
    return ok;
}

}  // namespace capturetest
