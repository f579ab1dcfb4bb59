#include "mixermusic.h"

#include <stdio.h>

#include <algorithm>
#include <cmath>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "showplan.h"

namespace {

std::string AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

struct FormatCloser {
    void operator()(AVFormatContext *format) const { avformat_close_input(&format); }
};
struct CodecFreer {
    void operator()(AVCodecContext *codec) const { avcodec_free_context(&codec); }
};
struct SwrFreer {
    void operator()(SwrContext *swr) const { swr_free(&swr); }
};
struct FrameFreer {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};

// Decodes every frame of one audio stream and resamples it to stereo at rate.
class MusicDecoder {
public:
    MusicDecoder(int rate, size_t maxFrames, MusicTrack *track)
        : rate_(rate), maxFrames_(maxFrames), track_(track)
    {
    }

    int inputRate() const { return inputRate_; }

    bool Run(const std::string &path, std::string *error)
    {
        AVFormatContext *raw = nullptr;
        int status = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
        if (status < 0) return Fail(status, error);
        format_.reset(raw);
        if ((status = avformat_find_stream_info(raw, nullptr)) < 0) return Fail(status, error);
        const AVCodec *codec = nullptr;
        stream_ = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (stream_ < 0) return Fail(stream_, error);
        codec_.reset(avcodec_alloc_context3(codec));
        avcodec_parameters_to_context(codec_.get(), raw->streams[stream_]->codecpar);
        // Keeps the encoder's delay that FFmpeg would trim: the show's mixer plays it.
        codec_->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;
        if ((status = avcodec_open2(codec_.get(), codec, nullptr)) < 0) return Fail(status, error);

        std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
        frame_.reset(av_frame_alloc());
        while (track_->size() < maxFrames_ && (status = av_read_frame(raw, packet.get())) >= 0) {
            // A damaged frame is skipped, as the mixer's decoder resynchronises.
            if (packet->stream_index == stream_ &&
                avcodec_send_packet(codec_.get(), packet.get()) >= 0 && !Drain(error))
                return false;
            av_packet_unref(packet.get());
        }
        // A read error after some music ends it, as a truncated file would.
        if (status < 0 && status != AVERROR_EOF && !swr_) return Fail(status, error);
        avcodec_send_packet(codec_.get(), nullptr);
        if (!Drain(error)) return false;
        if (!swr_) {
            *error = "no audio in the file";
            return false;
        }
        return Convert(nullptr, 0, error);
    }

private:
    bool Fail(int status, std::string *error)
    {
        *error = AvError(status);
        return false;
    }

    bool Drain(std::string *error)
    {
        int status;
        while ((status = avcodec_receive_frame(codec_.get(), frame_.get())) >= 0) {
            const bool ok = OpenResampler(error) && Convert((const uint8_t **)frame_->extended_data,
                                                            frame_->nb_samples, error);
            av_frame_unref(frame_.get());
            if (!ok) return false;
        }
        return status == AVERROR(EAGAIN) || status == AVERROR_EOF || Fail(status, error);
    }

    bool OpenResampler(std::string *error)
    {
        if (swr_) return true;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        SwrContext *swr = nullptr;
        int status =
            swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_FLTP, rate_, &frame_->ch_layout,
                                AVSampleFormat(frame_->format), frame_->sample_rate, 0, nullptr);
        swr_.reset(swr);
        if (status < 0 || (status = swr_init(swr)) < 0) return Fail(status, error);
        inputRate_ = frame_->sample_rate;
        return true;
    }

    bool Convert(const uint8_t **input, int frames, std::string *error)
    {
        const int room = swr_get_out_samples(swr_.get(), frames);
        if (room < 0) return Fail(room, error);
        const size_t at = track_->size();
        track_->left.resize(at + room);
        track_->right.resize(at + room);
        uint8_t *out[2] = {(uint8_t *)(track_->left.data() + at),
                           (uint8_t *)(track_->right.data() + at)};
        const int made = swr_convert(swr_.get(), out, room, input, frames);
        if (made < 0) return Fail(made, error);
        track_->left.resize(at + made);
        track_->right.resize(at + made);
        return true;
    }

