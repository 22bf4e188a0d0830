#include <mpg123.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/AudioTrack.h"

namespace {

struct HandleCloser {
    void operator()(mpg123_handle* h) const {
        mpg123_close(h);
        mpg123_delete(h);
    }
};

}  // namespace

bool decodeMp3(const std::string& path, AudioTrack& track, std::string& reason) {
    track = AudioTrack();
    auto fail = [&](const std::string& why) {
        reason = path + ": " + why;
        track = AudioTrack();
        return false;
    };
    // Say plainly when the file is not there or not readable, before the decoder's vaguer words.
    if (std::FILE* f = std::fopen(path.c_str(), "rb"))
        std::fclose(f);
    else
        return fail(std::strerror(errno));

    int error = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleCloser> handle(mpg123_new(nullptr, &error));
    if (!handle) return fail(std::string("decoder: ") + mpg123_plain_strerror(error));
    mpg123_handle* mh = handle.get();
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // Every rate, mono or stereo, always as 32-bit float.
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);

    if (mpg123_open(mh, path.c_str()) != MPG123_OK) return fail(mpg123_strerror(mh));
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK)
        return fail(std::string("not an MPEG audio file (") + mpg123_strerror(mh) + ")");
    if (rate <= 0 || channels < 1 || channels > 2 || encoding != MPG123_ENC_FLOAT_32)
        return fail("unsupported audio format");
    track.rate = int(rate);
    track.channels = channels;

    const size_t maxSamples = size_t(kMaxTrackSeconds * double(rate)) * size_t(channels);
    const off_t expected = mpg123_length(mh);  // an estimate, or negative when unknown
    if (expected > 0) track.samples.reserve(std::min(maxSamples, size_t(expected) * size_t(channels)));

    float chunk[8192];
    for (;;) {
        size_t bytes = 0;
        const int status = mpg123_read(mh, chunk, sizeof chunk, &bytes);
        const size_t count = bytes / sizeof(float);
        if (track.samples.size() + count > maxSamples)
            return fail("longer than " + std::to_string(int(kMaxTrackSeconds / 60)) + " minutes");
        track.samples.insert(track.samples.end(), chunk, chunk + count);
        if (status == MPG123_DONE) break;
        if (status == MPG123_NEW_FORMAT) {
            long r = 0;
            int c = 0, e = 0;
            mpg123_getformat(mh, &r, &c, &e);
            if (r != rate || c != channels) return fail("the audio format changes inside the file");
            continue;
        }
        if (status != MPG123_OK) return fail(std::string("decoding failed (") + mpg123_strerror(mh) + ")");
    }
    track.samples.resize(size_t(track.frames()) * size_t(channels));
    if (track.frames() == 0) return fail("holds no audio");
    return true;
}
