#include "scene3d/Mesh.h"

#include <algorithm>
#include <cmath>

#include "pixel/Numeric.h"
#include "pixel/Random.h"
#include "scene3d/Raster.h"
#include "scene3d/Scene.h"

Frustum viewFrustum;
float focalLength = 256.0f;

void setupFrustum(float focal, float width, float height, float nearZ, float farZ) {
    focalLength = focal;
    const double ax = -std::atan2(double(width) / 2.0, double(focal));
    const double ay = -std::atan2(double(height) / 2.0, double(focal));
    const float cx = float(std::cos(ax)), sx = float(std::sin(ax));
    const float cy = float(std::cos(ay)), sy = float(std::sin(ay));
    viewFrustum.normal[0] = {cx, 0, sx};
    viewFrustum.normal[1] = {-cx, 0, sx};
    viewFrustum.normal[2] = {0, cy, sy};
    viewFrustum.normal[3] = {0, -cy, sy};
    viewFrustum.normal[4] = {0, 0, -1};
    viewFrustum.normal[5] = {0, 0, 1};
    for (int i = 0; i < 4; ++i) viewFrustum.distance[i] = 0.0f;
    viewFrustum.distance[4] = nearZ;
    viewFrustum.distance[5] = farZ;
}

Vertex::Vertex(const Vector3& p) : position(p) {
    const double iz = 1.0 / double(p.z);
    screen = {float(double(p.x) * 256.0 * iz + 256.0), float(192.0 - iz * 256.0 * double(p.y))};
}

void Mesh::resetVertices() {
    if (vertices.size() != fileVertices.size()) {
        vertices = fileVertices;
        return;
    }
    // Within a frame only the position and the screen point change (the other fields are carried, never
    // read): those two are put back, not every field.
    for (size_t i = 0; i < vertices.size(); ++i)
        vertices[i].position = fileVertices[i].position, vertices[i].screen = fileVertices[i].screen;
}

void Mesh::transform(const Matrix& m) {
    // Only the position and its screen point move; the carried fields stay as they are.
    for (Vertex& v : vertices) {
        const Vertex moved(m.transformPoint(v.position));
        v.position = moved.position, v.screen = moved.screen;
    }
}

void Mesh::prepareClipping() {
    triangleRoom = 9 * vertices.size();
    triangles.assign(triangleRoom, ClipCorner());
}

int Mesh::buildCount() const {
    const int64_t n = truncToInt(double(buildRate) * double(renderTime));
    return int(std::clamp<int64_t>(n, 0, int64_t(faces.size())));
}

namespace {

// One Sutherland-Hodgman stage. An intersection interpolates position and texture coordinates; its edge
// flag is that of the edge it lies on when the polygon comes back inside, and 0 (a cut along the plane,
// not an edge of the model) when it goes outside.
void clipAgainst(const Polygon& in, Polygon& out, const Vector3& n, float d) {
    out.count = 0;
    for (int i = 0; i < in.count; ++i) {
        const ClipCorner& a = in.v[i];
        const ClipCorner& b = in.v[(i + 1) % in.count];
        const double d0 = double(dot(n, a.position)) - d, d1 = double(dot(n, b.position)) - d;
        const bool inA = d0 > 0, inB = d1 > 0;
        auto intersection = [&](uint32_t flag) {
            const double t = d0 / (d0 - d1);
            ClipCorner x;
            x.position = {float(a.position.x + (double(b.position.x) - a.position.x) * t),
                          float(a.position.y + (double(b.position.y) - a.position.y) * t),
                          float(a.position.z + (double(b.position.z) - a.position.z) * t)};
            x.u = float(a.u + (double(b.u) - a.u) * t);
            x.v = float(a.v + (double(b.v) - a.v) * t);
            x.edgeVisible = flag;
            return x;
        };
        if (inA && inB) {
            out.v[out.count++] = b;
        } else if (inA && !inB) {
            out.v[out.count++] = intersection(0);
        } else if (!inA && inB) {
            out.v[out.count++] = intersection(a.edgeVisible);
            out.v[out.count++] = b;
        }
    }
}

uint32_t litColour(uint32_t fill, float intensity) {
    const int64_t r = truncToInt(double(fill >> 16 & 255) * intensity);
    const int64_t g = truncToInt(double(fill >> 8 & 255) * intensity);
    const int64_t b = truncToInt(double(fill & 255) * intensity);
    return ((uint32_t(r) << 8 | uint32_t(g)) << 8) | uint32_t(b);
}

}  // namespace

