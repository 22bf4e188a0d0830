// The export of 3 s of the generated show around the flash at 15.1 s, read back with FFmpeg's libraries:
// streams, frame count and duration, the pictures against the rendered frames, the audio against the
// track, and the flash in picture and sound at the same instant.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <filesystem>
#include <vector>

#include <unistd.h>

#include "app/Runtime.h"
#include "show/CompiledShow.h"
#include "platform/MessageBox.h"
#include "platform/MusicPlayer.h"
#include "scene3d/Mesh.h"
#include "timeline/Timeline.h"

namespace fs = std::filesystem;

namespace {

// Everything a file holds, decoded: RGB pictures with their times, and the sound as interleaved floats.
struct Decoded {
    int videoStreams = 0, audioStreams = 0, width = 0, height = 0, rate = 0, channels = 0;
    std::vector<std::vector<uint8_t>> pictures;  // RGB24
    std::vector<double> pictureTimes;
    std::vector<float> sound;
    double soundStart = 0;  // the time of the first decoded sample
};

Decoded decodeFile(const std::string& path) {
    Decoded d;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return d;
    avformat_find_stream_info(format, nullptr);
    AVCodecContext* codecs[8] = {};
    for (unsigned i = 0; i < format->nb_streams && i < 8; ++i) {
        const AVCodecParameters* p = format->streams[i]->codecpar;
        (p->codec_type == AVMEDIA_TYPE_VIDEO ? d.videoStreams : d.audioStreams) += 1;
        codecs[i] = avcodec_alloc_context3(avcodec_find_decoder(p->codec_id));
        avcodec_parameters_to_context(codecs[i], p);
        avcodec_open2(codecs[i], nullptr, nullptr);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* toRgb = nullptr;
    auto drain = [&](unsigned stream) {
        AVCodecContext* c = codecs[stream];
        const double tb = av_q2d(format->streams[stream]->time_base);
        while (avcodec_receive_frame(c, frame) >= 0) {
            if (c->codec_type == AVMEDIA_TYPE_VIDEO) {
                d.width = frame->width, d.height = frame->height;
                toRgb = sws_getCachedContext(toRgb, frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                             frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
                std::vector<uint8_t> rgb(size_t(frame->width) * size_t(frame->height) * 3);
                uint8_t* dst[1] = {rgb.data()};
                const int stride[1] = {frame->width * 3};
                sws_scale(toRgb, frame->data, frame->linesize, 0, frame->height, dst, stride);
                d.pictures.push_back(std::move(rgb));
                d.pictureTimes.push_back(double(frame->best_effort_timestamp) * tb);
            } else {
                if (d.sound.empty()) d.soundStart = double(frame->best_effort_timestamp) * tb;
                d.rate = frame->sample_rate, d.channels = frame->ch_layout.nb_channels;
                for (int i = 0; i < frame->nb_samples; ++i)  // planar float (AAC's decoder)
                    for (int ch = 0; ch < d.channels; ++ch) d.sound.push_back(reinterpret_cast<float*>(frame->data[ch])[i]);
            }
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        const unsigned s = unsigned(packet->stream_index);
        if (s < 8 && codecs[s] && avcodec_send_packet(codecs[s], packet) >= 0) drain(s);
        av_packet_unref(packet);
    }
    for (unsigned s = 0; s < format->nb_streams && s < 8; ++s) avcodec_send_packet(codecs[s], nullptr), drain(s);
    sws_freeContext(toRgb);
    av_frame_free(&frame);
    av_packet_free(&packet);
    for (AVCodecContext*& c : codecs) avcodec_free_context(&c);
    avformat_close_input(&format);
    return d;
}

}  // namespace

TEST(Export, ThreeSecondsAroundAFlashReadBackExactlyInTimeAndClosely) {
    setMessageBoxesEnabled(false);
    const fs::path previous = fs::current_path();
    fs::current_path(SOFTSHOW_SHOW_DIR);
    setupShowView();
    const fs::path file = fs::temp_directory_path() / ("softshow-export-" + std::to_string(::getpid()) + ".mp4");
    Options o;
    o.mode = RunMode::Export, o.exportFile = file.string(), o.from = 14, o.to = 17, o.fps = 60;
    // Two identical renders: one exported, one kept as the reference frames.
    auto render = [&](std::vector<std::vector<uint32_t>>* keep, MusicPlayer& music) {
        Timeline timeline(1u);
        ShowContent show = loadShowFile(timeline);
        timeline.useExternalTime();
        timeline.setSpectrumSource(&music);
        if (!keep) return renderExport(timeline, o, &music.track());
        for (long k = 0; k < 180; ++k) {
            const PixelArray& f = timeline.renderFrame(offlineFrameTime(14, 60, k));
            keep->emplace_back(f.pixels, f.pixels + f.size);
        }
        return 0;
    };
    MusicPlayer music(MusicOutput::None);
    music.load("Velm_test2.mp3");
    ASSERT_EQ(render(nullptr, music), 0);
    std::vector<std::vector<uint32_t>> frames;
    render(&frames, music);
    fs::current_path(previous);
    const Decoded d = decodeFile(file.string());
    fs::remove(file);
    EXPECT_FALSE(fs::exists(file.string() + ".partial"));

    EXPECT_EQ(d.videoStreams, 1);
    EXPECT_EQ(d.audioStreams, 1);
    ASSERT_EQ(d.pictures.size(), 180u);  // 3 s at 60 frames a second, each at k / 60
    for (size_t k = 0; k < 180; ++k) ASSERT_NEAR(d.pictureTimes[k], double(k) / 60, 1e-6) << k;
    ASSERT_EQ(d.width * 1000 + d.height, 1024768);
    const double seconds = double(d.sound.size()) / d.channels / d.rate;  // as long as the video, but for the
    EXPECT_TRUE(seconds >= 3.0 && seconds < 3.0 + 1024.0 / d.rate) << seconds;  // padding of AAC's last frame

    // The pictures: PSNR against the rendered frames enlarged twice, nearest-neighbour.
    double squared = 0;
    for (size_t k = 0; k < 180; ++k)
        for (int y = 0; y < 768; ++y)
            for (int x = 0; x < 1024; ++x) {
                const uint32_t want = frames[k][size_t(y / 2) * 512 + size_t(x / 2)];
                const uint8_t* got = &d.pictures[k][(size_t(y) * 1024 + size_t(x)) * 3];
                for (int c = 0; c < 3; ++c) {
                    const double e = double(got[c]) - double(want >> (16 - 8 * c) & 255);
                    squared += e * e;
                }
            }
    const double psnr = 10 * std::log10(255.0 * 255.0 / (squared / (180.0 * 1024 * 768 * 3)));
    EXPECT_GE(psnr, 38.0);

    // The sound: the track from 14 s, found at lag 0 (within a sample) by cross-correlation over 0.5 s.
    const AudioTrack& track = music.track();
    ASSERT_EQ(d.rate, track.rate);
    EXPECT_NEAR(d.soundStart, 0.0, 1.0 / d.rate);
    auto mono = [](const std::vector<float>& s, int channels, int64_t i) {
        return double(s[size_t(i) * size_t(channels)]) + double(s[size_t(i) * size_t(channels) + 1]);
    };
    const int64_t from = 14 * int64_t(track.rate), n = track.rate / 2, at = track.rate;  // 15 s to 15.5 s
    int bestLag = 0;
    double best = -1e300;
    for (int lag = -2048; lag <= 2048; ++lag) {
        double sum = 0;
        for (int64_t i = 0; i < n; ++i) sum += mono(d.sound, d.channels, at + i + lag) * mono(track.samples, track.channels, from + at + i);
        if (sum > best) best = sum, bestLag = lag;
    }
    EXPECT_LE(std::abs(bestLag), 1) << "the sound is " << bestLag << " samples off";

    // The flash at 15.1 s: the first picture much brighter than the one before, and the strongest jump
    // of the sound's energy near it, are less than a frame apart.
    auto brightness = [&](size_t k) {
        double sum = 0;
        for (uint8_t v : d.pictures[k]) sum += v;
        return sum / double(d.pictures[k].size());
    };
    double flashTime = -1;
    for (size_t k = 1; k < 180 && flashTime < 0; ++k)
        if (brightness(k) > brightness(k - 1) + 40) flashTime = d.pictureTimes[k];
    auto energy = [&](double t0, double t1) {
        double e = 1e-12;
        for (int64_t i = int64_t(t0 * d.rate); i < int64_t(t1 * d.rate); ++i) e += mono(d.sound, d.channels, i) * mono(d.sound, d.channels, i);
        return e;
    };
    double onset = -1, jump = 0;
    for (double t = 1.0; t < 1.2; t += 0.001) {
        const double j = (energy(t, t + 0.01) / 0.01) / (energy(t - 0.02, t) / 0.02);
        if (j > jump) jump = j, onset = t;
    }
    EXPECT_NEAR(flashTime, 1.1, 1.0 / 60);
    EXPECT_NEAR(onset, flashTime, 1.0 / 60) << "picture " << flashTime << " s, sound " << onset << " s";
}
