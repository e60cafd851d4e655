#pragma once

// Needs an X display (run under Xvfb). Opens the engine's real window once per test program
// (World::Initialize(1024, 768, "Tessaly Engine", false): no multisampling, so read-back pixels
// are the drawn ones) and drives frames by hand with a manual clock.

#include "engine/messaging/Switchboard.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/Camera.h"
#include "engine/world/Renderable.h"
#include "engine/world/World.h"
#include "engine/world/glfw2/Glfw2.h"
#include "tests/support/ManualClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <vector>

struct Pixel
{
    unsigned char r, g, b, a;
    bool Is(int red, int green, int blue, int tolerance = 8) const
    {
        return std::abs(r - red) <= tolerance && std::abs(g - green) <= tolerance &&
               std::abs(b - blue) <= tolerance;
    }
};

/// A frame read back from the window.
class Picture
{
public:
    static constexpr int kWidth = 1024, kHeight = 768;

    /// The pixel at window pixel (x, y), y counted from the top.
    Pixel At(int x, int y) const
    {
        const unsigned char* p = &rgba[((kHeight - 1 - y) * kWidth + x) * 4];
        return Pixel{p[0], p[1], p[2], p[3]};
    }
    /// The smallest rectangle holding every matching pixel, and their number.
    struct Box
    {
        int left = kWidth, top = kHeight, right = -1, bottom = -1, count = 0;
        bool empty() const { return count == 0; }
        int width() const { return right - left + 1; }
        int height() const { return bottom - top + 1; }
    };
    Box Find(const std::function<bool(const Pixel&)>& match) const
    {
        Box box;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (match(At(x, y)))
                {
                    box.left = std::min(box.left, x), box.right = std::max(box.right, x);
                    box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
                    ++box.count;
                }
        return box;
    }
    Box Find(int r, int g, int b, int tolerance = 8) const
    {
        return Find([=](const Pixel& p) { return p.Is(r, g, b, tolerance); });
    }

    std::vector<unsigned char> rgba = std::vector<unsigned char>(kWidth * kHeight * 4);
};

/// Writes a binary PPM, which the texture loader recognises whatever the file's extension:
/// colour(x, y) gives each pixel as 0xRRGGBB, y counted from the top.
inline void WritePicture(const String& path, int width, int height,
                         const std::function<int(int x, int y)>& colour)
{
    std::ofstream file(path, std::ios::binary);
    file << "P6\n" << width << " " << height << "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            file << char(colour(x, y) >> 16) << char(colour(x, y) >> 8) << char(colour(x, y));
}

/// A renderable that runs an action in the render pass.
class DrawHook : public Renderable
{
public:
    explicit DrawHook(std::function<void()> draw) : m_draw(std::move(draw)) {}
    void Update(float) override {}
    void Render() override { m_draw(); }

private:
    std::function<void()> m_draw;
};

class WorldWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!World::GetInstance()->IsInitialized())
            World::GetInstance()->Initialize(Picture::kWidth, Picture::kHeight, "Tessaly Engine",
                                             false);
    }
    void SetUp() override
    {
        ASSERT_TRUE(world->IsInitialized()) << "no window: run under tools/with-display.sh";
        clock.Set(100.0);
        world->SetClock(&clock);
    }
    /// Leaves an empty world, the default camera on the full window and no queued messages.
    void TearDown() override
    {
        world->UnloadAll();
        Camera::GetInstance()->Reset();
        Camera::ResizeCallback(Picture::kWidth, Picture::kHeight);
        Switchboard::GetInstance()->SendAllMessages();
        world->SetClock(nullptr);
    }

    /// One frame of the main loop that took `seconds`: clear, tick and render, then (before the
    /// swap, while the back buffer still holds the frame) run inspect, then swap and poll.
    void Frame(double seconds = 1.0 / 60.0, const std::function<void()>& inspect = nullptr)
    {
        clock.Advance(seconds);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        world->TickAndRender();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        if (inspect)
            inspect();
        glfw2::SwapBuffers();
    }
    /// One frame, read back before the swap.
    Picture Shoot(double seconds = 1.0 / 60.0)
    {
        Picture picture;
        Frame(seconds,
              [&]
              {
                  glReadBuffer(GL_BACK);
                  glPixelStorei(GL_PACK_ALIGNMENT, 1);
                  glReadPixels(0, 0, Picture::kWidth, Picture::kHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                               picture.rgba.data());
              });
        return picture;
    }

    World* world = World::GetInstance();
    ManualClock clock;
};