    int rate_;
    size_t maxFrames_;
    MusicTrack *track_;
    std::unique_ptr<AVFormatContext, FormatCloser> format_;
    std::unique_ptr<AVCodecContext, CodecFreer> codec_;
    std::unique_ptr<SwrContext, SwrFreer> swr_;
    std::unique_ptr<AVFrame, FrameFreer> frame_;
    int stream_ = -1;
    int inputRate_ = 0;
};

// Frames of one Layer III frame for the MPEG version bits of a header.
int LayerIIIFrameSamples(unsigned versionBits)
{
    return versionBits == 3 ? 1152 : 576;
}

}  // namespace

int MixerLeadFrames(const std::string &path)
{
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return 0;
    unsigned char head[10 + 4 + 2 + 32 + 4] = {};
    size_t got = fread(head, 1, 10, file);
    long start = 0;
    // An ID3v2 tag: its size is four 7-bit bytes, plus a footer when flagged.
    if (got == 10 && head[0] == 'I' && head[1] == 'D' && head[2] == '3') {
        start = 10 + ((head[6] & 0x7f) << 21 | (head[7] & 0x7f) << 14 | (head[8] & 0x7f) << 7 |
                      (head[9] & 0x7f));
        if (head[5] & 0x10) start += 10;
    }
    fseek(file, start, SEEK_SET);
    got = fread(head, 1, sizeof head, file);
    fclose(file);
    if (got < 4 || head[0] != 0xff || (head[1] & 0xe0) != 0xe0) return 0;
    const unsigned version = (head[1] >> 3) & 3, layer = (head[1] >> 1) & 3;
    const bool crc = !(head[1] & 1), mono = (head[3] >> 6) == 3;
    if (version == 1 || layer != 1) return 0;
    const size_t sideInfo = version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const size_t tag = 4 + (crc ? 2 : 0) + sideInfo;
    if (tag + 4 > got) return 0;
    const std::string name((const char *)head + tag, 4);
    return name == "Xing" || name == "Info" ? LayerIIIFrameSamples(version) : 0;
}

bool DecodeMusic(const std::string &path, int rate, size_t maxFrames, MusicTrack *track,
                 std::string *error)
{
    // The show's mixer words it this way when the file cannot be opened.
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) {
        *error = "Couldn't open '" + path + "'";
        return false;
    }
    fclose(file);
    *track = MusicTrack();
    track->rate = rate;
    MusicDecoder decoder(rate, maxFrames, track);
    if (!decoder.Run(path, error)) return false;
    const size_t lead =
        size_t(std::llround(double(MixerLeadFrames(path)) * rate / decoder.inputRate()));
    track->left.insert(track->left.begin(), lead, 0.0f);
    track->right.insert(track->right.begin(), lead, 0.0f);
    return true;
}

void FadeIn(MusicTrack *track, int fadeMs)
{
    // The show's mixer: one volume step per buffer it mixes.
    const int msPerStep = int(showplan::MusicBufferFrames * 1000.0f / showplan::MusicRateHz);
    const int steps = fadeMs / msPerStep;
    const double framesPerBuffer =
        double(showplan::MusicBufferFrames) * track->rate / showplan::MusicRateHz;
    for (int step = 0; step < steps; step++) {
        // The mixer scales each sample by volume / 128, volume out of 128.
        const float gain = float(128 * (step + 1) / steps) / 128.0f;
        const size_t begin = std::min(track->size(), size_t(std::llround(step * framesPerBuffer)));
        const size_t end =
            std::min(track->size(), size_t(std::llround((step + 1) * framesPerBuffer)));
        for (size_t i = begin; i < end; i++) {
            track->left[i] *= gain;
            track->right[i] *= gain;
        }
    }
}

void Fit(MusicTrack *track, size_t frames)
{
    track->left.resize(frames, 0.0f);
    track->right.resize(frames, 0.0f);
}
