// MathUtil's conversions between window pixels and world units. They live with the camera
// because they read its window size, view radius and position.

#include "engine/util/MathUtil.h"
#include "engine/world/Camera.h"

namespace
{
// Window pixels per world unit (the same along both axes).
double PixelsPerUnit()
{
    return Camera::GetInstance()->GetWindowWidth() / MathUtil::GetVisibleWorldSize().X;
}
} // namespace

Vector2 MathUtil::GetVisibleWorldSize()
{
    const Camera* camera = Camera::GetInstance();
    const int width = camera->GetWindowWidth();
    const int height = camera->GetWindowHeight();
    const double viewRadius = camera->GetViewRadius();
    // A window without area gets a square view rather than a division by zero.
    const double aspect = width > 0 && height > 0 ? static_cast<double>(width) / height : 1.0;

    if (width > height)
    {
        const double worldHeight = 2.0 * viewRadius;
        return Vector2(static_cast<float>(worldHeight * aspect), static_cast<float>(worldHeight));
    }
    const double worldWidth = 2.0 * viewRadius;
    return Vector2(static_cast<float>(worldWidth), static_cast<float>(worldWidth / aspect));
}

Vector2 MathUtil::WorldToScreen(const Vector2& world)
{
    const Camera* camera = Camera::GetInstance();
    const Vector2 eye = camera->GetPosition();
    const Vector2 size = GetVisibleWorldSize();
    const double width = camera->GetWindowWidth();
    const double height = camera->GetWindowHeight();
    const double dx = world.X - eye.X;
    const double dy = world.Y - eye.Y;
    return Vector2(static_cast<float>(width * (dx / size.X + 0.5)),
                   static_cast<float>(height - height * (dy / size.Y + 0.5)));
}

Vector2 MathUtil::WorldToScreen(float x, float y)
{
    return WorldToScreen(Vector2(x, y));
}

Vector2 MathUtil::ScreenToWorld(int x, int y)
{
    const Camera* camera = Camera::GetInstance();
    const Vector2 eye = camera->GetPosition();
    const Vector2 size = GetVisibleWorldSize();
    const int width = camera->GetWindowWidth();
    const int height = camera->GetWindowHeight();
    // A window without area (not yet sized, or minimised) maps every pixel to the view's centre
    // instead of dividing by zero.
    const double offsetX = width > 0 ? static_cast<double>(x) / width - 0.5 : 0.0;
    const double offsetY = height > 0 ? 0.5 - static_cast<double>(y) / height : 0.0;
    return Vector2(static_cast<float>(offsetX * size.X + eye.X),
                   static_cast<float>(offsetY * size.Y + eye.Y));
}

float MathUtil::WorldSizeToScreenSize(float worldSize)
{
    return static_cast<float>(worldSize * PixelsPerUnit());
}

float MathUtil::ScreenSizeToWorldSize(float screenSize)
{
    const double pixelsPerUnit = PixelsPerUnit();
    return pixelsPerUnit > 0.0 ? static_cast<float>(screenSize / pixelsPerUnit) : 0.0f;
}