void Mesh::clipFace(const Face& f, int mode) {
    const size_t count = vertices.size();
    if (f.a >= count || f.b >= count || f.c >= count) return;  // only hand-built meshes can hold such faces
    const uint32_t idx[3] = {f.a, f.b, f.c};
    const uint8_t flags[3] = {f.edgeAB, f.edgeBC, f.edgeCA};
    // A corner: the vertex's position, the edge flag and the face's texture coordinates.
    auto corner = [&](int k) {
        ClipCorner v;
        v.position = vertices[idx[k]].position;
        v.edgeVisible = (mode == -2 || mode == 7) ? 1u : flags[k];
        v.u = f.uv[k].x, v.v = f.uv[k].y;
        return v;
    };
    // A face with every corner inside every plane passes the six stages unchanged: each stage gives the
    // corners back rotated by one, six rotations of three corners are none.
    const uint8_t* view[3] = {&viewSides[2 * idx[0]], &viewSides[2 * idx[1]], &viewSides[2 * idx[2]]};
    // All three corners clearly outside one plane: so is every point the stages before it make, and
    // that stage leaves nothing of the face.
    if (!clipEveryFace && (view[0][1] & view[1][1] & view[2][1])) return;
    if (!clipEveryFace && (view[0][0] | view[1][0] | view[2][0]) == 0) {
        if (triangleCount + 3 > triangleRoom) {
            ++droppedTriangles;
            return;
        }
        for (int k = 0; k < 3; ++k) triangles[triangleCount++] = corner(k);
        return;
    }
    Polygon& a = clipPolygons[0];
    for (int k = 0; k < 3; ++k) a.v[k] = corner(k);
    a.count = 3;
    Polygon* in = &a;
    Polygon* out = &clipPolygons[1];
    for (int p = 0; p < 6; ++p) {
        clipAgainst(*in, *out, viewFrustum.normal[p], viewFrustum.distance[p]);
        std::swap(in, out);
        if (in->count < 3) return;
    }
    for (int k = 0; k + 2 < in->count; ++k) {
        if (triangleCount + 3 > triangleRoom) {
            ++droppedTriangles;
            continue;
        }
        triangles[triangleCount++] = in->v[0];
        triangles[triangleCount++] = in->v[k + 1];
        triangles[triangleCount++] = in->v[k + 2];
    }
}

void Mesh::drawTriangles(uint32_t* pixels, int width, int height, int mode) {
    const float f = focalLength;
    for (size_t t = 0; t + 3 <= triangleCount; t += 3) {
        RasterCorner c[3];
        for (int k = 0; k < 3; ++k) {
            const ClipCorner& v = triangles[t + size_t(k)];
            c[k] = {float(256.0 + double(f) * v.position.x / v.position.z),
                    float(192.0 - double(f) * v.position.y / v.position.z), v.position.z, v.u, v.v};
        }
        lightModel = 1;
        uint32_t colour = fillColor;
        if (lighting && mode == 1) {  // only the flat fill shows the lit colour
            const Vector3 a(c[0].sx, c[0].sy, c[0].z), b(c[1].sx, c[1].sy, c[1].z), d(c[2].sx, c[2].sy, c[2].z);
            Vector3 n = (b - a).cross(b - d);
            n.normalize();
            float intensity = dot(n, Vector3(-0.25f, 0.25f, -0.75f));
            if (intensity > 1.0f)
                intensity = 1.0f;
            else if (intensity < 0.0f)
                intensity = 1.0f - intensity;
            colour = litColour(fillColor, intensity);
        }
        switch (mode) {
            case 1:
                if (fill) fillFlat(pixels, width, height, c, colour);
                break;
            case 2:
                if (fill) fillWhite(pixels, width, height, c);
                break;
            case 4: fillFlat(pixels, width, height, c, 0x000000FFu); break;
            case 3:
            case 6:
                if (texture)
                    fillTextured(pixels, width, height, c, texture->pixels, int(texture->width), int(texture->height));
                break;
            case -2:
            case 7:
            case 16: {
                const uint32_t lineColour = mode == 16 ? lineColor : 0x00FFFFFFu;
                for (int k = 0; k < 3; ++k) {
                    const ClipCorner& from = triangles[t + size_t(k)];
                    if (!(from.edgeVisible & 0xFF)) continue;
                    const int next = (k + 1) % 3;
                    drawLine(pixels, c[k].sx, c[k].sy, c[next].sx, c[next].sy, 512, 384, lineColour);
                }
                break;
            }
            default: break;
        }
    }
}

