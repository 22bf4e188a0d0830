// Scene: everything read from one 3DS file, and how it is drawn each frame.
//
// Words: a keyframer holds nodes (camera 1, camera target 2, roll 3, omni light 4, mesh 5); a node holds
// keys (frame number and value); position keys are joined by Kochanek-Bartels (TCB) splines with ease.
// Frames run at 30 per unit of scene time. Only camera paths are played: with a keyframer and a camera
// the eye follows the camera node and looks at the target node's position; with a keyframer and no camera
// the effect's own position and rotation place every mesh; without a keyframer the first camera looks
// from its fixed place, or with no camera at all the meshes tumble 144 units in front of the viewer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pixel/PixelArray.h"
#include "pixel/Vector.h"
#include "scene3d/Matrix.h"
#include "scene3d/Mesh.h"

class Material {
public:
    int32_t renderType = 0;       // 1 FLAT, 2 GOURAUD, 3 PHONG, 6 METAL
    int32_t selectedTexture = 0;  // index into textures used by the textured modes
    std::string name;
    std::vector<std::unique_ptr<PixelArray>> textures;
    std::vector<std::string> textureNames;  // as named in the file, for reports
};

struct SceneCamera {
    Vector3 position{0, 0, 0}, target{0, 0, 0};
    float bank = 0, lens = 0;
    int32_t nodeId = -1;
    std::string name;
};

struct Light {
    Vector3 position{0, 0, 0}, second{0, 0, 0};
    std::string name;
};

struct SplineParams {
    float tension = 0.5f, continuity = 0.5f, bias = 0.5f, easeFrom = 0.0f, easeTo = 0.0f;
};

struct PositionKey {
    int32_t frame = 0;
    SplineParams spline;
    Vector3 value{0, 0, 0}, incoming{0, 0, 0}, outgoing{0, 0, 0};
};
struct RollKey {
    int32_t frame = 0;
    SplineParams spline;
    float value = 0;
};
struct RotationKey {
    int32_t frame = 0;
    Vector3 axis{0, 0, 0};
};

class KeyframeNode {
public:
    // Node types.
    enum : int32_t { Camera = 1, CameraTarget = 2, Roll = 3, Omni = 4, MeshNode = 5 };

    void computeTangents();
    Vector3 evaluatePosition(float frame);
    Vector3 tangent(int side, int i) const;  // side 0 incoming, 1 outgoing

    std::string name;
    std::vector<PositionKey> positionKeys;
    std::vector<RotationKey> rotationKeys;
    std::vector<RollKey> rollKeys;
    int32_t type = 0;
    int segment = 0, lastKey = 0;
    int32_t lastKeyFrame = 0;
    // Loop mode, two bits: 0 plays once (the frame is held at the ends, the end tangents are one-sided);
    // 3 loops (the frame wraps into the key range, the end keys see their neighbours across the wrap).
    // Set from the low two bits of the position track's header flags, the 3DS repeat/loop bits.
    uint32_t loopMode = 0;
};

class Keyframer {
public:
    uint32_t startFrame = 0, endFrame = 0;
    int32_t animated = 0;
    std::vector<std::unique_ptr<KeyframeNode>> nodes;
};

// Ease of a segment: u remapped so the motion starts (ease-from) and ends (ease-to) gently.
float ease(float u, float a, float b);

class Scene {
public:
    Scene();

    Mesh& addMesh();
    Material& addMaterial();
    SceneCamera& addCamera();
    Keyframer& addKeyframer();
    Light& addLight();
    Mesh* mesh(int i) const { return at(meshes, i); }
    Material* material(int i) const { return at(materials, i); }
    SceneCamera* camera(int i) const { return at(cameras, i); }
    Keyframer* keyframer(int i) const { return at(keyframers, i); }
    Light* light(int i) const { return at(lights, i); }

    void assignTextureCoordinates();
    void prepareClipping();
    // Draws one frame into a 512 x 384 buffer.
    void render(uint32_t* pixels, float time);

    Vector3 position{0, 0, 0}, rotation{0, 0, 0};
    std::vector<std::unique_ptr<Mesh>> meshes;
    std::vector<std::unique_ptr<Material>> materials;
    std::vector<std::unique_ptr<SceneCamera>> cameras;
    std::vector<std::unique_ptr<Keyframer>> keyframers;
    std::vector<std::unique_ptr<Light>> lights;
    Matrix m1, m2, m3;

private:
    template <class T>
    static T* at(const std::vector<std::unique_ptr<T>>& list, int i) {
        return i >= 0 && size_t(i) < list.size() ? list[size_t(i)].get() : nullptr;
    }
    Vector3 eye{0, 0, 0}, target{0, 0, 0};  // kept between nodes, meshes and frames
};
