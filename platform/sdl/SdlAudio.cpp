// The SDL2 sound device: float frames at the track's own rate and channel count; SDL converts them to
// what the hardware plays. The buffer is kept at 1024 frames or less at 44.1 kHz (about 23 ms), which
// bounds the error of the playback position estimate.
#include <SDL.h>

#include "platform/AudioOutput.h"

namespace {

class SdlAudio : public AudioOutput {
public:
    ~SdlAudio() override {
        if (device) SDL_CloseAudioDevice(device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool open(int rate, int channels, AudioFeed& feed, std::string& reason) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // SIGINT and SIGTERM are ours (platform/Process)
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            reason = std::string("SDL audio: ") + SDL_GetError();
            return false;
        }
        SDL_AudioSpec want{}, have{};
        want.freq = rate;
        want.format = AUDIO_F32SYS;
        want.channels = Uint8(channels);
        want.samples = Uint16(rate > 50000 ? 2048 : 1024);
        want.callback = [](void* user, Uint8* stream, int bytes) {
            auto* self = static_cast<SdlAudio*>(user);
            self->feed->fill(reinterpret_cast<float*>(stream), bytes / int(sizeof(float)) / self->channels);
        };
        want.userdata = this;
        this->feed = &feed;
        this->channels = channels;
        device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);  // no changes allowed: SDL converts
        if (!device) {
            reason = std::string("SDL audio device: ") + SDL_GetError();
            return false;
        }
        frames = have.samples;
        return true;
    }

    void pause(bool paused) override { SDL_PauseAudioDevice(device, paused ? 1 : 0); }
    void lock() override { SDL_LockAudioDevice(device); }
    void unlock() override { SDL_UnlockAudioDevice(device); }
    int bufferFrames() const override { return frames; }

private:
    SDL_AudioDeviceID device = 0;
    AudioFeed* feed = nullptr;
    int channels = 1;
    int frames = 0;
};

}  // namespace

std::unique_ptr<AudioOutput> openAudioOutput(int rate, int channels, AudioFeed& feed, std::string& reason) {
    auto audio = std::make_unique<SdlAudio>();
    if (!audio->open(rate, channels, feed, reason)) return nullptr;
    return audio;
}
