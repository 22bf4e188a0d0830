// Mesh: one object of a scene, turned into pixels each frame.
//
// Per frame: resetVertices() copies the file vertices to the working ones, transform() moves them into
// view space (visible points have negative z), render() clips every face against the six planes of the
// view (Sutherland-Hodgman), fans the clipped polygons into triangles, projects them with the focal
// length and draws them in the mesh's render mode:
//   -2  build-up wireframe, white          -1  build-up jittering wireframe (unclipped), line colour
//   16  wireframe from the face edge flags   1  flat, lit by a fixed light       2  white
//    7  wireframe, white                     4  blue (0x000000FF)                3, 6  textured
//    5  and anything else: nothing
// Build-up modes draw the first trunc(build rate x render time) faces. The triangle list holds at most
// 9 x vertex count corners; a mesh whose clipped triangles would exceed it draws the triangles that fit
// (in face order) and drops the rest.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pixel/PixelArray.h"
#include "pixel/Vector.h"
#include "scene3d/Matrix.h"

struct Vertex {
    Vertex() = default;
    explicit Vertex(const Vector3& p);  // computes the screen position from p

    Vector3 position{0, 0, 0};
    // Carried along, not read. Three channels only: a full Color also carries a segment list, which
    // made every vertex copy of the clip stages and the per-frame reset copy a vector.
    struct { float r = 0, g = 0, b = 0; } colour;
    Vector3 normal{0, 0, 0};      // carried along, not read
    Vector2 screen{0, 0};
    uint32_t edgeVisible = 0;     // low byte: the edge to the next vertex of its polygon is drawn
    float u = 0, v = 0;
    uint32_t extra = 0;           // carried along, not read
};

struct Face {
    static constexpr uint32_t kDropped = 0xFFFFFFFFu;  // all three corners of a face the file damaged
    uint32_t a = 0, b = 0, c = 0;  // a corner beyond the vertices: the face is skipped where it is drawn
    uint8_t edgeAB = 0, edgeBC = 0, edgeCA = 0;  // from bits 0x04, 0x02, 0x01 of the file's face flags
    int32_t material = -1;                       // -1: none named
    Vector2 uv[3] = {{0, 0}, {0, 0}, {0, 0}};
};

// A corner as the clip stages and the fills read it: a vertex without its carried fields (24 bytes
// where a Vertex takes 60; the torus of bench_3d writes and reads back 15,000 corners a frame).
struct ClipCorner {
    Vector3 position{0, 0, 0};
    float u = 0, v = 0;
    uint32_t edgeVisible = 0;  // low byte: the edge to the next corner is drawn
};

struct Polygon {
    ClipCorner v[9];
    int count = 0;
};

// The six clip planes of the view and the focal length, set once at start-up.
struct Frustum {
    Vector3 normal[6];
    float distance[6];
};
extern Frustum viewFrustum;
extern float focalLength;
// ax = -atan2(width / 2, focal), ay = -atan2(height / 2, focal); sides through the eye, then near, far.
void setupFrustum(float focal, float width, float height, float nearZ, float farZ);
// The show's view, set once at start-up: focal length 256, the 503 x 375 field of the frame, near and
// far planes at -1 and -10000.
inline void setupShowView() { setupFrustum(256, 503, 375, -1, -10000); }

class Material;

class Mesh {
public:
    void resetVertices();
    void transform(const Matrix& m);
    void render(uint32_t* pixels, int width, int height, const std::vector<std::unique_ptr<Material>>& materials);
    void setRenderMode(int mode) { renderMode = mode; }
    void setColor(int which, uint32_t color) { (which == 0 ? lineColor : fillColor) = color; }

    // Sets the face and triangle room from the current counts (load-time finishing).
    void prepareClipping();
    // How many faces the build-up modes draw at the current render time.
    int buildCount() const;

    int renderMode = 1;
    Matrix local;       // the file's local coordinate system; not used when rendering
    Matrix transformMatrix;
    uint8_t lightModel = 1, lighting = 1, fill = 1;
    std::string name;
    std::vector<Vertex> fileVertices, vertices;
    std::vector<Face> faces;
    std::vector<Vector2> mapping;  // (u, 1 - v) per vertex
    bool hasMapping = false;
    uint32_t fillColor = 0x00FFFFFF, lineColor = 0x00FFFFFF;
    const PixelArray* texture = nullptr;
    float renderTime = 0;
    float buildRate = 0.1f;
    int facesToDraw = 0;

    // Frame scratch: the triangle list (corners in threes) and its room.
    std::vector<ClipCorner> triangles;
    size_t triangleRoom = 0;
    size_t triangleCount = 0;  // corners in use
    size_t droppedTriangles = 0;  // triangles of the last render that did not fit the room
    // Per vertex this frame: bit p of [2i] set when outside clip plane p, of [2i + 1] when clearly so.
    std::vector<uint8_t> viewSides;
    bool clipEveryFace = false;  // every face through all six stages, without the two shortcuts
    Polygon clipPolygons[2];           // the clip stages' input and output, reused face after face

private:
    void clipFace(const Face& f, int mode);
    void drawTriangles(uint32_t* pixels, int width, int height, int mode);
};
