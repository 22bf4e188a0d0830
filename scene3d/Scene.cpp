#include "scene3d/Scene.h"

#include <cmath>

Scene::Scene() = default;

Mesh& Scene::addMesh() {
    meshes.push_back(std::make_unique<Mesh>());
    return *meshes.back();
}
Material& Scene::addMaterial() {
    materials.push_back(std::make_unique<Material>());
    return *materials.back();
}
SceneCamera& Scene::addCamera() {
    cameras.push_back(std::make_unique<SceneCamera>());
    return *cameras.back();
}
Keyframer& Scene::addKeyframer() {
    keyframers.push_back(std::make_unique<Keyframer>());
    return *keyframers.back();
}
Light& Scene::addLight() {
    lights.push_back(std::make_unique<Light>());
    return *lights.back();
}

void Scene::assignTextureCoordinates() {
    for (auto& m : meshes) {
        if (!m->hasMapping) continue;
        for (Face& f : m->faces) {
            const uint32_t idx[3] = {f.a, f.b, f.c};
            for (int k = 0; k < 3; ++k) f.uv[k] = idx[k] < m->mapping.size() ? m->mapping[idx[k]] : Vector2(0, 0);
        }
    }
}

void Scene::prepareClipping() {
    for (auto& m : meshes) m->prepareClipping();
}

float ease(float u, float a, float b) {
    const float s = a + b;
    if (s == 0.0f) return u;
    if (s > 1.0f) a = a / s, b = b / s;
    const float k = float(1.0 / (2.0 - double(a) - double(b)));
    if (u <= 1.0f - b) return float(double(k) * (2.0 * double(u) - double(a)));
    return float(double(u) * (2.0 - double(k) / double(b) * double(u)));
}

Vector3 KeyframeNode::tangent(int side, int i) const {
    const std::vector<PositionKey>& K = positionKeys;
    const int n = int(K.size()) - 1;  // the last index
    const bool loop = (loopMode & 3) == 3;
    const PositionKey& key = K[size_t(i)];
    const double t = key.spline.tension;
    auto scaled = [](const Vector3& v, double s) {
        return Vector3(float(v.x * s), float(v.y * s), float(v.z * s));
    };
    if (n == 1) return scaled(K[1].value - K[0].value, 1.0 - t);
    if (!loop && i == 0) return scaled(scaled(K[1].value - K[0].value, 1.5) - scaled(tangent(0, 1), 0.5), 1.0 - t);
    if (!loop && i == n)
        return scaled(scaled(K[size_t(n)].value - K[size_t(n - 1)].value, 1.5) - scaled(tangent(1, n - 1), 0.5), 1.0 - t);

    // Neighbours; in loop mode the end keys see across the wrap (the last key stands for the first).
    const PositionKey& prev = i == 0 ? K[size_t(n - 1)] : K[size_t(i - 1)];
    const PositionKey& next = i == n ? K[1] : K[size_t(i + 1)];
    const double dp = i == 0 ? double(K[size_t(n)].frame) - K[size_t(n - 1)].frame : double(key.frame) - prev.frame;
    const double dn = i == n ? double(K[1].frame) - K[0].frame : double(next.frame) - key.frame;
    const double c = side == 0 ? key.spline.continuity : -double(key.spline.continuity);
    const double b = key.spline.bias;
    const double ds = side == 0 ? dp : dn;
    const double adjust = (dp + dn) != 0.0 ? 0.5 + (ds / (dp + dn) - 0.5) * (1.0 - std::fabs(c)) : 0.5;
    const double inWeight = (1.0 - c) * (1.0 + b), outWeight = (1.0 + c) * (1.0 - b);
    const Vector3 before = key.value - prev.value, after = next.value - key.value;
    const double k = adjust * (1.0 - t);
    return {float(k * (inWeight * before.x + outWeight * after.x)), float(k * (inWeight * before.y + outWeight * after.y)),
            float(k * (inWeight * before.z + outWeight * after.z))};
}

