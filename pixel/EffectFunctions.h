// The animatable parameter groups every effect carries: colour, opacity (Blend), camera, noise and
// rotation. Each holds current values and segment lists; an effect's update() evaluates the lists it
// uses at the effect's time, its render() reads the values. A group an effect ignores is carried along.
// Values that have no meaningful default (camera, radius, angles) start at zero.
#pragma once

#include <vector>

#include "pixel/Color.h"
#include "pixel/LinearInterpolator.h"
#include "pixel/Vector.h"

class Blend {
public:
    void setOpacity(int value) { opacity = value; }
    void addOpacitySegment(const LinearInterpolator<int>& s) { opacitySegments.push_back(s); }

    int opacity = 0;  // 0..255 by convention, not clamped
    std::vector<LinearInterpolator<int>> opacitySegments;
};

class Camera {
public:
    void setPosition(const Vector3& v) { position = v; }
    void setPosition(const Vector2& v) { position.x = v.x; position.y = v.y; }  // z is kept
    void setTarget(const Vector3& v) { target = v; }
    void addPosition2DSegment(const LinearInterpolator<Vector2>& s) { position2DSegments.push_back(s); }
    void addPositionSegment(const LinearInterpolator<Vector3>& s) { positionSegments.push_back(s); }
    void addTargetSegment(const LinearInterpolator<Vector3>& s) { targetSegments.push_back(s); }

    // 3D segments first, then 2D ones: a 2D segment wins over a 3D one at the same moment.
    void updatePosition(float time);
    void updateTarget(float time);

    Vector3 position{0, 0, 0};  // 3D position, or 2D placement (x, y) and zoom (z)
    Vector3 target{0, 0, 0};
    std::vector<LinearInterpolator<Vector2>> position2DSegments;
    std::vector<LinearInterpolator<Vector3>> positionSegments;
    std::vector<LinearInterpolator<Vector3>> targetSegments;
};

class Noise {
public:
    void setRadius(int value) { radius = value; }
    void setAmount(int value) { amount = value; }
    void addAmountSegment(const LinearInterpolator<int>& s) { amountSegments.push_back(s); }

    int radius = 0;  // largest random displacement, pixels
    int amount = 0;  // range of the random colour offset
    std::vector<LinearInterpolator<int>> amountSegments;
};

class Rotation {
public:
    void addAngleSegment(const LinearInterpolator<Vector3>& s) { angleSegments.push_back(s); }
    void updateAngles(float time);

    Vector3 angles{0, 0, 0};  // radians about x, y, z
    std::vector<LinearInterpolator<Vector3>> angleSegments;
};

class EffectFunctions : public Color, public Blend, public Camera, public Noise, public Rotation {};