void Mesh::render(uint32_t* pixels, int width, int height, const std::vector<std::unique_ptr<Material>>& materials) {
    const int mode = renderMode;
    if (mode == 5) return;
    if (mode == -1) {
        const int n = buildCount();
        for (int i = 0; i < n; ++i) {
            const Face& f = faces[size_t(i)];
            if (f.a >= vertices.size() || f.b >= vertices.size() || f.c >= vertices.size()) continue;
            const float dx = float(showRand() % 5 - 2);
            const float dy = float(showRand() % 5 - 2);
            showRand();  // drawn and not used
            for (uint32_t k : {f.a, f.b, f.c}) vertices[k].screen.x += dx, vertices[k].screen.y += dy;
            const Vector2 &pa = vertices[f.a].screen, &pb = vertices[f.b].screen, &pc = vertices[f.c].screen;
            if (f.edgeAB) drawLine(pixels, pa.x, pa.y, pb.x, pb.y, 512, 384, lineColor);
            if (f.edgeBC) drawLine(pixels, pb.x, pb.y, pc.x, pc.y, 512, 384, lineColor);
            if (f.edgeCA) drawLine(pixels, pc.x, pc.y, pa.x, pa.y, 512, 384, lineColor);
        }
        return;
    }
    if (mode != -2 && mode != 16 && mode != 1 && mode != 2 && mode != 7 && mode != 4 && mode != 3 && mode != 6)
        return;
    if (triangles.size() != triangleRoom) prepareClipping();
    if (mode == 3 || mode == 6) {
        texture = nullptr;
        if (!faces.empty()) {
            const int32_t m = faces.back().material;
            if (m >= 0 && size_t(m) < materials.size()) {
                const Material& mat = *materials[size_t(m)];
                if (mat.selectedTexture >= 0 && size_t(mat.selectedTexture) < mat.textures.size())
                    texture = mat.textures[size_t(mat.selectedTexture)].get();
            }
        }
    }
    const size_t n = mode == -2 ? size_t(buildCount()) : faces.size();
    facesToDraw = int(n);
    triangleCount = 0;
    droppedTriangles = 0;
    // Per vertex, once: the planes it is outside of by the clip stages' own test (inside: distance > 0),
    // and those it is clearly outside of, by more than 2^-20 of |x| + |y| + |z|. Intersections the
    // stages make are rounded to float (2^-24 of each coordinate, at most six times over), so each
    // point of a face whose corners are all clearly outside a plane stays outside it: the distance is
    // linear along the face, and so is the margin.
    viewSides.resize(2 * vertices.size());
    for (size_t i = 0; i < vertices.size(); ++i) {
        const Vector3& p = vertices[i].position;
        const double margin = (std::fabs(double(p.x)) + std::fabs(double(p.y)) + std::fabs(double(p.z))) * 0x1p-20;
        uint8_t outside = 0, clearly = 0;
        for (int k = 0; k < 6; ++k) {
            const double d = double(dot(viewFrustum.normal[k], p)) - viewFrustum.distance[k];
            if (!(d > 0)) outside |= uint8_t(1u << k);
            if (d < -margin) clearly |= uint8_t(1u << k);
        }
        viewSides[2 * i] = outside, viewSides[2 * i + 1] = clearly;
    }
    for (size_t i = 0; i < n; ++i) clipFace(faces[i], mode);
    drawTriangles(pixels, width, height, mode);
}
