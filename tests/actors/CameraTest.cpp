// Needs an X display (run under Xvfb): the camera sets GL's viewport and projection.
#include "engine/world/Camera.h"
#include "engine/actors/FullScreenActor.h"
#include "engine/util/MathUtil.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/WorldWindow.h"

#include <array>
#include <cmath>

namespace
{

// Half the visible width, in world units, of a 1024 x 768 window at the default distance.
constexpr float kHalfWidth = 10.0f * 1024 / 768;

bool Near(const Vector2& actual, const Vector2& expected, float tolerance = 1e-3f)
{
    return std::fabs(actual.X - expected.X) <= tolerance &&
           std::fabs(actual.Y - expected.Y) <= tolerance;
}

using CameraTest = WorldWindowTest;

} // namespace

TEST_F(CameraTest, TheVisibleRectangleAndConversionsFollowTheEye)
{
    Camera* camera = Camera::GetInstance();
    EXPECT_TRUE(Near(camera->GetWorldMinVertex(), Vector2(-kHalfWidth, -10.0f)));
    EXPECT_TRUE(Near(camera->GetWorldMaxVertex(), Vector2(kHalfWidth, 10.0f)));
    // World points and their window pixels: 38.4 pixels a unit, y down on the window.
    for (const auto& [world, pixel] : {std::pair(Vector2(-kHalfWidth, 10.0f), Vector2(0, 0)),
                                       {Vector2(kHalfWidth, -10.0f), Vector2(1024, 768)},
                                       {Vector2(-5.0f, -2.5f), Vector2(320, 480)}})
    {
        EXPECT_TRUE(Near(MathUtil::WorldToScreen(world), pixel, 0.01f)) << pixel.X;
        EXPECT_TRUE(Near(MathUtil::ScreenToWorld(int(pixel.X), int(pixel.Y)), world)) << pixel.X;
    }
    EXPECT_NEAR(MathUtil::WorldSizeToScreenSize(1.0f), 38.4f, 1e-3f);
    camera->SetPosition(Vector2(3.0f, 4.0f));
    EXPECT_TRUE(Near(MathUtil::WorldToScreen(Vector2(3.0f, 4.0f)), Vector2(512, 384)));
    EXPECT_TRUE(Near(MathUtil::ScreenToWorld(0, 0), Vector2(3.0f - kHalfWidth, 14.0f)));
    // Twice as far away shows twice as much; the two-value form keeps z.
    camera->SetPosition(1.0f, 2.0f, 20.0f);
    camera->SetPosition(0.0f, 0.0f);
    EXPECT_TRUE(Near(camera->GetWorldMaxVertex(), Vector2(2.0f * kHalfWidth, 20.0f)));
    camera->SetPosition(Vector3(0.0f, 0.0f, -5.0f));
    EXPECT_FLOAT_EQ(camera->GetViewRadius(), 5.0f) << "from behind the plane as well";
}

TEST_F(CameraTest, ChangesAndResizesBroadcastAndResizesLoadTheProjection)
{
    MessageRecorder recorder({"CameraChange"});
    Camera* camera = Camera::GetInstance();
    recorder.Deliver();
    camera->SetPosition(Vector2(1.0f, 1.0f));
    camera->SetPosition(1.0f, 1.0f, 5.0f);
    // Not a number (a script's): refused, unchanged and silent, so the edge blockers stay valid.
    camera->SetPosition(NAN, 0.0f);
    camera->SetViewCenter(0.0f, INFINITY, -10.0f);
    EXPECT_TRUE(Near(camera->GetPosition(), Vector2(1.0f, 1.0f)));
    EXPECT_EQ(camera->GetViewCenter().Y, 0.0f);
    camera->Reset();
    EXPECT_EQ(recorder.Deliver().size(), 2u) << "Reset is silent";
    std::array<GLfloat, 16> projection{};
    Camera::ResizeCallback(800, 400);
    EXPECT_EQ(recorder.Deliver().size(), 1u);
    glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
    EXPECT_TRUE(std::fabs(projection[0] - 0.5f) < 1e-5f && std::fabs(projection[5] - 1) < 1e-5f)
        << "cot(45 degrees) / aspect 2";
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport, (std::array<GLint, 4>{0, 0, 800, 400}));
    // A window without area maps every pixel to the eye instead of dividing by zero.
    Camera::ResizeCallback(0, 0);
    EXPECT_TRUE(Near(MathUtil::ScreenToWorld(3, 7), Vector2(0.0f, 0.0f)));
}

TEST_F(CameraTest, FullScreenActorsFollowTheCameraOneTickLater)
{
    auto* backdrop = new FullScreenActor();
    EXPECT_TRUE(Near(backdrop->GetSize(), Vector2(2.0f * kHalfWidth, 20.0f)));
    world->Add(backdrop);
    Camera* camera = Camera::GetInstance();
    camera->SetPosition(Vector2(2.0f, 1.0f));
    Camera::ResizeCallback(800, 800);
    EXPECT_EQ(backdrop->GetPosition(), Vector2(0.0f, 0.0f)) << "not before the message arrives";
    Frame();
    EXPECT_EQ(backdrop->GetPosition(), Vector2(2.0f, 1.0f));
    EXPECT_TRUE(Near(backdrop->GetSize(), Vector2(20.0f, 20.0f)));
    // The World updates the camera each tick before it delivers messages, so the backdrop
    // follows a timed camera move within the same frame.
    camera->MoveTo(Vector2(6.0f, 1.0f), 1.0f);
    Frame(0.5);
    EXPECT_EQ(backdrop->GetPosition(), Vector2(4.0f, 1.0f));
    Frame(0.5); // the move ends here, so it cannot run on into later tests
}
