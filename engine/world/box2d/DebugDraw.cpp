#include "engine/world/box2d/DebugDraw.h"

#include "engine/util/opengl/GL.h"

#include <cmath>

namespace
{

constexpr int kCircleSegments = 16;

void CirclePoints(const b2Vec2& center, float radius, b2Vec2 (&points)[kCircleSegments])
{
    const float increment = 2.0f * b2_pi / kCircleSegments;
    for (int i = 0; i < kCircleSegments; ++i)
    {
        const float theta = increment * static_cast<float>(i);
        points[i] = center + radius * b2Vec2(std::cos(theta), std::sin(theta));
    }
}

void Vertices(const b2Vec2* vertices, int32 vertexCount)
{
    for (int32 i = 0; i < vertexCount; ++i)
        glVertex2f(vertices[i].x, vertices[i].y);
}

/// A translucent fill in half the colour, then the outline in the full colour.
void FillAndOutline(const b2Vec2* vertices, int32 vertexCount, const b2Color& color)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.5f * color.r, 0.5f * color.g, 0.5f * color.b, 0.5f);
    glBegin(GL_TRIANGLE_FAN);
    Vertices(vertices, vertexCount);
    glEnd();
    glDisable(GL_BLEND);

    glColor4f(color.r, color.g, color.b, 1.0f);
    glBegin(GL_LINE_LOOP);
    Vertices(vertices, vertexCount);
    glEnd();
}

} // namespace

void DebugDraw::DrawPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color)
{
    glColor3f(color.r, color.g, color.b);
    glBegin(GL_LINE_LOOP);
    Vertices(vertices, vertexCount);
    glEnd();
}

void DebugDraw::DrawSolidPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color)
{
    FillAndOutline(vertices, vertexCount, color);
}

void DebugDraw::DrawCircle(const b2Vec2& center, float radius, const b2Color& color)
{
    b2Vec2 points[kCircleSegments];
    CirclePoints(center, radius, points);
    DrawPolygon(points, kCircleSegments, color);
}

void DebugDraw::DrawSolidCircle(const b2Vec2& center, float radius, const b2Vec2& axis,
                                const b2Color& color)
{
    b2Vec2 points[kCircleSegments];
    CirclePoints(center, radius, points);
    FillAndOutline(points, kCircleSegments, color);
    const b2Vec2 end = center + radius * axis;
    glBegin(GL_LINES);
    glVertex2f(center.x, center.y);
    glVertex2f(end.x, end.y);
    glEnd();
}

void DebugDraw::DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color)
{
    glColor3f(color.r, color.g, color.b);
    glBegin(GL_LINES);
    glVertex2f(p1.x, p1.y);
    glVertex2f(p2.x, p2.y);
    glEnd();
}

void DebugDraw::DrawTransform(const b2Transform& xf)
{
    constexpr float kAxisScale = 0.4f;
    const b2Vec2 xEnd = xf.p + kAxisScale * xf.q.GetXAxis();
    const b2Vec2 yEnd = xf.p + kAxisScale * xf.q.GetYAxis();
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex2f(xf.p.x, xf.p.y);
    glVertex2f(xEnd.x, xEnd.y);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex2f(xf.p.x, xf.p.y);
    glVertex2f(yEnd.x, yEnd.y);
    glEnd();
}

void DebugDraw::DrawPoint(const b2Vec2& p, float size, const b2Color& color)
{
    glPointSize(size);
    glColor3f(color.r, color.g, color.b);
    glBegin(GL_POINTS);
    glVertex2f(p.x, p.y);
    glEnd();
    glPointSize(1.0f);
}
