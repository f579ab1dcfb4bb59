#include "framesinks.h"

#include <stdio.h>

#include <algorithm>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "images/png.h"

namespace {

const int AudioBitRate = 192000;
const int KeyframeSeconds = 4;

std::string AvError(const char *what, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return std::string(what) + ": " + text;
}

class Mp4Sink : public FrameSink {
public:
    Mp4Sink(const VideoSettings &video, const MusicTrack &audio) : video_(video), audio_(audio) {}

    ~Mp4Sink() override
    {
        sws_freeContext(scaler_);
        av_frame_free(&picture_);
        av_frame_free(&sound_);
        av_packet_free(&packet_);
        avcodec_free_context(&videoCodec_);
        avcodec_free_context(&audioCodec_);
        if (format_) {
            avio_closep(&format_->pb);
            avformat_free_context(format_);
        }
    }

    bool Open(const std::string &path, std::string *error)
    {
        // "file:" keeps a name with a colon from being read as a protocol.
        const std::string url = "file:" + path;
        int status = avformat_alloc_output_context2(&format_, nullptr, "mp4", url.c_str());
        if (status < 0) return Fail("mp4 muxer", status, error);
        if (!OpenVideo(error) || (!audio_.left.empty() && !OpenAudio(error))) return false;
        if ((status = avio_open(&format_->pb, url.c_str(), AVIO_FLAG_WRITE)) < 0)
            return Fail(path.c_str(), status, error);
        AVDictionary *options = nullptr;
        av_dict_set(&options, "movflags", "+faststart", 0);
        status = avformat_write_header(format_, &options);
        av_dict_free(&options);
        if (status < 0) return Fail("writing the header", status, error);
        packet_ = av_packet_alloc();
        return true;
    }

    bool Write(const unsigned char *rgba, std::string *error) override
    {
        int status = av_frame_make_writable(picture_);
        if (status < 0) return Fail("video frame", status, error);
        // A negative stride turns GL's bottom-up rows the right way up.
        const int stride = 4 * video_.width;
        const uint8_t *rows[1] = {rgba + size_t(video_.height - 1) * stride};
        const int strides[1] = {-stride};
        sws_scale(scaler_, rows, strides, 0, video_.height, picture_->data, picture_->linesize);
        picture_->pts = framesWritten_++;
        if (!Encode(videoCodec_, videoStream_, picture_, error)) return false;
        return WriteAudioUntil(
            std::min(audio_.size(), size_t(framesWritten_ * audio_.rate / video_.fps)), error);
    }

    bool Finish(std::string *error) override
    {
        if (!Encode(videoCodec_, videoStream_, nullptr, error) ||
            !WriteAudioUntil(audio_.size(), error))
            return false;
        if (audioCodec_ && !Encode(audioCodec_, audioStream_, nullptr, error)) return false;
        int status = av_write_trailer(format_);
        if (status < 0) return Fail("writing the index", status, error);
        if ((status = avio_closep(&format_->pb)) < 0)
            return Fail("closing the file", status, error);
        return true;
    }

private:
    bool Fail(const char *what, int status, std::string *error)
    {
        *error = AvError(what, status);
        return false;
    }

    AVStream *AddStream(AVCodecContext *codec, std::string *error)
    {
        AVStream *stream = avformat_new_stream(format_, nullptr);
        if (!stream || avcodec_parameters_from_context(stream->codecpar, codec) < 0) {
            *error = "cannot add a stream to the MP4";
            return nullptr;
        }
        stream->time_base = codec->time_base;
        return stream;
    }

    bool OpenVideo(std::string *error)
    {
        const AVCodec *codec = avcodec_find_encoder_by_name("libx264");
        if (!codec) {
            *error = "this FFmpeg has no libx264 encoder";
            return false;
        }
        videoCodec_ = avcodec_alloc_context3(codec);
        videoCodec_->width = video_.width;
        videoCodec_->height = video_.height;
        videoCodec_->pix_fmt = AV_PIX_FMT_YUV420P;
        videoCodec_->time_base = AVRational{1, video_.fps};
        videoCodec_->framerate = AVRational{video_.fps, 1};
        videoCodec_->gop_size = KeyframeSeconds * video_.fps;
        // Tagged, so that players do not guess the matrix from the picture size.
        videoCodec_->colorspace = AVCOL_SPC_BT709;
        videoCodec_->color_primaries = AVCOL_PRI_BT709;
        videoCodec_->color_trc = AVCOL_TRC_BT709;
        videoCodec_->color_range = AVCOL_RANGE_MPEG;
        if (format_->oformat->flags & AVFMT_GLOBALHEADER)
            videoCodec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary *options = nullptr;
        av_dict_set(&options, "preset", video_.preset.c_str(), 0);
        av_dict_set_int(&options, "crf", video_.crf, 0);
        int status = avcodec_open2(videoCodec_, codec, &options);
        av_dict_free(&options);
        if (status < 0) return Fail("H.264 encoder", status, error);
        if (!(videoStream_ = AddStream(videoCodec_, error))) return false;

        scaler_ = sws_getContext(video_.width, video_.height, AV_PIX_FMT_RGBA, video_.width,
                                 video_.height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr,
                                 nullptr);
        if (!scaler_) {
            *error = "no RGBA to YUV converter";
            return false;
        }
        const int *bt709 = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(scaler_, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
        picture_ = av_frame_alloc();
        picture_->format = AV_PIX_FMT_YUV420P;
        picture_->width = video_.width;
        picture_->height = video_.height;
        if ((status = av_frame_get_buffer(picture_, 0)) < 0)
            return Fail("video frame", status, error);
        return true;
    }

    bool OpenAudio(std::string *error)
    {
        const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!codec) {
            *error = "this FFmpeg has no AAC encoder";
            return false;
        }
        audioCodec_ = avcodec_alloc_context3(codec);
        audioCodec_->sample_fmt = AV_SAMPLE_FMT_FLTP;
        audioCodec_->sample_rate = audio_.rate;
        audioCodec_->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
        audioCodec_->bit_rate = AudioBitRate;
        audioCodec_->time_base = AVRational{1, audio_.rate};
        if (format_->oformat->flags & AVFMT_GLOBALHEADER)
            audioCodec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int status = avcodec_open2(audioCodec_, codec, nullptr);
        if (status < 0) return Fail("AAC encoder", status, error);
        if (!(audioStream_ = AddStream(audioCodec_, error))) return false;
        sound_ = av_frame_alloc();
        sound_->format = AV_SAMPLE_FMT_FLTP;
        sound_->sample_rate = audio_.rate;
        sound_->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
        sound_->nb_samples = audioCodec_->frame_size;
        if ((status = av_frame_get_buffer(sound_, 0)) < 0)
            return Fail("audio frame", status, error);
        return true;
    }

