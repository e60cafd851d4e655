// Needs an X display (run under Xvfb): the camera sets GL's viewport and projection.
#include "engine/world/Camera.h"
#include "engine/actors/FullScreenActor.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/MessageListener.h"
#include "engine/messaging/Switchboard.h"
#include "engine/util/MathUtil.h"
#include "tests/support/WorldWindow.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace
{

constexpr float kTolerance = 1e-3f;

/// Counts the "CameraChange" messages delivered to it.
class CameraChangeCounter : public MessageListener
{
public:
    CameraChangeCounter() { Switchboard::GetInstance()->SubscribeTo(this, "CameraChange"); }
    ~CameraChangeCounter() { Switchboard::GetInstance()->UnsubscribeFrom(this, "CameraChange"); }
    void ReceiveMessage(Message* message) override
    {
        if (message->GetMessageName() == "CameraChange")
            ++count;
    }
    /// Delivers what is queued and returns how many changes arrived since the last call.
    int Deliver()
    {
        count = 0;
        Switchboard::GetInstance()->SendAllMessages();
        return count;
    }
    int count = 0;
};

void ExpectNear(const Vector2& actual, const Vector2& expected, float tolerance = kTolerance)
{
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
}

std::array<GLint, 4> Viewport()
{
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    return viewport;
}

std::array<GLfloat, 16> ProjectionMatrix()
{
    std::array<GLfloat, 16> matrix{};
    glGetFloatv(GL_PROJECTION_MATRIX, matrix.data());
    return matrix;
}

using CameraTest = WorldWindowTest;

} // namespace

TEST_F(CameraTest, ShowsTwentyUnitsOfHeightOnA1024By768Window)
{
    Camera* camera = Camera::GetInstance();
    EXPECT_EQ(camera->GetClassName(), "Camera");
    EXPECT_EQ(camera->GetWindowWidth(), 1024);
    EXPECT_EQ(camera->GetWindowHeight(), 768);
    EXPECT_FLOAT_EQ(camera->GetViewRadius(), 10.0f);
    ExpectNear(MathUtil::GetVisibleWorldSize(), Vector2(20.0f * 1024 / 768, 20.0f));
    ExpectNear(camera->GetWorldMinVertex(), Vector2(-13.3333f, -10.0f));
    ExpectNear(camera->GetWorldMaxVertex(), Vector2(13.3333f, 10.0f));
    EXPECT_EQ(camera->GetZ(), 10.0f);
    const Vector3 view = camera->GetViewCenter();
    EXPECT_EQ(view.Z, -10.0f);
}

TEST_F(CameraTest, ConvertsBetweenWindowPixelsAndWorldUnits)
{
    ExpectNear(MathUtil::WorldToScreen(Vector2(0, 0)), Vector2(512, 384));
    ExpectNear(MathUtil::WorldToScreen(13.3333f, 10.0f), Vector2(1024, 0), 0.01f);
    ExpectNear(MathUtil::WorldToScreen(-5.0f, -2.5f), Vector2(512 - 5 * 38.4f, 384 + 2.5f * 38.4f));
    ExpectNear(MathUtil::ScreenToWorld(0, 0), Vector2(-13.3333f, 10.0f));
    ExpectNear(MathUtil::ScreenToWorld(512, 384), Vector2(0, 0));
    ExpectNear(MathUtil::ScreenToWorld(1024, 768), Vector2(13.3333f, -10.0f));
    for (const auto& pixel : {std::array<int, 2>{17, 700}, std::array<int, 2>{1000, 3}})
    {
        const Vector2 world = MathUtil::ScreenToWorld(pixel[0], pixel[1]);
        ExpectNear(MathUtil::WorldToScreen(world), Vector2(pixel[0], pixel[1]));
    }
    EXPECT_NEAR(MathUtil::WorldSizeToScreenSize(1.0f), 38.4f, kTolerance);
    EXPECT_NEAR(MathUtil::ScreenSizeToWorldSize(38.4f), 1.0f, kTolerance);
}

TEST_F(CameraTest, MovingTheEyeMovesTheVisibleRectangle)
{
    Camera* camera = Camera::GetInstance();
    camera->SetPosition(Vector2(3, 4));
    EXPECT_EQ(camera->GetPosition(), Vector2(3, 4));
    EXPECT_EQ(static_cast<Actor*>(camera)->GetPosition(), Vector2(3, 4)) << "mirrored";
    EXPECT_EQ(camera->GetZ(), 10.0f);
    const Vector3 view = camera->GetViewCenter();
    EXPECT_EQ(view.X, 0.0f);
    EXPECT_EQ(view.Y, 0.0f);
    EXPECT_EQ(view.Z, -10.0f) << "still looking straight down the z axis";
    ExpectNear(camera->GetWorldMinVertex(), Vector2(-10.3333f, -6.0f));
    ExpectNear(camera->GetWorldMaxVertex(), Vector2(16.3333f, 14.0f));
    ExpectNear(MathUtil::WorldToScreen(3, 4), Vector2(512, 384));

    camera->SetPosition(1.0f, 2.0f, 20.0f);
    EXPECT_FLOAT_EQ(camera->GetViewRadius(), 20.0f);
    ExpectNear(MathUtil::GetVisibleWorldSize(), Vector2(40.0f * 1024 / 768, 40.0f));
    camera->SetPosition(0.0f, 0.0f);
    EXPECT_EQ(camera->GetZ(), 20.0f) << "the two-value form keeps z";
    camera->SetPosition(Vector3(0, 0, -5));
    EXPECT_FLOAT_EQ(camera->GetViewRadius(), 5.0f) << "from behind the plane as well";

    camera->SetViewCenter(1.0f, 2.0f, -3.0f);
    EXPECT_EQ(camera->GetViewCenter().Y, 2.0f);

    camera->Reset();
    EXPECT_EQ(camera->GetZ(), 10.0f);
    EXPECT_EQ(camera->GetViewCenter().X, 0.0f);
    EXPECT_EQ(camera->GetWindowWidth(), 1024) << "Reset keeps the window size";
}

