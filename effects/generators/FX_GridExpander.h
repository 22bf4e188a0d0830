// FX_GridExpander: a texture mapped through a coarse grid. Only at the corners of 8 x 8 cells (the nodes:
// 65 x 49 for the 512 x 384 frame) is it computed where the screen looks into the texture; the grid
// renderers fill the cells in fixed point.
//
// modeFlags: the lowest of bits 0-3 picks the node values, then bits 4, 5, 6 add to them, in order:
//   1  round tunnel   (a ray per node from Camera::position, turned by Camera::target as x, y, z degrees)
//   2  floor and ceiling (ray cast)          4  square-ish tunnel (ray cast)
//   8  swirl round three moving centres     16  horizontal scroll    32  ripple    64  wave
// Ray-cast node values are drawn as shaded triangles, the others as bilinear blocks; blendMode 1 adds,
// 2 subtracts, anything else copies.
//
// Decisions of ours: the texture must be 256 x 256 (the addressing needs exactly that); a missing
// texture or another size ends the program with a message when the effect renders. Nodes start
// at 0. A ray that yields no defined value (a negative discriminant, a ray parallel to the planes) and a
// swirl centre exactly on a node leave that node's values as they were (the previous frame's, or 0), so
// the renderers never see NaN or infinity.
#pragma once

#include <memory>

#include "effects/generators/GridRenderers.h"
#include "pixel/Vector.h"
#include "timeline/Effect.h"

struct GridNode {
    float x, y;  // never set or read
    float shade;  // brightness 0..63 in the ray-cast modes
    float u, v;   // texel coordinates
};

class FX_GridExpander : public Effect {
public:
    FX_GridExpander(uint32_t width, uint32_t height, uint32_t modeFlags);

    void update() override;  // opacity, then position and target segments
    void render() override;

    void resetGrid(float du, float dv);
    void ripple(float frequency, float phase, float amplitude);
    void wave(float fu, float fv, float pu, float pv, float au, float av);
    void swirl(float s);
    void castTunnel(const Vector3& origin, const Vector3& angles);
    void castSquareTunnel(const Vector3& origin, const Vector3& angles);
    void castPlanes(const Vector3& origin, const Vector3& angles);
    static Vector3 rotateEuler(const Vector3& v, float a, float b, float c);
    // The rotation by angles a, b, c: their cosines and sines rounded to float, kept in double.
    // x' = x m0 + y m1 - z m2, y' = x m3 + y m4 + z m5, z' = x m6 + y m7 + z m8, each sum in double
    // from the left and rounded to float; the cosines and sines are rounded to float.
    struct EulerRotation {
        float ca, sa, cb, sb, cc, sc;
        double m[9];
        EulerRotation(float a, float b, float c);
        Vector3 operator()(const Vector3& v) const;
    };

    // The two stages of render, apart so they can be measured apart.
    void computeNodes();
    void drawCells();

    GridNode& node(int i, int j) { return nodes[size_t(j) * size_t(gridWidth) + size_t(i)]; }

    uint32_t modeFlags;
    std::unique_ptr<GridNode[]> nodes;
    int gridWidth, gridHeight;
    uint32_t nodeCount;
    int planeDistance = 256;
    bool rayCast = false;
    float fovDivisor = 42.0f;
    int tunnelRadius = 256;

private:
    template <class Hit>
    void castRays(const Vector3& origin, const Vector3& angles, Hit hit);
    // The round (squareish false) or square-ish tunnel: each ray's hit first, then the angles of all hits
    // in lanes (atan2Floats), which give the nodes' v.
    void castTunnelRays(const Vector3& origin, const Vector3& angles, bool squareish);
    // A row of rays' starting x (gridWidth); per node, what a tunnel cast found; per hit of the last cast,
    // its node and the hit point's y and x.
    std::unique_ptr<float[]> rayX;
    std::unique_ptr<uint8_t[]> rayHit;
    std::unique_ptr<double[]> rayT;
    std::unique_ptr<float[]> rayHitX, rayHitY, rayHitZ;
    std::unique_ptr<uint32_t[]> hitNode;
    std::unique_ptr<double[]> hitY, hitX;
    std::unique_ptr<float[]> hitAngle;
    std::unique_ptr<ShadedVertex[]> shadedNodes;  // per node: u, v and k as the cells read them
    void checkTexture();  // on every render: the texture may be swapped between frames
};
