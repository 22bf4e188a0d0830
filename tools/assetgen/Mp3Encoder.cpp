#include "tools/assetgen/Mp3Encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {
struct LameCloser {
    void operator()(lame_global_flags* gf) const { lame_close(gf); }
};
}  // namespace

bool encodeMp3(const std::string& path, const std::vector<float>& samples, const Mp3Settings& s,
               std::string& reason) {
    if (s.channels != 1 && s.channels != 2) {
        reason = "channels must be 1 or 2";
        return false;
    }
    std::unique_ptr<lame_global_flags, LameCloser> gf(lame_init());
    if (!gf) {
        reason = "lame_init failed";
        return false;
    }
    lame_set_in_samplerate(gf.get(), s.rate);
    lame_set_out_samplerate(gf.get(), s.rate);
    lame_set_num_channels(gf.get(), s.channels);
    lame_set_mode(gf.get(), s.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(gf.get(), s.kbps);
    lame_set_quality(gf.get(), s.quality);
    lame_set_bWriteVbrTag(gf.get(), s.gapless ? 1 : 0);  // the info tag is the same bytes on every run too
    if (s.lowpassHz > 0) lame_set_lowpassfreq(gf.get(), s.lowpassHz);
    if (lame_init_params(gf.get()) < 0) {
        reason = "LAME refused the settings";
        return false;
    }

    const int frames = int(samples.size() / size_t(s.channels));
    std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        left[size_t(i)] = samples[size_t(i) * size_t(s.channels)];
        right[size_t(i)] = samples[size_t(i) * size_t(s.channels) + size_t(s.channels - 1)];
    }
    std::vector<unsigned char> out(size_t(frames) * 5 / 4 + 7200 + 16384);
    const int written = lame_encode_buffer_ieee_float(gf.get(), left.data(), right.data(), frames, out.data(),
                                                      int(out.size()));
    if (written < 0) {
        reason = "LAME encoding failed (" + std::to_string(written) + ")";
        return false;
    }
    const int flushed = lame_encode_flush(gf.get(), out.data() + written, int(out.size()) - written);
    if (flushed < 0) {
        reason = "LAME flush failed";
        return false;
    }
    if (s.gapless) {
        // The first frame written was a placeholder for the info tag, now known.
        unsigned char tag[4096];
        const size_t n = lame_get_lametag_frame(gf.get(), tag, sizeof tag);
        if (n > 0 && n <= size_t(written + flushed)) std::copy(tag, tag + n, out.begin());
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        reason = "cannot write " + path;
        return false;
    }
    const size_t total = size_t(written + flushed);
    const bool ok = std::fwrite(out.data(), 1, total, f) == total;
    if (std::fclose(f) != 0 || !ok) {
        reason = "cannot write " + path;
        return false;
    }
    return true;
}
