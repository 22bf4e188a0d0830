// VideoExport: writes frames and the music into a video file with FFmpeg's libraries.
//
// Containers by the file's extension: .mp4 and .mkv hold H.264 (libx264, yuv420p; mp4 with the index at
// the front) and AAC; .webm holds VP9 and Opus. Frame k has the timestamp k / fps exactly. The picture is
// the 512 x 384 frame scaled into a rectangle of the output (nearest-neighbour at whole factors, a
// bicubic filter otherwise), the rest black. The audio is the track from `from` seconds, resampled to
// what the codec takes, starting at the instant of frame 0 and as long as the video.
//
// Encoding runs on its own thread behind a small bounded queue, so rendering and encoding overlap. The
// file is written under a temporary name beside the target and renamed only by finish(); abandon(), an
// error or the destructor removes it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct AudioTrack;

struct VideoSettings {
    std::string path;             // the file to make; its extension picks the container and codecs
    int width = 1024, height = 768;  // output size, even
    int pictureX = 0, pictureY = 0, pictureWidth = 1024, pictureHeight = 768;  // where the frame goes
    double fps = 60;
    int quality = -1;             // the codec's constant-quality value (lower is better); -1: its default
    const AudioTrack* track = nullptr;  // the music; null: no audio stream
    double audioFrom = 0;         // the music's second at frame 0
};

// ".mp4", ".mkv" or ".webm" (compared without regard to case), or "" for another extension.
std::string videoContainerOf(const std::string& path);
extern const char* const kVideoContainers;  // "mp4, mkv, webm"

class VideoExport {
public:
    VideoExport();
    ~VideoExport();  // abandons an unfinished file
    // Creates the temporary file and sets up the encoders; false with a reason naming the file.
    bool open(const VideoSettings& settings, std::string& reason);
    // Queues a copy of a 512 x 384 frame (0x00RRGGBB words); waits while the queue is full. False once
    // encoding has failed (finish() then gives the reason).
    bool addFrame(const uint32_t* pixels);
    // Encodes what is queued, the rest of the audio, writes the trailer and renames the file.
    bool finish(std::string& reason);
    void abandon();
    double encodedFramesPerSecond() const;  // over the encoder thread's busy time

private:
    struct State;
    std::unique_ptr<State> state;
};
