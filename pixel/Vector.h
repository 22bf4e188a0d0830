// Vector2 and Vector3: plain 32-bit float value types. Every operation rounds each component to float
// (a single float operation rounds exactly like the same operation in double stored to float).
// Default construction leaves the components unset; write `Vector3 v{}` for zeros.
#pragma once

struct Vector2 {
    float x, y;

    Vector2() = default;
    constexpr Vector2(float x_, float y_) : x(x_), y(y_) {}

    Vector2 operator+(const Vector2& o) const { return {x + o.x, y + o.y}; }
    Vector2 operator-(const Vector2& o) const { return {x - o.x, y - o.y}; }
    Vector2 operator*(float s) const { return {x * s, y * s}; }
    bool operator==(const Vector2& o) const { return x == o.x && y == o.y; }
};

struct Vector3 {
    float x, y, z;

    Vector3() = default;
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    bool operator==(const Vector3& o) const { return x == o.x && y == o.y && z == o.z; }
};