TEST_F(CameraTest, EveryChangeIsBroadcastButResetIsSilent)
{
    CameraChangeCounter counter;
    Camera* camera = Camera::GetInstance();
    counter.Deliver();

    camera->SetPosition(Vector2(1, 1));
    camera->SetPosition(2.0f, 2.0f);
    camera->SetPosition(Vector3(1, 1, 5));
    camera->SetPosition(1.0f, 1.0f, 5.0f);
    camera->SetViewCenter(0, 0, -5);
    EXPECT_EQ(counter.Deliver(), 5);

    camera->Reset();
    EXPECT_EQ(counter.Deliver(), 0);
    EXPECT_EQ(camera->GetZ(), 10.0f);
}

TEST_F(CameraTest, ResizeReloadsTheProjectionAndBroadcasts)
{
    CameraChangeCounter counter;
    counter.Deliver();

    Camera::ResizeCallback(800, 400);
    EXPECT_EQ(counter.Deliver(), 1);
    Camera* camera = Camera::GetInstance();
    EXPECT_EQ(camera->GetWindowWidth(), 800);
    EXPECT_EQ(camera->GetWindowHeight(), 400);
    EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 800, 400}));
    std::array<GLfloat, 16> projection = ProjectionMatrix();
    EXPECT_NEAR(projection[0], 0.5f, 1e-5f) << "cot(45 degrees) / aspect 2";
    EXPECT_NEAR(projection[5], 1.0f, 1e-5f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    // The same size again: projection reloaded and broadcast, but the viewport is not reissued.
    glViewport(1, 2, 3, 4);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    Camera::ResizeCallback(800, 400);
    EXPECT_EQ(counter.Deliver(), 1);
    EXPECT_EQ(Viewport(), (std::array<GLint, 4>{1, 2, 3, 4}));
    EXPECT_NEAR(ProjectionMatrix()[0], 0.5f, 1e-5f);

    // Taller than wide: the radius spans half the width.
    Camera::ResizeCallback(400, 800);
    ExpectNear(MathUtil::GetVisibleWorldSize(), Vector2(20.0f, 40.0f));
    ExpectNear(camera->GetWorldMaxVertex(), Vector2(10.0f, 20.0f));
}

TEST_F(CameraTest, AWindowWithoutAreaKeepsEverythingFinite)
{
    Camera::ResizeCallback(800, 0);
    for (GLfloat value : ProjectionMatrix())
        EXPECT_TRUE(std::isfinite(value));
    const Vector2 world = MathUtil::ScreenToWorld(10, 10);
    EXPECT_TRUE(std::isfinite(world.X) && std::isfinite(world.Y));
    const Vector2 screen = MathUtil::WorldToScreen(1.0f, 1.0f);
    EXPECT_TRUE(std::isfinite(screen.X) && std::isfinite(screen.Y));
    EXPECT_TRUE(std::isfinite(MathUtil::ScreenSizeToWorldSize(10.0f)));

    Camera::ResizeCallback(0, 0);
    ExpectNear(MathUtil::ScreenToWorld(3, 7), Vector2(0, 0));
    const Vector2 size = Camera::GetInstance()->GetWorldMaxVertex();
    EXPECT_TRUE(std::isfinite(size.X) && std::isfinite(size.Y));
}

TEST_F(CameraTest, FullScreenActorsFollowTheCameraOneTickLater)
{
    auto* backdrop = new FullScreenActor();
    EXPECT_EQ(backdrop->GetClassName(), "FullScreenActor");
    ExpectNear(backdrop->GetSize(), Vector2(20.0f * 1024 / 768, 20.0f));
    EXPECT_EQ(backdrop->GetPosition(), Vector2(0, 0));
    world->Add(backdrop);

    Camera* camera = Camera::GetInstance();
    camera->SetPosition(Vector2(2, 1));
    EXPECT_EQ(backdrop->GetPosition(), Vector2(0, 0)) << "not before the message arrives";
    Frame();
    EXPECT_EQ(backdrop->GetPosition(), Vector2(2, 1));

    Camera::ResizeCallback(800, 800);
    Frame();
    ExpectNear(backdrop->GetSize(), Vector2(20.0f, 20.0f));

    // The World updates the camera each tick before it delivers messages, so the backdrop
    // follows a timed camera move within the same frame.
    camera->MoveTo(Vector2(6, 1), 1.0f);
    Frame(0.5);
    EXPECT_EQ(camera->GetPosition(), Vector2(4, 1));
    EXPECT_EQ(backdrop->GetPosition(), Vector2(4, 1));
    Frame(0.5);
    EXPECT_EQ(backdrop->GetPosition(), Vector2(6, 1));
}
