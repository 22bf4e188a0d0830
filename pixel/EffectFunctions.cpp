#include "pixel/EffectFunctions.h"

void Camera::updatePosition(float time) {
    applySegments(positionSegments, time, [&](const Vector3& v) { setPosition(v); });
    applySegments(position2DSegments, time, [&](const Vector2& v) { setPosition(v); });
}

void Camera::updateTarget(float time) {
    applySegments(targetSegments, time, [&](const Vector3& v) { setTarget(v); });
}

void Rotation::updateAngles(float time) {
    applySegments(angleSegments, time, [&](const Vector3& v) { angles = v; });
}
