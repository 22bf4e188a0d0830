// Vector2 and Vector3: plain 32-bit float value types. Operations work in double and round each stored
// component to float (a single float operation rounds exactly like the same operation in double).
// Default construction leaves the components unset; write `Vector3 v{}` for zeros.
#pragma once

#include <cmath>

struct Vector2 {
    float x, y;

    Vector2() = default;
    constexpr Vector2(float x_, float y_) : x(x_), y(y_) {}
    void set(float x_, float y_) { x = x_, y = y_; }

    Vector2 operator+(const Vector2& o) const { return {x + o.x, y + o.y}; }
    Vector2 operator-(const Vector2& o) const { return {x - o.x, y - o.y}; }
    Vector2 operator*(float s) const { return {x * s, y * s}; }
    bool operator==(const Vector2& o) const { return x == o.x && y == o.y; }

    float lengthSquared() const { return float(double(x) * x + double(y) * y); }
    float length() const { return float(std::sqrt(double(x) * x + double(y) * y)); }
    void normalize() {
        const double k = 1.0 / std::sqrt(double(x) * x + double(y) * y);
        x = float(x * k), y = float(y * k);
    }
    void lerpTowards(float tx, float ty, float t) {
        x = float(x + (double(tx) - x) * t);
        y = float(y + (double(ty) - y) * t);
    }
};

struct Vector3 {
    float x, y, z;

    Vector3() = default;
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    bool operator==(const Vector3& o) const { return x == o.x && y == o.y && z == o.z; }

    Vector3 cross(const Vector3& b) const {
        return {float(double(y) * b.z - double(z) * b.y), float(double(z) * b.x - double(x) * b.z),
                float(double(x) * b.y - double(y) * b.x)};
    }
    void setCross(const Vector3& a, const Vector3& b) { *this = a.cross(b); }
    float lengthSquared() const { return float(double(x) * x + double(y) * y + double(z) * z); }
    float length() const { return float(std::sqrt(double(x) * x + double(y) * y + double(z) * z)); }
    // A zero vector becomes NaN (callers never pass one; the rasterisers refuse NaN coordinates).
    void normalize() {
        const double k = 1.0 / std::sqrt(double(x) * x + double(y) * y + double(z) * z);
        x = float(x * k), y = float(y * k), z = float(z * k);
    }
    void negate() { x = -x, y = -y, z = -z; }
    void lerpTowards(float tx, float ty, float tz, float t) {
        x = float(x + (double(tx) - x) * t);
        y = float(y + (double(ty) - y) * t);
        z = float(z + (double(tz) - z) * t);
    }
    // Screen position for the fixed focal length 256 and centre (256, 192); 1/z is kept as a float.
    Vector2 project() const {
        const double iz = float(1.0 / z);
        return {float(256.0 + x * 256.0 * iz), float(192.0 - y * 256.0 * iz)};
    }
};

inline float dot(const Vector3& a, const Vector3& b) {
    return float(double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z);
}
