// Writes scenes in the 3DS chunk format: meshes (vertices, faces with edge flags, mapping coordinates,
// material groups, local axes), materials (name, render type, texture file), cameras, lights, and a
// keyframer with camera, camera-target, omni and mesh nodes carrying position tracks with spline
// parameters. Used by tests for round trips and damaged files, and by the asset generator for the show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pixel/Vector.h"

namespace tds {

struct FaceData {
    uint16_t a, b, c;
    uint16_t flags = 7;  // edge a-b 0x04, b-c 0x02, c-a 0x01
};

struct MaterialGroup {
    std::string material;
    std::vector<uint16_t> faces;
};

struct MeshData {
    std::string name;
    std::vector<Vector3> vertices;
    std::vector<FaceData> faces;
    std::vector<Vector2> mapping;  // written as given (the reader stores v as 1 - v)
    std::vector<MaterialGroup> groups;
    bool localAxes = true;
};

struct MaterialData {
    std::string name;
    int16_t renderType = 1;
    std::string texture;  // empty: none
};

struct CameraData {
    std::string name;
    Vector3 position{0, 0, 0}, target{0, 0, 0};
    float bank = 0, lens = 35;
};

struct LightData {
    std::string name;
    Vector3 position{0, 0, 0};
};

struct KeyData {
    uint32_t frame = 0;
    Vector3 value{0, 0, 0};
    uint16_t accel = 0;  // which of the five spline floats follow: 0x01 tension ... 0x10 ease-from
    float tension = 0, continuity = 0, bias = 0, easeTo = 0, easeFrom = 0;
};

struct NodeData {
    uint16_t tag = 0xB002;  // 0xB002 mesh, 0xB003 camera, 0xB004 camera target, 0xB005 omni
    std::string name;
    int16_t id = 0, parent = -1;
    uint16_t trackFlags = 0;  // low two bits: loop mode
    std::vector<KeyData> positionKeys;
};

struct SceneData {
    std::vector<MaterialData> materials;
    std::vector<MeshData> meshes;
    std::vector<CameraData> cameras;
    std::vector<LightData> lights;
    bool keyframer = false;
    uint32_t startFrame = 0, endFrame = 100;
    std::vector<NodeData> nodes;
};

// An axis-aligned box from corner a to corner b, four vertices per side so that each side maps the whole
// texture, all twelve faces in one group of `material`.
MeshData texturedBox(const std::string& name, Vector3 a, Vector3 b, const std::string& material);

std::vector<uint8_t> write3ds(const SceneData& scene);
bool write3dsFile(const std::string& path, const SceneData& scene, std::string& reason);

}  // namespace tds
