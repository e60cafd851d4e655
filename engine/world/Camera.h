#pragma once

#include "engine/actors/Actor.h"
#include "engine/util/Vector3.h"

/// The one camera: a perspective projection with a fixed vertical field of view and a look-at
/// view from a 3D eye. It knows the window size in pixels, and through it the visible world
/// rectangle that MathUtil's screen/world conversions use. Every change of position, view or
/// window size broadcasts "CameraChange" (delivered in the next tick). Created on first use and
/// never deleted; not in any World layer (the World updates and renders it itself).
class Camera : public Actor
{
public:
    static Camera* GetInstance();

    /// The window-size callback: GetInstance()->Resize(width, height).
    static void ResizeCallback(int width, int height);
    /// Stores the size (and sets the viewport) when it changed, always reloads the projection
    /// and broadcasts "CameraChange".
    void Resize(int width, int height);

    /// Field of view 90 degrees, eye (0, 0, 10) looking down the z axis at the origin, y up.
    /// Broadcasts nothing; keeps the window size and the Actor position.
    void Reset();

    /// Loads the view into the model-view matrix.
    void Render() override;
    String GetClassName() const override { return "Camera"; }

    /// The two-value forms keep the eye's z. Each broadcasts "CameraChange".
    void SetPosition(const Vector2& position) override;
    void SetPosition(float x, float y) override;
    virtual void SetPosition(const Vector3& position);
    virtual void SetPosition(float x, float y, float z);
    /// The eye's x and y.
    virtual Vector2 GetPosition() const;
    /// The eye's z.
    virtual float GetZ() const;
    /// Sets the offset from the eye to the point looked at; broadcasts "CameraChange".
    virtual void SetViewCenter(float x, float y, float z);
    virtual Vector3 GetViewCenter() const;

    /// Window size in pixels; 0 until the first resize.
    int GetWindowWidth() const { return m_windowWidth; }
    int GetWindowHeight() const { return m_windowHeight; }
    /// tan(aperture / 2) * |eye z|: half the shorter side of the visible rectangle at z = 0.
    float GetViewRadius() const;
    /// The world point under the window's bottom-left corner.
    Vector2 GetWorldMinVertex() const;
    /// The world point under the window's top-right corner.
    Vector2 GetWorldMaxVertex() const;

private:
    Camera();
    ~Camera() override = default;

    void StoreEye(const Vector3& eye);
    void LoadProjection() const;
    static void BroadcastChange();

    int m_windowWidth = 0;
    int m_windowHeight = 0;
    double m_aperture = 90.0;
    Vector3 m_position;
    Vector3 m_view;
    Vector3 m_up;
};
