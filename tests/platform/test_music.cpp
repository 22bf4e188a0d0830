#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "platform/MessageBox.h"
#include "platform/MusicPlayer.h"
#include "platform/SpectrumAnalyzer.h"
#include "platform/WindowMessages.h"
#include "support/AudioFixtures.h"

namespace fs = std::filesystem;

namespace {

int argmax(const float* v, int n) { return int(std::max_element(v, v + n) - v); }

TEST(SpectrumAnalyzer, CentredSineReadsHalfItsAmplitudeAndSilenceReadsZero) {
    AudioTrack track;
    track.rate = 1024;
    track.channels = 2;
    track.samples = sineWave(32.0, 1.0, 4.0, 1024, 2);  // exactly bin 32 of a 1024-point transform
    SpectrumAnalyzer fft(1024);
    float mag[512];
    fft.analyze(track, 2048, mag);
    EXPECT_EQ(argmax(mag, 512), 32);
    EXPECT_NEAR(mag[32], 0.5f, 1e-4);
    EXPECT_NEAR(mag[31], 0.25f, 1e-4);  // the Hann window's main lobe
    EXPECT_LT(mag[40], 1e-4f);

    fft.analyze(track, 512, mag);  // half the window lies before the start: silence there
    EXPECT_TRUE(mag[32] > 0.1f && mag[32] < 0.4f) << mag[32];
    auto silent = [&] { return std::all_of(mag, mag + 512, [](float m) { return m == 0.0f; }); };
    fft.analyze(track, 0, mag);
    EXPECT_TRUE(silent());
    for (size_t i = 1; i < track.samples.size(); i += 2) track.samples[i] = -track.samples[i - 1];
    fft.analyze(track, 2048, mag);
    EXPECT_TRUE(silent());  // the mono mix: opposite channels cancel
}

// Fixtures are encoded once for the suite.
struct Music : ::testing::Test {
    static void SetUpTestSuite() {
        // One folder per process: ctest runs the cases of this suite in parallel processes.
        dir = fs::temp_directory_path() / ("softshow-music-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        tone = writeMp3((dir / "tone.mp3").string(), sineWave(1000, 0.99, 3.0, 44100, 2), {44100, 2, 192, 5});
        silence = writeMp3((dir / "silence.mp3").string(), std::vector<float>(44100 * 2), {44100, 2, 128, 7});
        long15 = writeMp3((dir / "long.mp3").string(), sineWave(440, 0.5, 15.0, 22050, 1), {22050, 1, 32, 9});
        ASSERT_FALSE(tone.empty() || silence.empty() || long15.empty());
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }
    void SetUp() override {
        setMessageBoxesEnabled(false);
        seekBackRequest = seekForwardRequest = 0;
    }
    static std::string file(const char* name, const std::string& bytes) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    static std::string head(const std::string& path, size_t n) {
        std::ifstream in(path, std::ios::binary);
        std::string bytes(n, '\0');
        in.read(bytes.data(), std::streamsize(n));
        bytes.resize(size_t(in.gcount()));
        return bytes;
    }
    static inline fs::path dir;
    static inline std::string tone, silence, long15;
};

int64_t fakeNow = 0;  // microseconds
int64_t fakeCounter() { return fakeNow; }

}  // namespace

TEST_F(Music, DecodesTheWholeTrackAndItsSpectrumFindsTheTone) {
    MusicPlayer player(MusicOutput::None);
    player.load(tone);
    EXPECT_EQ(player.track().rate, 44100);
    EXPECT_EQ(player.track().channels, 2);
    EXPECT_NEAR(player.track().seconds(), 3.0, 0.1);  // plus the encoder's padding

    float bands[512];
    player.fetchSpectrum(1.5f, bands);
    const int peak = argmax(bands, 512);
    EXPECT_NEAR(peak, 23, 1);  // round(1000 * 1024 / 44100)
    EXPECT_TRUE(bands[peak] > 0.4f && bands[peak] < 0.6f) << bands[peak];

    float small[128];
    player.seek(1.5f);
    player.getSpectrum(small);  // 256 frames: bin width 172 Hz, the tone falls in bin 6
    EXPECT_NEAR(argmax(small, 128), 6, 1);
    player.load(silence);
    player.fetchSpectrum(0.5f, bands);
    EXPECT_TRUE(std::all_of(bands, bands + 512, [](float m) { return m == 0.0f; }));
}

TEST_F(Music, DamagedFilesAreRefusedWithTheirNameAndCause) {
    const std::string cases[] = {
        (dir / "missing.mp3").string(),
        file("empty.mp3", ""),
        file("text.mp3", "This is not music, just a text file with an .mp3 name.\n"),
        file("header.mp3", head(tone, 300)),  // cut inside the first frame
        file("zeros.mp3", std::string(100000, '\0')),
    };
    AudioTrack track;
    std::string reason;
    for (const std::string& path : cases) {
        EXPECT_FALSE(decodeMp3(path, track, reason)) << path;
        EXPECT_EQ(reason.rfind(path + ": ", 0), 0u) << reason;
        EXPECT_EQ(track.frames(), 0);
    }
    // A file cut in the middle still holds whole frames: it plays what it has.
    ASSERT_TRUE(decodeMp3(file("half.mp3", head(tone, fs::file_size(tone) / 2)), track, reason)) << reason;
    EXPECT_NEAR(track.seconds(), 1.5, 0.15);
}

TEST_F(Music, NoSoundDeviceIsReportedWithAHint) {
    // The device is opened before the file is read: no device is the report even when the file is bad too.
    for (const std::string& file : {long15, (dir / "nothing-here.mp3").string()})
        EXPECT_EXIT(
            {
                setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
                MusicPlayer player(MusicOutput::Device);
                player.load(file);
            },
            ::testing::ExitedWithCode(0), "Error\\(8\\): Can't initialize device\n\nsoftshow: SDL audio.*--no-audio")
            << file;
}

TEST_F(Music, WallClockPositionAdvancesAndLoopsAtTheTracksEnd) {
    fakeNow = 0;
    MusicPlayer player(MusicOutput::WallClock, fakeCounter, 1000000);
    player.load(long15);
    const double length = player.track().seconds();
    player.play();
    player.seek(0);
    EXPECT_EQ(player.updatePosition(0), 0.0f);
    fakeNow = 1250000;
    EXPECT_NEAR(player.updatePosition(0), 1.25, 1e-4);
    fakeNow = int64_t((length + 0.5) * 1e6);
    EXPECT_NEAR(player.updatePosition(0), 0.5, 1e-3);  // looped, as the stream would

    player.seek(7);
    fakeNow += 500000;
    EXPECT_NEAR(player.updatePosition(0), 7.5, 1e-4);
}

TEST_F(Music, SeekKeysJumpOneStepFromThePreviousFrame) {
    fakeNow = 0;
    MusicPlayer player(MusicOutput::WallClock, fakeCounter, 1000000);
    player.load(long15);
    player.play();
    player.enableMusicTime(2.0f);
    auto press = [&](int& flag, float t) {
        flag = 1;
        const float now = player.updatePosition(t);
        EXPECT_EQ(flag, 0);
        return now;
    };
    EXPECT_EQ(press(seekForwardRequest, 10), 12.0f);
    fakeNow += 250000;
    EXPECT_NEAR(player.updatePosition(12), 12.25, 1e-4);  // the next frames follow from there
    EXPECT_EQ(press(seekBackRequest, 5), 3.0f);
    EXPECT_EQ(press(seekBackRequest, 1), 0.0f);           // never before the start, never a wrap
    EXPECT_NEAR(press(seekForwardRequest, 14.5f), 14.5 + 2 - player.track().seconds(), 1e-3);

    seekBackRequest = seekForwardRequest = 1;              // both: back first, then forward from t
    EXPECT_EQ(player.updatePosition(5), 7.0f);
    EXPECT_EQ(seekBackRequest + seekForwardRequest, 0);
}

TEST_F(Music, DeviceClockFollowsWhatTheDeviceConsumes) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);  // plays in real time into nothing
    MusicPlayer player(MusicOutput::Device);
    player.load(long15);
    player.play();
    player.seek(5);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double heard = player.updatePosition(5) - 5.0;
    // The dummy device plays in real time on its own thread; on a loaded machine it may lag a little.
    EXPECT_NEAR(heard, elapsed, 0.35) << "heard " << heard << " s in " << elapsed << " s";

    player.fadeOutAndFree();
    EXPECT_FALSE(player.sliding());
}