    // Encodes the track in the encoder's frame size up to sample end; a
    // shorter last frame only when the track ends there.
    bool WriteAudioUntil(size_t end, std::string *error)
    {
        if (!audioCodec_) return true;
        const size_t frameSize = size_t(audioCodec_->frame_size);
        while (audioSent_ < end && (audioSent_ + frameSize <= end || end == audio_.size())) {
            const size_t count = std::min(frameSize, end - audioSent_);
            int status = av_frame_make_writable(sound_);
            if (status < 0) return Fail("audio frame", status, error);
            float *left = (float *)sound_->data[0], *right = (float *)sound_->data[1];
            std::fill(left, left + frameSize, 0.0f);
            std::fill(right, right + frameSize, 0.0f);
            std::copy_n(audio_.left.begin() + audioSent_, count, left);
            std::copy_n(audio_.right.begin() + audioSent_, count, right);
            if (!(audioCodec_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME))
                sound_->nb_samples = int(frameSize);
            else
                sound_->nb_samples = int(count);
            sound_->pts = int64_t(audioSent_);
            audioSent_ += count;
            if (!Encode(audioCodec_, audioStream_, sound_, error)) return false;
        }
        return true;
    }

    // Sends one frame (null: the end) and writes every packet it gives.
    bool Encode(AVCodecContext *codec, AVStream *stream, AVFrame *frame, std::string *error)
    {
        int status = avcodec_send_frame(codec, frame);
        if (status < 0) return Fail("encoding", status, error);
        while ((status = avcodec_receive_packet(codec, packet_)) >= 0) {
            if (packet_->duration == 0 && codec == videoCodec_) packet_->duration = 1;
            av_packet_rescale_ts(packet_, codec->time_base, stream->time_base);
            packet_->stream_index = stream->index;
            status = av_interleaved_write_frame(format_, packet_);
            if (status < 0) return Fail("writing", status, error);
        }
        return status == AVERROR(EAGAIN) || status == AVERROR_EOF ||
               Fail("encoding", status, error);
    }

    VideoSettings video_;
    const MusicTrack &audio_;
    AVFormatContext *format_ = nullptr;
    AVCodecContext *videoCodec_ = nullptr, *audioCodec_ = nullptr;
    AVStream *videoStream_ = nullptr, *audioStream_ = nullptr;
    SwsContext *scaler_ = nullptr;
    AVFrame *picture_ = nullptr, *sound_ = nullptr;
    AVPacket *packet_ = nullptr;
    int64_t framesWritten_ = 0;
    size_t audioSent_ = 0;
};

class PngSink : public FrameSink {
public:
    PngSink(const std::string &dir, const VideoSettings &video) : dir_(dir), video_(video) {}

    bool Write(const unsigned char *rgba, std::string *error) override
    {
        const size_t width = size_t(video_.width), height = size_t(video_.height);
        rgb_.resize(width * height * 3);
        for (size_t y = 0; y < height; y++) {
            const unsigned char *row = rgba + (height - 1 - y) * width * 4;
            unsigned char *out = &rgb_[y * width * 3];
            for (size_t x = 0; x < width; x++) std::copy_n(row + 4 * x, 3, out + 3 * x);
        }
        char name[32];
        snprintf(name, sizeof name, "/%06d.png", frame_++);
        return WritePng(dir_ + name, video_.width, video_.height, rgb_, error);
    }

    bool Finish(std::string *) override { return true; }

private:
    std::string dir_;
    VideoSettings video_;
    std::vector<unsigned char> rgb_;
    int frame_ = 0;
};

}  // namespace

std::unique_ptr<FrameSink> OpenMp4(const std::string &path, const VideoSettings &video,
                                   const MusicTrack &audio, std::string *error)
{
    std::unique_ptr<Mp4Sink> sink(new Mp4Sink(video, audio));
    if (!sink->Open(path, error)) return nullptr;
    return sink;
}

std::unique_ptr<FrameSink> OpenPngFrames(const std::string &dir, const VideoSettings &video)
{
    return std::unique_ptr<FrameSink>(new PngSink(dir, video));
}
