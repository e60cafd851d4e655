#include "engine/world/Camera.h"

#include "engine/console/Log.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/util/MathUtil.h"
#include "engine/util/opengl/GL.h"

#include <cmath>

namespace
{
constexpr double kNearPlane = 0.001;
constexpr double kFarPlane = 200.0;

bool IsFinite(const Vector3& point)
{
    return std::isfinite(point.X) && std::isfinite(point.Y) && std::isfinite(point.Z);
}
} // namespace

Camera* Camera::GetInstance()
{
    static Camera* instance = new Camera();
    return instance;
}

Camera::Camera()
{
    Reset();
}

void Camera::ResizeCallback(int width, int height)
{
    GetInstance()->Resize(width, height);
}

void Camera::Resize(int width, int height)
{
    if (width != m_windowWidth || height != m_windowHeight)
    {
        m_windowWidth = width;
        m_windowHeight = height;
        glViewport(0, 0, width, height);
    }
    LoadProjection();
    BroadcastChange();
}

void Camera::LoadProjection() const
{
    // A minimised window has no height; any finite aspect will do until it comes back.
    const double aspect = m_windowHeight > 0 && m_windowWidth > 0
                              ? static_cast<double>(m_windowWidth) / m_windowHeight
                              : 1.0;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(m_aperture, aspect, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
}

void Camera::Reset()
{
    m_aperture = 90.0;
    m_position = Vector3(0.0f, 0.0f, 10.0f);
    m_view = Vector3(0.0f, 0.0f, -10.0f);
    m_up = Vector3(0.0f, 1.0f, 0.0f);
}

void Camera::Render()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(m_position.X, m_position.Y, m_position.Z, m_position.X + m_view.X,
              m_position.Y + m_view.Y, m_position.Z + m_view.Z, m_up.X, m_up.Y, m_up.Z);
}

void Camera::SetPosition(const Vector2& position)
{
    StoreEye(Vector3(position.X, position.Y, m_position.Z));
}

void Camera::SetPosition(float x, float y)
{
    StoreEye(Vector3(x, y, m_position.Z));
}

void Camera::SetPosition(const Vector3& position)
{
    StoreEye(position);
}

void Camera::SetPosition(float x, float y, float z)
{
    StoreEye(Vector3(x, y, z));
}

void Camera::StoreEye(const Vector3& eye)
{
    // The visible area, and with it the edge blockers' bodies, would not be numbers either.
    if (!IsFinite(eye))
    {
        GetSystemLog()->Log("WARNING: Can't move the camera to a point that is not finite.");
        return;
    }
    m_position = eye;
    Actor::SetPosition(eye.X, eye.Y);
    BroadcastChange();
}

Vector2 Camera::GetPosition() const
{
    return Vector2(m_position.X, m_position.Y);
}

float Camera::GetZ() const
{
    return m_position.Z;
}

void Camera::SetViewCenter(float x, float y, float z)
{
    if (!IsFinite(Vector3(x, y, z)))
    {
        GetSystemLog()->Log("WARNING: Can't turn the camera to a point that is not finite.");
        return;
    }
    m_view = Vector3(x, y, z);
    BroadcastChange();
}

Vector3 Camera::GetViewCenter() const
{
    return m_view;
}

float Camera::GetViewRadius() const
{
    const double halfAperture = m_aperture * MathUtil::PrecisePi / 360.0;
    return static_cast<float>(std::tan(halfAperture) * std::fabs(m_position.Z));
}

Vector2 Camera::GetWorldMinVertex() const
{
    return MathUtil::ScreenToWorld(0, m_windowHeight);
}

Vector2 Camera::GetWorldMaxVertex() const
{
    return MathUtil::ScreenToWorld(m_windowWidth, 0);
}

void Camera::BroadcastChange()
{
    Switchboard::GetInstance()->Broadcast(new Message("CameraChange"));
}
