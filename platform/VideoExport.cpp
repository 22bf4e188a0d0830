#include "platform/VideoExport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/AudioTrack.h"

const char* const kVideoContainers = "mp4, mkv, webm";

namespace {

constexpr int kFrameW = 512, kFrameH = 384;
constexpr size_t kQueueFrames = 4;  // frames waiting for the encoder: enough to keep both busy

std::string averror(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

}  // namespace

std::string videoContainerOf(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".mp4" || ext == ".mkv" || ext == ".webm" ? ext : std::string();
}

struct VideoExport::State {
    VideoSettings s;
    std::string temp;  // the file being written; renamed to s.path by finish()
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    AVAudioFifo* fifo = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    int64_t framesEncoded = 0;
    int64_t trackFramesFed = 0;  // track frames given to the resampler so far
    int64_t samplesQueued = 0;   // output samples put into the fifo so far
    int64_t samplesEncoded = 0;  // output samples encoded so far (the next audio pts)

    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::vector<uint32_t>> queue;
    bool closing = false, opened = false;
    std::atomic<bool> failed{false};
    std::string error;
    std::thread worker;
    double busySeconds = 0;

    ~State() {
        av_packet_free(&packet);
        av_frame_free(&picture);
        av_frame_free(&sound);
        if (fifo) av_audio_fifo_free(fifo);
        swr_free(&resampler);
        sws_freeContext(scaler);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        if (format) {
            if (format->pb) avio_closep(&format->pb);
            avformat_free_context(format);
        }
    }

    bool fail(const std::string& what) {
        if (!failed) error = s.path + ": " + what;
        failed = true;
        return false;
    }

    // Sends one frame (null: the end) and writes every packet the encoder gives back.
    bool encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
        int r = avcodec_send_frame(codec, frame);
        if (r < 0) return fail("encoding: " + averror(r));
        while ((r = avcodec_receive_packet(codec, packet)) >= 0) {
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            r = av_interleaved_write_frame(format, packet);
            if (r < 0) return fail("writing: " + averror(r));
        }
        return r == AVERROR(EAGAIN) || r == AVERROR_EOF ? true : fail("encoding: " + averror(r));
    }

