#include "scene3d/Matrix.h"

#include <cmath>

void Matrix::identity() {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void Matrix::translation(float tx, float ty, float tz) {
    identity();
    m[12] = tx, m[13] = ty, m[14] = tz;
}

void Matrix::scaling(float sx, float sy, float sz) {
    for (float& v : m) v = 0.0f;
    m[0] = sx, m[5] = sy, m[10] = sz, m[15] = 1.0f;
}

void Matrix::rotationX(float a) {
    identity();
    const float c = float(std::cos(double(a))), s = float(std::sin(double(a)));
    m[5] = c, m[9] = -s, m[6] = s, m[10] = c;
}

void Matrix::rotationY(float a) {
    identity();
    const float c = float(std::cos(double(a))), s = float(std::sin(double(a)));
    m[0] = c, m[8] = s, m[2] = -s, m[10] = c;
}

void Matrix::rotationZ(float a) {
    identity();
    const float c = float(std::cos(double(a))), s = float(std::sin(double(a)));
    m[0] = c, m[4] = -s, m[1] = s, m[5] = c;
}

void Matrix::eulerRotation(float ax, float ay, float az) {
    rotationX(ax);
    Matrix r;
    r.rotationY(ay);
    multiply(r);
    r.rotationZ(az);
    multiply(r);
}

void Matrix::multiply(const Matrix& b) {
    float out[16];
    // Written out, first product first: a sum started at 0.0 let the vectoriser start it at -0.0 instead,
    // and a zero's sign reached the frame at -O3 but not at -O2.
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out[4 * i + j] = float(double(m[4 * i]) * b.m[j] + double(m[4 * i + 1]) * b.m[4 + j] +
                                   double(m[4 * i + 2]) * b.m[8 + j] + double(m[4 * i + 3]) * b.m[12 + j]);
    set(out);
}

Vector3 Matrix::transformPoint(float x, float y, float z) const {
    return {float(double(x) * m[0] + double(y) * m[4] + double(z) * m[8] + m[12]),
            float(double(x) * m[1] + double(y) * m[5] + double(z) * m[9] + m[13]),
            float(double(x) * m[2] + double(y) * m[6] + double(z) * m[10] + m[14])};
}

Vector3 Matrix::transformDirection(float x, float y, float z) const {
    return {float(double(x) * m[0] + double(y) * m[4] + double(z) * m[8]),
            float(double(x) * m[1] + double(y) * m[5] + double(z) * m[9]),
            float(double(x) * m[2] + double(y) * m[6] + double(z) * m[10])};
}

void Matrix::fromAxes(const Vector3& x1, const Vector3& x2, const Vector3& x3, const Vector3& o) {
    m[0] = x1.x, m[4] = x1.y, m[8] = x1.z;
    m[1] = x2.x, m[5] = x2.y, m[9] = x2.z;
    m[2] = x3.x, m[6] = x3.y, m[10] = x3.z;
    m[12] = -o.x, m[13] = -o.y, m[14] = -o.z;
    m[3] = m[7] = m[11] = 0.0f;
    m[15] = 1.0f;
}

void Matrix::setTranslationFromRotated(const Vector3& v) {
    const Vector3 r = transformDirection(v.x, v.y, v.z);
    m[12] = r.x, m[13] = r.y, m[14] = r.z;
}

void Matrix::perspective(float sx, float sy, float nearZ, float farZ) {
    for (float& v : m) v = 0.0f;
    m[0] = sx, m[5] = sy;
    m[10] = float(double(farZ) / (double(farZ) - nearZ));
    m[14] = 1.0f;
    m[11] = float(-double(nearZ) * farZ / (double(farZ) - nearZ));
}

void Matrix::lookAt(const Vector3& eye, const Vector3& target, const Vector3& up, float roll) {
    Vector3 F = eye - target;
    F.normalize();
    Vector3 R = up.cross(F);
    R.normalize();
    Vector3 U = F.cross(R);
    U.normalize();
    m[0] = R.x, m[4] = R.y, m[8] = R.z;
    m[1] = U.x, m[5] = U.y, m[9] = U.z;
    m[2] = F.x, m[6] = F.y, m[10] = F.z;
    m[3] = m[7] = m[11] = m[12] = m[13] = m[14] = 0.0f;
    m[15] = 1.0f;
    Matrix r;
    r.eulerRotation(0.0f, 0.0f, float(double(roll) / 180.0 * kPiFloat));
    multiply(r);
    m[12] = float(-(double(eye.x) * m[0] + double(eye.y) * m[4] + double(eye.z) * m[8]));
    m[13] = float(-(double(eye.x) * m[1] + double(eye.y) * m[5] + double(eye.z) * m[9]));
    m[14] = float(-(double(eye.x) * m[2] + double(eye.y) * m[6] + double(eye.z) * m[10]));
}

void Matrix::set(const float values[16]) {
    for (int i = 0; i < 16; ++i) m[i] = values[i];
}
