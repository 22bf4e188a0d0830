// SceneReader: reads one 3DS file into a Scene and logs every chunk to "scene.txt" beside it.
//
// The chunk stream is walked in order. A chunk the reader knows by name is either a leaf, whose payload a
// handler reads field by field, or a container, whose body is read as further chunks; unknown chunks are
// entered like containers. Dispatch goes through the chunk-name table, as the log shows the names.
//
// Chunks outside the table are entered when their body is a sequence of chunks, and skipped otherwise.
//
// Damaged files: nothing is read or written outside the file or a list, nothing hangs, and no count is
// trusted for an allocation. A chunk shorter than its header or longer than its parent stops the reading;
// a count larger than the bytes left reads what is there; faces naming missing vertices, material lists
// naming missing faces and unterminated strings are dropped or cut. Each such problem is logged
// ("Damaged: ...") and kept in `problems`; what was read before it stays.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class Scene;

// The name of a chunk identifier, "Unknown" when the table has none.
const char* chunkName(uint16_t id);

// File names are matched without regard to case when the exact name is missing: the exact path when it
// exists, otherwise the entry of its folder whose name matches it ignoring case (scenes name their
// textures as written on systems that ignore case). Returns the exact path when neither exists.
std::string resolvePathIgnoringCase(const std::string& path);

class SceneReader {
public:
    bool openScene(const std::string& path);  // false when the file cannot be read
    void setDirectory(const std::string& path);
    // Opens the log; a log that cannot be opened (a read-only folder) means reading without one.
    void openLog(const std::string& logPath, Scene* scene);
    void readAll();
    bool readChunk();

    // Off: texture files are only checked for existence (reported in `problems`), not loaded.
    bool loadTextures = true;

    uint16_t chunkId = 0;
    int32_t chunkLength = 0;
    int32_t fileSize = 0;
    std::string directory;
    std::string scenePath, logPath;
    std::vector<std::string> problems;
    bool sawMainChunk = false;

private:
    // Payload readers: false (and a logged problem) when the bytes run out before the chunk's end.
    bool u8(uint8_t& v);
    bool u16(uint16_t& v);
    bool u32(uint32_t& v);
    bool f32(float& v);
    bool str(std::string& s);
    bool need(size_t bytes, const char* what);
    void skip();
    void log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void damaged(const std::string& what);
    void readTrack(const std::string& name);
    void finish();
    bool bodyIsChunks() const;
    // A count read from the file, limited to the entries the chunk has bytes for (a problem if fewer).
    size_t entriesThatFit(int count, size_t entryBytes, const char* what);

    std::vector<uint8_t> data;
    size_t pos = 0;
    size_t chunkStart = 0, chunkEnd = 0;
    std::vector<size_t> open;  // ends of the containers being read, innermost last
    bool stop = false;
    std::FILE* logFile = nullptr;
    Scene* scene = nullptr;
    std::string objectName;
    int16_t nodeId = -1;
};