    // Opens a configured encoder and adds its stream to the file; null (and the reason kept) on failure.
    AVStream* openStream(AVCodecContext* codec, const AVCodec* kind, const char* what) {
        if (format->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        const int r = avcodec_open2(codec, kind, nullptr);
        if (r < 0) return fail(std::string(what) + ": " + averror(r)), nullptr;
        AVStream* stream = avformat_new_stream(format, nullptr);
        if (!stream) return fail("out of memory"), nullptr;
        stream->time_base = codec->time_base;
        avcodec_parameters_from_context(stream->codecpar, codec);
        return stream;
    }

    bool openVideo(const std::string& container) {
        const bool vp9 = container == ".webm";
        const AVCodec* codec = avcodec_find_encoder_by_name(vp9 ? "libvpx-vp9" : "libx264");
        if (!codec) return fail(std::string("this FFmpeg has no ") + (vp9 ? "libvpx-vp9" : "libx264") + " encoder");
        video = avcodec_alloc_context3(codec);
        const AVRational rate = av_d2q(s.fps, 1 << 16);
        video->width = s.width, video->height = s.height;
        video->pix_fmt = AV_PIX_FMT_YUV420P;
        video->time_base = av_inv_q(rate);
        video->framerate = rate;
        video->thread_count = 0;
        if (vp9) {
            video->bit_rate = 0;  // constant quality
            av_opt_set_int(video->priv_data, "crf", s.quality >= 0 ? s.quality : 24, 0);
            av_opt_set(video->priv_data, "deadline", "good", 0);
            av_opt_set_int(video->priv_data, "cpu-used", 5, 0);
            av_opt_set_int(video->priv_data, "row-mt", 1, 0);
        } else {
            av_opt_set_int(video->priv_data, "crf", s.quality >= 0 ? s.quality : 12, 0);  // about 40 dB PSNR on the show
            av_opt_set(video->priv_data, "preset", "fast", 0);
        }
        if (!(videoStream = openStream(video, codec, "video encoder"))) return false;
        int r;

        picture = av_frame_alloc();
        picture->format = video->pix_fmt, picture->width = s.width, picture->height = s.height;
        if ((r = av_frame_get_buffer(picture, 0)) < 0) return fail("video frame: " + averror(r));
        const bool whole = s.pictureWidth % kFrameW == 0 && s.pictureHeight % kFrameH == 0 &&
                           s.pictureWidth / kFrameW == s.pictureHeight / kFrameH;
        scaler = sws_getContext(kFrameW, kFrameH, AV_PIX_FMT_BGR0, s.pictureWidth, s.pictureHeight, AV_PIX_FMT_YUV420P,
                                whole ? SWS_POINT : SWS_BICUBIC, nullptr, nullptr, nullptr);
        return scaler ? true : fail("no scaler for " + std::to_string(s.pictureWidth) + " x " + std::to_string(s.pictureHeight));
    }

    bool openAudio(const std::string& container) {
        const bool opus = container == ".webm";
        const AVCodec* codec = opus ? avcodec_find_encoder_by_name("libopus") : avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!codec) return fail(std::string("this FFmpeg has no ") + (opus ? "libopus" : "AAC") + " encoder");
        audio = avcodec_alloc_context3(codec);
        int rate = opus ? 48000 : s.track->rate;  // AAC takes the track's own rate when it can
        if (!opus && codec->supported_samplerates) {
            bool supported = false;
            for (const int* r = codec->supported_samplerates; *r; ++r) supported |= *r == rate;
            if (!supported) rate = 48000;
        }
        AVSampleFormat sampleFormat = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
        for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f)
            if (*f == AV_SAMPLE_FMT_FLTP || *f == AV_SAMPLE_FMT_FLT) sampleFormat = *f;
        audio->sample_fmt = sampleFormat;
        audio->sample_rate = rate;
        av_channel_layout_default(&audio->ch_layout, 2);
        audio->bit_rate = opus ? 160000 : 192000;
        audio->time_base = AVRational{1, rate};
        if (!(audioStream = openStream(audio, codec, "audio encoder"))) return false;
        int r;

        AVChannelLayout in;
        av_channel_layout_default(&in, s.track->channels);
        r = swr_alloc_set_opts2(&resampler, &audio->ch_layout, audio->sample_fmt, rate, &in, AV_SAMPLE_FMT_FLT,
                                s.track->rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        if (r < 0 || (r = swr_init(resampler)) < 0) return fail("resampler: " + averror(r));
        fifo = av_audio_fifo_alloc(audio->sample_fmt, 2, 4096);
        sound = av_frame_alloc();
        return true;
    }

    // Output samples that belong to the first `frames` video frames.
    int64_t samplesFor(int64_t frames) const { return std::llround(double(frames) / s.fps * audio->sample_rate); }

