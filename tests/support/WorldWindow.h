#pragma once

// Needs an X display (run under Xvfb). Opens the engine's real window once per test program
// (World::Initialize(1024, 768, "Tessaly Engine", false), no multisampling, so read-back pixels
// are the drawn ones) and drives frames by hand with a manual clock.

#include "engine/messaging/Switchboard.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/Camera.h"
#include "engine/world/World.h"
#include "engine/world/glfw2/Glfw2.h"
#include "tests/support/ManualClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

/// An RGBA pixel read back from the frame.
struct Pixel
{
    unsigned char r = 0, g = 0, b = 0, a = 0;
};

class WorldWindowTest : public ::testing::Test
{
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;

protected:
    static void SetUpTestSuite()
    {
        World* world = World::GetInstance();
        if (!world->IsInitialized())
            world->Initialize(kWidth, kHeight, "Tessaly Engine", false);
    }

    void SetUp() override
    {
        world = World::GetInstance();
        ASSERT_TRUE(world->IsInitialized()) << "no window: run under tools/with-display.sh";
        clock.Set(100.0);
        world->SetClock(&clock);
    }

    /// Leaves an empty world, the default camera on the full window and no queued messages.
    void TearDown() override
    {
        world->UnloadAll();
        Camera::GetInstance()->Reset();
        Camera::ResizeCallback(kWidth, kHeight);
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

    /// The back buffer's pixel at window pixel (x, y), y counted from the top.
    static Pixel ReadPixel(int x, int y)
    {
        unsigned char rgba[4] = {0, 0, 0, 0};
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, kHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return Pixel{rgba[0], rgba[1], rgba[2], rgba[3]};
    }

    /// The whole back buffer as RGBA bytes, rows from the top of the window.
    static std::vector<unsigned char> ReadFrame()
    {
        std::vector<unsigned char> bottomUp(kWidth * kHeight * 4);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
        std::vector<unsigned char> topDown(bottomUp.size());
        const size_t row = kWidth * 4;
        for (int y = 0; y < kHeight; ++y)
            std::copy_n(bottomUp.begin() + (kHeight - 1 - y) * row, row, topDown.begin() + y * row);
        return topDown;
    }

    World* world = nullptr;
    ManualClock clock;
};
