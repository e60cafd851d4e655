#pragma once

// Helpers for tests that check what a frame looks like (with tests/support/WorldWindow.h).

#include "engine/world/Renderable.h"
#include "tests/support/WorldWindow.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

/// A renderable that runs a drawing action in the frame's render pass.
class DrawHook : public Renderable
{
public:
    explicit DrawHook(std::function<void()> draw) : m_draw(std::move(draw)) {}
    void Update(float) override {}
    void Render() override { m_draw(); }

private:
    std::function<void()> m_draw;
};

inline bool IsColour(const Pixel& p, int r, int g, int b, int tolerance = 8)
{
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance &&
           std::abs(p.b - b) <= tolerance;
}

/// A frame read back from the window, rows from the top.
class Picture
{
public:
    explicit Picture(std::vector<unsigned char> rgba) : m_rgba(std::move(rgba)) {}

    Pixel At(int x, int y) const
    {
        const unsigned char* p = &m_rgba[(y * WorldWindowTest::kWidth + x) * 4];
        return Pixel{p[0], p[1], p[2], p[3]};
    }

    /// The smallest rectangle holding every matching pixel.
    struct Box
    {
        int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
        bool empty() const { return count == 0; }
        int width() const { return right - left + 1; }
        int height() const { return bottom - top + 1; }
    };
    Box Find(const std::function<bool(const Pixel&)>& match) const
    {
        Box box;
        for (int y = 0; y < WorldWindowTest::kHeight; ++y)
            for (int x = 0; x < WorldWindowTest::kWidth; ++x)
                if (match(At(x, y)))
                {
                    box.left = std::min(box.left, x);
                    box.right = std::max(box.right, x);
                    box.top = std::min(box.top, y);
                    box.bottom = std::max(box.bottom, y);
                    ++box.count;
                }
        return box;
    }
    Box Find(int r, int g, int b) const
    {
        return Find([=](const Pixel& p) { return IsColour(p, r, g, b); });
    }

private:
    std::vector<unsigned char> m_rgba;
};

/// A window test that reads its frames back.
class PictureTest : public WorldWindowTest
{
protected:
    /// One frame of the loop that took seconds, read back before the swap.
    Picture Shoot(double seconds = 1.0 / 60.0)
    {
        std::vector<unsigned char> rgba;
        Frame(seconds, [&rgba] { rgba = ReadFrame(); });
        return Picture(std::move(rgba));
    }
};