    // Resamples the track (looped, as it plays) until at least `target` samples have been made in all,
    // then encodes every whole codec frame; `last` encodes the remainder too, the total trimmed to `target`.
    bool feedAudio(int64_t target, bool last) {
        const int channels = s.track->channels;
        const int64_t length = s.track->frames();
        const int64_t start = std::llround(s.audioFrom * s.track->rate);
        std::vector<float> in;
        while (samplesQueued < target && length > 0) {
            const int64_t want = std::min<int64_t>(4096, std::max<int64_t>(1, av_rescale(target - samplesQueued, s.track->rate, audio->sample_rate) + 1));
            in.resize(size_t(want) * size_t(channels));
            for (int64_t i = 0; i < want; ++i) {
                const int64_t f = ((start + trackFramesFed + i) % length + length) % length;
                std::memcpy(&in[size_t(i) * size_t(channels)], &s.track->samples[size_t(f) * size_t(channels)], sizeof(float) * size_t(channels));
            }
            trackFramesFed += want;
            const int room = swr_get_out_samples(resampler, int(want));
            uint8_t** out = nullptr;
            if (av_samples_alloc_array_and_samples(&out, nullptr, 2, room, audio->sample_fmt, 0) < 0) return fail("out of memory");
            const uint8_t* src = reinterpret_cast<const uint8_t*>(in.data());
            const int got = swr_convert(resampler, out, room, &src, int(want));
            if (got > 0) {  // everything is kept: a sample dropped here would shift all that follows
                av_audio_fifo_write(fifo, reinterpret_cast<void**>(out), got);
                samplesQueued += got;
            }
            av_freep(&out[0]);
            av_freep(&out);
            if (got < 0) return fail("resampling: " + averror(got));
        }
        const int frameSize = audio->frame_size > 0 ? audio->frame_size : 1024;
        if (last)  // exactly as long as the video: what the resampler gave beyond that is left out
            av_audio_fifo_drain(fifo, int(std::max<int64_t>(0, samplesEncoded + av_audio_fifo_size(fifo) - target)));
        while (av_audio_fifo_size(fifo) >= frameSize || (last && av_audio_fifo_size(fifo) > 0)) {
            const int n = std::min(frameSize, av_audio_fifo_size(fifo));
            av_frame_unref(sound);
            sound->nb_samples = n;
            sound->format = audio->sample_fmt;
            sound->sample_rate = audio->sample_rate;
            av_channel_layout_copy(&sound->ch_layout, &audio->ch_layout);
            if (av_frame_get_buffer(sound, 0) < 0) return fail("out of memory");
            av_audio_fifo_read(fifo, reinterpret_cast<void**>(sound->data), n);
            sound->pts = samplesEncoded;
            samplesEncoded += n;
            if (!encode(audio, audioStream, sound)) return false;
        }
        return true;
    }

    bool encodeFrame(const uint32_t* pixels) {
        if (av_frame_make_writable(picture) < 0) return fail("out of memory");
        const bool bars = s.pictureWidth != s.width || s.pictureHeight != s.height;
        if (bars) {  // black in limited-range YUV
            for (int p = 0; p < 3; ++p)
                std::memset(picture->data[p], p == 0 ? 16 : 128, size_t(picture->linesize[p]) * size_t(p == 0 ? s.height : s.height / 2));
        }
        const uint8_t* src[1] = {reinterpret_cast<const uint8_t*>(pixels)};
        const int srcStride[1] = {kFrameW * 4};
        uint8_t* dst[3] = {picture->data[0] + s.pictureY * picture->linesize[0] + s.pictureX,
                           picture->data[1] + s.pictureY / 2 * picture->linesize[1] + s.pictureX / 2,
                           picture->data[2] + s.pictureY / 2 * picture->linesize[2] + s.pictureX / 2};
        sws_scale(scaler, src, srcStride, 0, kFrameH, dst, picture->linesize);
        picture->pts = framesEncoded++;
        if (!encode(video, videoStream, picture)) return false;
        return !audio || feedAudio(samplesFor(framesEncoded), false);
    }

    void run() {
        for (;;) {
            std::vector<uint32_t> frame;
            {
                std::unique_lock<std::mutex> guard(lock);
                changed.wait(guard, [&] { return !queue.empty() || closing; });
                if (queue.empty()) return;
                frame = std::move(queue.front());
                queue.pop_front();
            }
            changed.notify_all();
            const auto begin = std::chrono::steady_clock::now();
            const bool ok = !failed && encodeFrame(frame.data());
            busySeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
            if (!ok) {
                std::lock_guard<std::mutex> guard(lock);
                queue.clear();
                changed.notify_all();
            }
        }
    }
};

