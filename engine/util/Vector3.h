#pragma once

/// A 3D vector of 32-bit floats: the camera's position and view. No arithmetic of its own.
struct Vector3
{
    float X, Y, Z;

    constexpr Vector3() : X(0.0f), Y(0.0f), Z(0.0f) {}
    constexpr Vector3(float x, float y, float z) : X(x), Y(y), Z(z) {}

    static Vector3 Zero;
    static Vector3 One;
    static Vector3 UnitX;
    static Vector3 UnitY;
    static Vector3 UnitZ;
};