void KeyframeNode::computeTangents() {
    segment = 0;
    lastKey = int(positionKeys.size()) - 1;
    lastKeyFrame = positionKeys.empty() ? 0 : positionKeys.back().frame;
    if (positionKeys.size() <= 1) return;
    for (size_t i = 0; i < positionKeys.size(); ++i) {
        positionKeys[i].incoming = tangent(0, int(i));
        positionKeys[i].outgoing = tangent(1, int(i));
    }
}

Vector3 KeyframeNode::evaluatePosition(float frame) {
    const std::vector<PositionKey>& K = positionKeys;
    if (K.empty()) return {0, 0, 0};
    const double span = double(K.back().frame) - K.front().frame;
    if ((loopMode & 3) != 0 && span > 0) frame = float(std::fmod(double(frame), span) + K.front().frame);
    if (K.size() == 1 || frame <= float(K.front().frame)) return K.front().value;
    if (segment < 0 || size_t(segment) >= K.size() || float(K[size_t(segment)].frame) > frame) segment = 0;
    while (size_t(segment) + 1 < K.size() && float(K[size_t(segment) + 1].frame) <= frame) ++segment;
    const size_t i = size_t(segment);
    if (i + 1 == K.size()) return K[i].value;
    const PositionKey &k0 = K[i], &k1 = K[i + 1];
    float u = float((double(frame) - k0.frame) / (double(k1.frame) - k0.frame));
    u = ease(u, k0.spline.easeFrom, k0.spline.easeTo);
    const float u2 = u * u, u3 = u2 * u;
    const double h1 = 2.0 * u3 - 3.0 * u2 + 1.0, h2 = 3.0 * u2 - 2.0 * u3, h3 = double(u3) - 2.0 * u2 + u,
                 h4 = double(u3) - u2;
    auto mix = [&](float p0, float p1, float t0, float t1) { return float(h1 * p0 + h2 * p1 + h3 * t0 + h4 * t1); };
    return {mix(k0.value.x, k1.value.x, k0.outgoing.x, k1.incoming.x),
            mix(k0.value.y, k1.value.y, k0.outgoing.y, k1.incoming.y),
            mix(k0.value.z, k1.value.z, k0.outgoing.z, k1.incoming.z)};
}

void Scene::render(uint32_t* pixels, float time) {
    Keyframer* kf = keyframer(0);
    float frame = 0.0f;
    if (kf) {
        // A keyframer whose end frame is 0 (real files have them) plays its frames without wrapping.
        frame = kf->endFrame > 0 ? float(std::fmod(double(time) * 30.0, double(kf->endFrame))) : float(double(time) * 30.0);
    }
    for (auto& m : meshes) m->resetVertices();
    const Vector3 up(0, 0, -1);

    if (kf && kf->animated == 1) {
        for (auto& m : meshes) {
            for (auto& node : kf->nodes) {
                if (cameras.empty()) {
                    m1.identity();
                    Matrix r;
                    r.eulerRotation(rotation.x, rotation.y, rotation.z);
                    m1.multiply(r);
                    Matrix tr;
                    tr.translation(position.x, position.y, position.z);
                    m1.multiply(tr);
                    m->transform(m1);
                } else {
                    if (node->type == KeyframeNode::Camera) eye = node->evaluatePosition(frame);
                    if (node->type == KeyframeNode::CameraTarget) target = node->evaluatePosition(frame);
                    m3.lookAt(eye, target, up, 0.0f);
                }
            }
            m->transform(m3);
            m->render(pixels, 512, 384, materials);
            m->renderTime = time;
        }
    } else if (!cameras.empty()) {
        m3.lookAt(cameras[0]->position, cameras[0]->target, up, 0.0f);
        for (auto& m : meshes) {
            m->transform(m3);
            m->render(pixels, 512, 384, materials);
            m->renderTime = time;
        }
    } else {
        m1.eulerRotation(float(0.4 * time), float(0.75 * time), float(0.9 * time));
        m2.translation(0, 0, -144);
        m1.multiply(m2);
        for (auto& m : meshes) {
            m->transform(m1);
            m->render(pixels, 512, 384, materials);
        }
    }
}
