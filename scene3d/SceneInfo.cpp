#include "scene3d/SceneInfo.h"

#include <set>

#include "scene3d/Scene.h"
#include "scene3d/SceneReader.h"

int printSceneInfo(const std::string& path, std::FILE* out) {
    Scene scene;
    SceneReader reader;
    reader.loadTextures = false;
    if (!reader.openScene(resolvePathIgnoringCase(path))) {
        std::fprintf(out, "%s: cannot be read\n", path.c_str());
        return 1;
    }
    reader.setDirectory(path);
    reader.openLog("", &scene);
    reader.readAll();

    std::fprintf(out, "%s\n", path.c_str());
    std::fprintf(out, "meshes: %zu\n", scene.meshes.size());
    for (const auto& m : scene.meshes) {
        std::set<int> used;
        size_t kept = 0;  // faces the file damaged stay in the list, undrawn, and are not counted here
        for (const Face& f : m->faces)
            if (f.a != Face::kDropped) used.insert(f.material), ++kept;
        std::string names;
        for (int i : used) {
            const Material* mat = scene.material(i);
            names += (names.empty() ? "" : ", ") + (mat ? "\"" + mat->name + "\"" : std::string("(none)"));
        }
        std::fprintf(out, "  mesh \"%s\": %zu vertices, %zu faces, %zu mapping pairs, render mode %d, materials: %s\n",
                     m->name.c_str(), m->fileVertices.size(), kept, m->mapping.size(), m->renderMode,
                     names.empty() ? "(none)" : names.c_str());
    }
    std::fprintf(out, "materials: %zu\n", scene.materials.size());
    for (const auto& mat : scene.materials) {
        std::string textures;
        for (const std::string& t : mat->textureNames) textures += (textures.empty() ? "" : ", ") + t;
        std::fprintf(out, "  material \"%s\": render type %d, textures: %s\n", mat->name.c_str(), mat->renderType,
                     textures.empty() ? "(none)" : textures.c_str());
    }
    std::fprintf(out, "cameras: %zu\n", scene.cameras.size());
    for (const auto& c : scene.cameras)
        std::fprintf(out, "  camera \"%s\": position (%.2f, %.2f, %.2f), target (%.2f, %.2f, %.2f)\n", c->name.c_str(),
                     double(c->position.x), double(c->position.y), double(c->position.z), double(c->target.x),
                     double(c->target.y), double(c->target.z));
    std::fprintf(out, "lights: %zu\n", scene.lights.size());
    for (const auto& l : scene.lights)
        std::fprintf(out, "  light \"%s\": position (%.2f, %.2f, %.2f)\n", l->name.c_str(), double(l->position.x),
                     double(l->position.y), double(l->position.z));
    for (size_t k = 0; k < scene.keyframers.size(); ++k) {
        const Keyframer& kf = *scene.keyframers[k];
        std::fprintf(out, "keyframer %zu: frames %u to %u, %zu nodes\n", k, kf.startFrame, kf.endFrame, kf.nodes.size());
        for (const auto& n : kf.nodes)
            std::fprintf(out, "  node type %d \"%s\": %zu position, %zu rotation, %zu roll keys\n", n->type,
                         n->name.c_str(), n->positionKeys.size(), n->rotationKeys.size(), n->rollKeys.size());
    }
    std::fprintf(out, "problems: %zu\n", reader.problems.size());
    for (const std::string& p : reader.problems) std::fprintf(out, "  %s\n", p.c_str());
    return reader.sawMainChunk ? 0 : 1;
}
