// Matrix: 4 x 4 floats, m[4 i + j] is row i, column j. Points are row vectors multiplied from the left,
// p' = p M: the translation sits in m[12..14], and A x B applies A first, then B. Sums of products are
// formed in double and stored as float.
#pragma once

#include "pixel/Vector.h"

class Matrix {
public:
    Matrix() { identity(); }

    void identity();
    void translation(float tx, float ty, float tz);
    void scaling(float sx, float sy, float sz);
    void rotationX(float a);
    void rotationY(float a);
    void rotationZ(float a);
    void eulerRotation(float ax, float ay, float az);  // X, then Y, then Z
    void multiply(const Matrix& b);                    // this = this x b
    Vector3 transformPoint(float x, float y, float z) const;
    Vector3 transformPoint(const Vector3& p) const { return transformPoint(p.x, p.y, p.z); }
    Vector3 transformDirection(float x, float y, float z) const;
    // The axes are the columns of the rotation part; the translation is -O, not rotated.
    void fromAxes(const Vector3& x1, const Vector3& x2, const Vector3& x3, const Vector3& o);
    void setTranslationFromRotated(const Vector3& v);
    void perspective(float sx, float sy, float near, float far);
    // A camera at eye looking at target (roll in degrees): visible points get negative z.
    void lookAt(const Vector3& eye, const Vector3& target, const Vector3& up, float roll);
    void set(const float values[16]);

    float m[16];
};

// Single-precision pi, as the look-at roll uses it.
constexpr double kPiFloat = 3.1415927410125732;