VideoExport::VideoExport() : state(std::make_unique<State>()) {}

VideoExport::~VideoExport() { abandon(); }

bool VideoExport::open(const VideoSettings& settings, std::string& reason) {
    State& st = *state;
    st.s = settings;
    const std::string container = videoContainerOf(settings.path);
    if (container.empty()) {
        reason = settings.path + ": not a video file name; the supported extensions are " + kVideoContainers;
        return false;
    }
    av_log_set_level(AV_LOG_ERROR);  // the encoders' own reports are not ours to print
    st.temp = settings.path + ".partial";
    const char* formatName = container == ".mp4" ? "mp4" : container == ".mkv" ? "matroska" : "webm";
    int r = avformat_alloc_output_context2(&st.format, nullptr, formatName, st.temp.c_str());
    if (r < 0 || !st.openVideo(container) || (settings.track && settings.track->frames() > 0 && !st.openAudio(container))) {
        reason = st.failed ? st.error : settings.path + ": " + averror(r);
        return false;
    }
    if ((r = avio_open(&st.format->pb, st.temp.c_str(), AVIO_FLAG_WRITE)) < 0) {
        reason = settings.path + ": cannot write " + st.temp + ": " + averror(r);
        return false;
    }
    st.opened = true;
    AVDictionary* options = nullptr;
    if (container == ".mp4") av_dict_set(&options, "movflags", "+faststart", 0);
    r = avformat_write_header(st.format, &options);
    av_dict_free(&options);
    if (r < 0) {
        reason = settings.path + ": " + averror(r);
        return false;
    }
    st.packet = av_packet_alloc();
    st.worker = std::thread([&st] { st.run(); });
    return true;
}

bool VideoExport::addFrame(const uint32_t* pixels) {
    State& st = *state;
    {
        std::unique_lock<std::mutex> guard(st.lock);
        st.changed.wait(guard, [&] { return st.queue.size() < kQueueFrames || st.failed; });
        if (st.failed) return false;
        st.queue.emplace_back(pixels, pixels + kFrameW * kFrameH);
    }
    st.changed.notify_all();
    return true;
}

bool VideoExport::finish(std::string& reason) {
    State& st = *state;
    {
        std::lock_guard<std::mutex> guard(st.lock);
        st.closing = true;
    }
    st.changed.notify_all();
    if (st.worker.joinable()) st.worker.join();
    bool ok = !st.failed && (!st.audio || st.feedAudio(st.samplesFor(st.framesEncoded), true)) &&
              st.encode(st.video, st.videoStream, nullptr) && (!st.audio || st.encode(st.audio, st.audioStream, nullptr));
    if (ok) {
        const int r = av_write_trailer(st.format);
        if (r < 0) ok = st.fail("writing the end of the file: " + averror(r));
    }
    if (st.format && st.format->pb && avio_closep(&st.format->pb) < 0) ok = st.fail("closing the file");
    std::error_code ec;
    if (ok) std::filesystem::rename(st.temp, st.s.path, ec);
    if (ec) ok = st.fail("cannot rename " + st.temp + ": " + ec.message());
    if (!ok) {
        reason = st.error;
        abandon();
        return false;
    }
    st.opened = false;  // nothing left to remove
    return true;
}

void VideoExport::abandon() {
    State& st = *state;
    {
        std::lock_guard<std::mutex> guard(st.lock);
        st.closing = true;
        st.failed = true;
        st.queue.clear();
    }
    st.changed.notify_all();
    if (st.worker.joinable()) st.worker.join();
    if (st.opened) {
        if (st.format && st.format->pb) avio_closep(&st.format->pb);
        std::error_code ec;
        std::filesystem::remove(st.temp, ec);
        st.opened = false;
    }
}

double VideoExport::encodedFramesPerSecond() const {
    return state->busySeconds > 0 ? double(state->framesEncoded) / state->busySeconds : 0.0;
}
